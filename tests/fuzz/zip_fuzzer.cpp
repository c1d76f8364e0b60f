// Init and Unzip on arbitrary bytes, in memory: every view ends at an inaccessible
// page; nothing may be written outside the output folder, nothing may stay open, and
// every file left behind must carry the checksum of an entry of its name (zlib's
// CRC-32 as the judge), so that no failed member leaves its partial output. Outputs
// are written through views for inputs of even length, appended (through a decoding
// window with little room) for odd ones.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "system/setup_error.h"
#include "unzip/cunzip.h"
#include "tests/support/memory_zip_file_system.h"

namespace {

bool IsBelow(const std::string& path, const std::string& folder) { return path.rfind(folder + "\\", 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvano;
  MemoryZipFileSystem files;
  files.SetFileSizeLimit(std::uint64_t{4} << 20);
  files.SetAppendingOutputs(size % 2 == 1);
  files.AddFile("in.zip", std::string(reinterpret_cast<const char*>(data), size));
  files.AddFolder("out");
  std::map<std::string, std::set<std::uint32_t>> checksums;  // by output path
  {
    cUnzip zip(files, NameRules::Windows);
    zip.SetWholeMappingLimit(0);  // a window of its own for every read, each guarded
    zip.SetStreamRoom(4096);
    try {
      if (zip.Init("in.zip")) zip.Unzip("out");
    } catch (const SetupError&) {
      // A run-time error ends the call; what matters is what it left behind.
    }
    for (const ZipEntry& entry : zip.Entries()) checksums["out\\" + entry.fileName].insert(entry.crc32);
  }
  if (files.OpenObjects() != 0) std::abort();
  for (const auto& [path, file] : files.Files()) {
    if (path == "in.zip") continue;
    if (!IsBelow(path, "out")) std::abort();
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(file.content.data()), static_cast<uInt>(file.content.size())));
    if (checksums[path].count(crc) == 0) std::abort();
  }
  for (const std::string& folder : files.Folders()) {
    if (folder != "out" && !IsBelow(folder, "out")) std::abort();
  }
  return 0;
}
