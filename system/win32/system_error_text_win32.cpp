#include <windows.h>

#include "system/system_error_text.h"
#include "system/win32/wide_text.h"

namespace kelvano {

long LastSystemError() { return static_cast<long>(GetLastError()); }

std::string SystemErrorText(long error) {
  std::string text = "error " + std::to_string(error);
  wchar_t words[512] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      static_cast<DWORD>(error), 0, words, 512, nullptr);
  std::wstring_view view(words, length);
  // Windows ends its texts with a full stop and a line break.
  while (!view.empty() && (view.back() == L'\n' || view.back() == L'\r' || view.back() == L' ' || view.back() == L'.'))
    view.remove_suffix(1);
  if (!view.empty()) text += ": " + Narrow(view);
  return text;
}

}  // namespace kelvano
