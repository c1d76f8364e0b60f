#include "unzip/folder_path.h"

#include <string>
#include <vector>

namespace kelvano {

bool CreateFolderPath(ZipFileSystem& files, std::string_view path) {
  while (path.size() > 1 && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return true;
  const std::string folder(path);
  // Most folders are new ones in a folder that exists: one call does.
  if (files.CreateFolder(folder) || files.FolderExists(folder)) return true;

  // Walk back to the nearest folder that exists, then create the rest going forwards.
  std::vector<std::string> missing{folder};
  for (std::size_t end = folder.rfind('\\'); end != std::string::npos && end > 0;) {
    const std::string prefix = folder.substr(0, end);
    if (prefix.back() != '\\') {
      if (files.FolderExists(prefix)) break;
      missing.push_back(prefix);
    }
    const std::size_t slash = folder.rfind('\\', end - 1);
    if (slash == std::string::npos) break;
    end = slash;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!files.CreateFolder(*it) && !files.FolderExists(*it)) return false;
  }
  return true;
}

}  // namespace kelvano
