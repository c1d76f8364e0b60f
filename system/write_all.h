#pragma once
// Writes every byte or fails: a write may take fewer bytes than asked, and away from
// Windows a signal may interrupt it.

#include <cstddef>

namespace kelvano {

#ifdef _WIN32
// file: a HANDLE opened for writing.
bool WriteAll(void* file, const void* data, std::size_t size);
#else
// file: a descriptor opened for writing.
bool WriteAll(int file, const void* data, std::size_t size);
#endif

}  // namespace kelvano
