#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "startup/path_helpers.h"
#include "system/native_path.h"

namespace kelvano {
namespace {

// Here a hidden file is one whose name starts with a dot.
bool IsOrdinaryFile(const std::string& folder, const std::string& name) {
  if (name.empty() || name[0] == '.') return false;
  struct stat info;
  return stat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string AppFolder() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return {};
  const std::string path(buffer.data(), static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/'));
}

bool FileExists(const std::string& path) {
  const std::string native = NativePath(path);
  if (native.empty()) return false;
  const std::size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash == 0 ? 1 : slash);
  const std::string pattern = slash == std::string::npos ? native : native.substr(slash + 1);
  if (pattern.find_first_of("*?") == std::string::npos) return IsOrdinaryFile(folder, pattern);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    if (fnmatch(pattern.c_str(), entry->d_name, FNM_CASEFOLD) == 0 && IsOrdinaryFile(folder, entry->d_name)) {
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

void DeleteFolderTree(const std::string& folder) {
  const std::string native = NativePath(folder);
  std::vector<std::string> subfolders;
  if (DIR* dir = opendir(native.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = native + "/" + name;
      struct stat info;
      if (lstat(path.c_str(), &info) != 0) continue;
      if (S_ISDIR(info.st_mode))
        subfolders.push_back(name);
      else
        unlink(path.c_str());  // files and links alike; a link is never followed
    }
    closedir(dir);
  }
  for (const std::string& name : subfolders) DeleteFolderTree(folder + "\\" + name);
  rmdir(native.c_str());
}

}  // namespace kelvano

#include <fstream>
#include <sstream>

namespace kelvano {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream file(NativePath(path), std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) return std::nullopt;
  return content.str();
}

bool WriteWholeFile(const std::string& path, std::string_view content) {
  std::ofstream file(NativePath(path), std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  return static_cast<bool>(file.flush());
}

}  // namespace kelvano
