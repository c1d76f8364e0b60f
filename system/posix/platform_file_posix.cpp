#include <unistd.h>

#include "system/platform_file.h"

namespace kelvano {

void ClosePlatformFile(PlatformFileHandle file) { close(static_cast<int>(file)); }

}  // namespace kelvano
