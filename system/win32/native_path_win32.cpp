#include "system/native_path.h"

namespace kelvano {

// Windows takes the "\" the paths are written with.
std::string NativePath(std::string path) { return path; }

}  // namespace kelvano
