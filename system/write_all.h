#pragma once
// Writes every byte or fails: a write may take fewer bytes than asked, and away from
// Windows a signal may interrupt it.

#include <cstddef>

#include "system/platform_file.h"

namespace kelvano {

// file: opened for writing.
bool WriteAll(PlatformFileHandle file, const void* data, std::size_t size);

}  // namespace kelvano
