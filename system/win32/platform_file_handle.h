#pragma once
// On Windows a PlatformFile holds the file's HANDLE.

#include <windows.h>

#include "system/platform_file.h"

namespace kelvano {

static_assert(sizeof(HANDLE) == sizeof(PlatformFileHandle));

inline HANDLE AsHandle(PlatformFileHandle file) { return reinterpret_cast<HANDLE>(file); }
inline PlatformFileHandle AsPlatformFile(HANDLE file) { return reinterpret_cast<PlatformFileHandle>(file); }

}  // namespace kelvano
