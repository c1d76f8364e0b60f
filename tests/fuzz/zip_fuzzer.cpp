// Init and Unzip on arbitrary bytes, in memory: every view ends at an inaccessible
// page, nothing may be written outside the output folder, and nothing may stay open.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "system/setup_error.h"
#include "unzip/cunzip.h"
#include "unzip/memory_zip_file_system.h"

namespace {

bool IsBelow(const std::string& path, const std::string& folder) { return path.rfind(folder + "\\", 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvano;
  MemoryZipFileSystem files;
  files.SetFileSizeLimit(std::uint64_t{4} << 20);
  files.AddFile("in.zip", std::string(reinterpret_cast<const char*>(data), size));
  files.AddFolder("out");
  {
    cUnzip zip(files, NameRules::Windows);
    zip.SetWholeMappingLimit(0);  // a window of its own for every read, each guarded
    try {
      if (zip.Init("in.zip")) zip.Unzip("out");
    } catch (const SetupError&) {
      // A run-time error ends the call; what matters is what it left behind.
    }
  }
  if (files.OpenObjects() != 0) std::abort();
  for (const auto& [path, file] : files.Files()) {
    if (path != "in.zip" && !IsBelow(path, "out")) std::abort();
  }
  for (const std::string& folder : files.Folders()) {
    if (folder != "out" && !IsBelow(folder, "out")) std::abort();
  }
  return 0;
}
