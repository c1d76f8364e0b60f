#include "unzip/folder_path.h"

#include <string>
#include <vector>

namespace kelvano {

bool CreateFolderPath(ZipFileSystem& files, std::string_view path) {
  while (path.size() > 1 && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return true;
  const std::string folder(path);

  // Walk back to the nearest folder that exists, then create the rest going forwards.
  std::vector<std::string> missing;
  for (std::size_t end = folder.size(); end > 0;) {
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
  return files.FolderExists(folder);
}

}  // namespace kelvano
