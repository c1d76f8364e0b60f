#pragma once
// Paths are written with "\" throughout; away from Windows each "\" stands for "/".

#include <algorithm>
#include <string>

namespace kelvano {

// The path as this system's file functions take it.
inline std::string NativePath(std::string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return path;
}

}  // namespace kelvano
