#include "system/system_info.h"

namespace kelvano {

bool SystemInfo::IsWindowsNT() {
  OsVersion version;
  if (seam_.QueryVersion(version) != 0) {
    MessageBoxRequest request;
    request.text = kVersionErrorText;
    request.caption = messageCaption_;
    messages_.Show(request);
    // Nothing of the setup can be decided without the version.
    seam_.EndProcess(1);
    return false;
  }
  return version.platformId == os::kPlatformNt;
}

bool SystemInfo::IsWindowsXP() {
  OsVersion version;
  if (seam_.QueryVersion(version) != 0) return false;
  return version.platformId == os::kPlatformNt && version.majorVersion == 5 && version.minorVersion == 1;
}

bool SystemInfo::IsWow64() {
  bool sixtyFourBit = false;
  return seam_.QuerySixtyFourBitWindows(sixtyFourBit) == 0 && sixtyFourBit;
}

std::string SystemInfo::SystemFolder() {
  std::string folder;
  if (seam_.QuerySystemDirectory(folder) != 0) return {};
  return folder;
}

std::string SystemInfo::TemporaryFolder() {
  std::string folder;
  if (seam_.QueryEnvironmentVariable("TEMP", folder) != 0 || folder.empty()) {
    if (seam_.QueryTempPath(folder) != 0) folder.clear();
  }
  // A root such as C:\ keeps its backslash.
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace kelvano
