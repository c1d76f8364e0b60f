#pragma once
// The Windows files of the zip reader.

#include <cstdint>
#include <memory>

#include "unzip/zip_file_system.h"

namespace kelvano {

// appendedFromSize: outputs of this size and more are appended, smaller ones written
// through views (the system's files append them all).
std::unique_ptr<ZipFileSystem> MakeWin32ZipFileSystem(std::uint64_t appendedFromSize);

}  // namespace kelvano
