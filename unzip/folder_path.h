#pragma once
// Creates a folder together with whatever parents it lacks.

#include <string_view>

#include "unzip/zip_file_system.h"

namespace kelvano {

// True when the folder exists afterwards; an empty path is taken as existing. A
// trailing "\" is accepted.
bool CreateFolderPath(ZipFileSystem& files, std::string_view path);

}  // namespace kelvano
