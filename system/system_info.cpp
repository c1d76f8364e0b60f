#include "system/system_info.h"

namespace kelvano {
namespace {

std::string ReadTemporaryFolder(SystemInfoSeam& seam) {
  std::string folder;
  if (seam.QueryEnvironmentVariable("TEMP", folder) != 0 || folder.empty()) {
    if (seam.QueryTempPath(folder) != 0) folder.clear();
  }
  // A root such as C:\ keeps its backslash.
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace

SystemInfo::SystemInfo(SystemInfoSeam& seam) {
  OsVersion version;
  if (seam.QueryVersion(version) == 0) version_ = version;
  bool sixtyFourBit = false;
  sixtyFourBit_ = seam.QuerySixtyFourBitWindows(sixtyFourBit) == 0 && sixtyFourBit;
  if (seam.QuerySystemDirectory(systemFolder_) != 0) systemFolder_.clear();
  temporaryFolder_ = ReadTemporaryFolder(seam);
}

bool SystemInfo::IsWindowsNT() const { return version_ && version_->platformId == os::kPlatformNt; }

bool SystemInfo::IsWindowsXP() const {
  return IsWindowsNT() && version_->majorVersion == 5 && version_->minorVersion == 1;
}

bool RequireWindowsVersion(const SystemInfo& system, MessageBoxSeam& messages, const std::string& caption) {
  if (system.Version()) return true;
  MessageBoxRequest request;
  request.text = SystemInfo::kVersionErrorText;
  request.caption = caption;
  messages.Show(request);
  return false;
}

}  // namespace kelvano
