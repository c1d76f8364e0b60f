#include <windows.h>

#include "system/text_encoding.h"
#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

std::string DecodeCodePage(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
  return Narrow(wide);
}

}  // namespace

std::string DecodeAnsi(std::string_view bytes) { return DecodeCodePage(CP_ACP, bytes); }
std::string DecodeOem(std::string_view bytes) { return DecodeCodePage(CP_OEMCP, bytes); }

}  // namespace kelvano
