#include <windows.h>

#include <vector>

#include "startup/path_helpers.h"
#include "system/win32/platform_file_handle.h"
#include "system/win32/wide_text.h"
#include "system/write_all.h"
#include "system/win32/unique_handle.h"

namespace kelvano {

std::string AppFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      std::string folder = ParentFolder(Narrow(std::wstring_view(buffer.data(), length)));
      if (!folder.empty() && folder.back() == '\\') folder.pop_back();
      return folder;
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAW found;
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);  // no "insert a disk" box
  const unique_hfind find(FindFirstFileW(Widen(path).c_str(), &found));
  SetErrorMode(oldMode);
  if (!find) return false;
  const DWORD excluded = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if ((found.dwFileAttributes & excluded) == 0) return true;
  } while (FindNextFileW(find.Get(), &found));
  return false;
}

void DeleteFolderTree(const std::string& folder) {
  std::vector<std::wstring> subfolders;
  const std::wstring wideFolder = Widen(folder);
  {
    WIN32_FIND_DATAW found;
    const unique_hfind find(FindFirstFileW((wideFolder + L"\\*").c_str(), &found));
    if (find) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) continue;
        const std::wstring path = wideFolder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
          // A junction or link: remove the link itself, never what it points to.
          if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveDirectoryW(path.c_str());
          else
            DeleteFileW(path.c_str());
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          subfolders.push_back(name);
        } else {
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(find.Get(), &found));
    }
  }
  for (const std::wstring& name : subfolders) DeleteFolderTree(folder + "\\" + Narrow(name));
  RemoveDirectoryW(wideFolder.c_str());
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const unique_hfile file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string content;
  char buffer[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) != 0) && read > 0) {
    content.append(buffer, read);
  }
  if (!ok) return std::nullopt;
  return content;
}

bool WriteWholeFile(const std::string& path, std::string_view content) {
  const unique_hfile file(
      CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && WriteAll(AsPlatformFile(file.Get()), content.data(), content.size());
}

}  // namespace kelvano
