#include <algorithm>

#include "system/native_path.h"

namespace kelvano {

std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace kelvano
