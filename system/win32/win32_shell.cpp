#include "system/win32/win32_shell.h"

#include <windows.h>
#include <shellapi.h>

#include "system/win32/wide_text.h"

namespace kelvano {

long Win32Shell::OpenDocument(const std::string& verb, const std::string& file, const std::string& parameters,
                              const std::string& folder, int showCommand) {
  const std::wstring wideVerb = Widen(verb), wideFile = Widen(file), wideParameters = Widen(parameters),
                     wideFolder = Widen(folder);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(static_cast<HWND>(owner_), wideVerb.empty() ? nullptr : wideVerb.c_str(), wideFile.c_str(),
                    wideParameters.empty() ? nullptr : wideParameters.c_str(),
                    wideFolder.empty() ? nullptr : wideFolder.c_str(), showCommand));
  // Above 32 is success; at or below, the value is an error code of its own.
  return result > 32 ? 0 : static_cast<long>(result == 0 ? ERROR_OUTOFMEMORY : result);
}

}  // namespace kelvano
