#include "packages/partial_file.h"

namespace kelvano {

std::string PartialPathOf(const std::string& target) { return target + ".partial"; }

}  // namespace kelvano
