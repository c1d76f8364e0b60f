#pragma once
// The Windows files of the zip reader, with the size from which outputs are written in
// order rather than through a view of the whole file.

#include <cstdint>
#include <memory>

#include "unzip/zip_file_system.h"

namespace kelvano {

// A 32-bit process maps outputs up to 64 MiB; a 64-bit one has the room to map any.
inline constexpr std::uint64_t kAppendedOutputSize = sizeof(void*) >= 8 ? UINT64_MAX : std::uint64_t{64} << 20;

std::unique_ptr<ZipFileSystem> MakeWin32ZipFileSystem(std::uint64_t appendedFromSize);

}  // namespace kelvano
