#pragma once
// One record of an archive's central directory, as the zip reader keeps it.

#include <cstdint>
#include <string>
#include <vector>

#include "system/date_time.h"

namespace kelvano {

struct ZipEntry {
  std::string madeBySystem;   // high byte of "version made by", as decimal text
  std::string madeByVersion;  // its low byte as "major.minor" (20 gives "2.0")
  std::string neededSystem;
  std::string neededVersion;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  DateTime modified;  // local time; the default value when the archive has none
  std::uint32_t crc32 = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;  // after extraction: the bytes produced
  std::uint32_t diskNumber = 0;
  std::uint16_t internalAttributes = 0;
  std::uint32_t externalAttributes = 0;
  std::uint64_t localHeaderOffset = 0;  // in the file: moved by any bytes in front of the archive
  std::string fileName;                 // UTF-8, "\" between folders
  bool isDirectory = false;             // nothing to extract, named with a final "\" or of MS-DOS's folder attribute
  std::vector<std::uint8_t> extra;
  std::string fileComment;
};

}  // namespace kelvano
