#pragma once
// Where an archive's central directory lies, as its end records tell. Bytes put in
// front of an archive whose offsets were not corrected for them (a self-extractor's
// stub, padding) move the whole archive: its directory then lies further on than the
// end record says, and every member by as much.

#include <cstddef>
#include <cstdint>

#include "unzip/archive_windows.h"

namespace kelvano {

struct DirectoryLocation {
  const char* error = nullptr;   // a zip_error text when the archive is refused
  std::uint64_t start = 0;       // of the first central record, in the file
  std::uint64_t end = 0;         // where the end records begin
  std::uint64_t statedSize = 0;  // the directory's size by its end record
  std::uint64_t entries = 0;     // announced
  std::uint64_t shift = 0;       // bytes in front of the archive: add to every member's offset
  std::uint64_t commentStart = 0;
  std::uint16_t commentLength = 0;
};

// Refuses archives that cannot be read (mapping failure, no end record, a Zip64 record
// missing), whose end records disagree, whose announced entries cannot fit, and those
// whose directory is encrypted.
DirectoryLocation LocateDirectory(ArchiveWindows& archive);

// Whether the announced records, walked bytes from the directory's start, are the whole
// directory: only its digital signature may follow them, or bytes past the size its end
// record gives.
bool IsWholeDirectory(const DirectoryLocation& location, const ArchiveWindow& directory, std::size_t walked);

}  // namespace kelvano
