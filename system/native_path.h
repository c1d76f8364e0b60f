#pragma once
// Paths are written with "\" throughout; away from Windows each "\" stands for "/".

#include <string>

namespace kelvano {

// The path as this system's file functions take it.
std::string NativePath(std::string path);

}  // namespace kelvano
