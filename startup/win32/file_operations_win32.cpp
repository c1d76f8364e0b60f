#include <windows.h>

#include <algorithm>

#include "startup/path_helpers.h"
#include "system/win32/unique_handle.h"
#include "system/win32/wide_text.h"

namespace kelvano {

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const unique_hfind find(FindFirstFileW(Widen(PathJoin(folder, "*")).c_str(), &found));
  if (!find) return names;
  do {
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0) {
      names.push_back(Narrow(found.cFileName));
    }
  } while (FindNextFileW(find.Get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

bool CreateFolderTree(const std::string& folder) {
  const std::wstring wide = Widen(folder);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const std::string parent = ParentFolder(folder);
  // A drive (C:) or a share (\\server\share) is where the climb stops.
  if (parent != folder && !parent.empty() && parent.back() != ':' && parent.find('\\', 2) != std::string::npos) {
    CreateFolderTree(parent);
  }
  return CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
  return CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE) != 0;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

}  // namespace kelvano
