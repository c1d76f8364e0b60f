#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "startup/path_helpers.h"
#include "system/native_path.h"
#include "system/platform_file.h"
#include "system/write_all.h"

namespace kelvano {

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  const std::string native = NativePath(folder);
  if (DIR* dir = opendir(native.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      struct stat info;
      if (lstat((native + "/" + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        names.push_back(entry->d_name);
      }
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool CreateFolderTree(const std::string& folder) {
  const std::string native = NativePath(folder);
  struct stat info;
  if (stat(native.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const std::string parent = ParentFolder(folder);
  if (parent != folder && !parent.empty()) CreateFolderTree(parent);
  return mkdir(native.c_str(), 0755) == 0 || errno == EEXIST;
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
  const PlatformFile source(open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC));
  if (!source) return false;
  const PlatformFile target(open(NativePath(to).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  bool ok = static_cast<bool>(target);
  char buffer[65536];
  while (ok) {
    const ssize_t got = read(static_cast<int>(source.Get()), buffer, sizeof buffer);
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = WriteAll(target.Get(), buffer, static_cast<std::size_t>(got));
  }
  return ok;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  if (std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0) return true;
  return CopyFileReplacing(from, to) && std::remove(NativePath(from).c_str()) == 0;
}

}  // namespace kelvano
