#include "system/win32/platform_file_handle.h"

namespace kelvano {

void ClosePlatformFile(PlatformFileHandle file) { CloseHandle(AsHandle(file)); }

}  // namespace kelvano
