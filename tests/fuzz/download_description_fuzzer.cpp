// Any download description ("URL|file name|archive flag|installer|SHA-256"): each field
// is either refused with the setup's own error or comes out safe to use: the URL with
// its tokens replaced, a file name that stays in its folder, a path that stays inside
// the extraction folder, a hash of 64 hexadecimal digits.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "packages/download_description.h"
#include "system/setup_error.h"

namespace {

// Runs one reading of a field; only the setup's own error may refuse it.
void Read(const std::function<void()>& read) {
  try {
    read();
  } catch (const kelvano::SetupError&) {
  }
}

// No component that leaves the folder (".." with Windows' trailing dots and blanks
// dropped), no root, drive, stream or empty name.
bool StaysInside(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.find(':') != std::string_view::npos) return false;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
    if (part.empty() && end - start >= 2) return false;  // "..", ". ." and the like
    start = end + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvano;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const DownloadDescription description(text);
  std::size_t bars = 0;
  for (const char c : text) bars += c == '|';
  if (description.FieldCount() != (text.empty() ? 0 : bars + 1)) std::abort();
  if (description.Describes() != (description.FieldCount() >= 2)) std::abort();

  Read([&] {
    const std::string url = description.Url("Kelvano", "2.1.0");
    if (url.find("[PRODUCT]") != std::string::npos || url.find("[PRODUCTVERSION]") != std::string::npos) std::abort();
  });
  Read([&] {
    const std::string name = description.FileName();
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos || !StaysInside(name)) std::abort();
  });
  Read([&] { description.IsArchive(); });
  Read([&] {
    const std::string path = description.InstallerInArchive();
    if (path.find('/') != std::string::npos || !StaysInside(path)) std::abort();
  });
  Read([&] {
    if (const std::optional<std::string> hash = description.Sha256()) {
      if (hash->size() != 64 || hash->find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) std::abort();
    }
  });
  return 0;
}
