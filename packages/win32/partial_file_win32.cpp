#include <windows.h>

#include "packages/partial_file.h"
#include "startup/path_helpers.h"
#include "system/text_encoding.h"
#include "system/write_all.h"

namespace kelvano {
namespace {

HANDLE ToHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::string FolderOf(const std::string& path) {
  if (path.find('\\') == std::string::npos) return ".";
  std::string folder = ParentFolder(path);
  if (folder.empty() || folder.back() == ':') folder += '\\';  // a root: "\name", "C:\name"
  return folder;
}

}  // namespace

PartialFile::PartialFile(std::string targetPath) : target_(std::move(targetPath)) {
  wchar_t name[MAX_PATH] = {};
  // Creates an empty file under a name nobody else holds.
  if (GetTempFileNameW(Widen(FolderOf(target_)).c_str(), L"dl", 0, name) == 0) return;
  temporary_ = Narrow(name);
  const HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Discard();
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

PartialFile::~PartialFile() { Discard(); }

bool PartialFile::Write(std::string_view bytes) {
  if (!IsOpen() || !WriteAll(ToHandle(handle_), bytes.data(), bytes.size())) return false;
  size_ += bytes.size();
  return true;
}

bool PartialFile::StartOver() {
  if (!IsOpen()) return false;
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(ToHandle(handle_), start, nullptr, FILE_BEGIN) || !SetEndOfFile(ToHandle(handle_)))
    return false;
  size_ = 0;
  return true;
}

bool PartialFile::Commit() {
  if (!IsOpen()) return false;
  const bool closed = CloseHandle(ToHandle(handle_)) != 0;
  handle_ = kNoHandle;
  if (closed && MoveFileExW(Widen(temporary_).c_str(), Widen(target_).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    temporary_.clear();
    return true;
  }
  Discard();
  return false;
}

void PartialFile::Discard() {
  if (IsOpen()) CloseHandle(ToHandle(handle_));
  handle_ = kNoHandle;
  if (!temporary_.empty()) DeleteFileW(Widen(temporary_).c_str());
  temporary_.clear();
}

void DeleteFileQuietly(const std::string& path) { DeleteFileW(Widen(path).c_str()); }

}  // namespace kelvano
