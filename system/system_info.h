#pragma once
// What the setup knows of the running Windows: NT family, Windows XP, 64-bit Windows,
// the system folder and the temporary folder. Read once at start-up, when nothing needs
// cleaning up yet, and asked from then on without showing anything.

#include <optional>
#include <string>

#include "system/message_box.h"
#include "system/system_info_seam.h"

namespace kelvano {

class SystemInfo {
 public:
  static constexpr char kVersionErrorText[] = "Error Getting Version Information";

  // Asks the seam every question now.
  explicit SystemInfo(SystemInfoSeam& seam);

  // The version as GetVersionEx gave it; none when it could not be read.
  const std::optional<OsVersion>& Version() const { return version_; }
  // False when the version could not be read.
  bool IsWindowsNT() const;
  // Version 5.1 of the NT family; false when the version could not be read.
  bool IsWindowsXP() const;
  // True when the setup runs on 64-bit Windows (as a 32-bit program under WOW64, or as a
  // 64-bit one); false where Windows cannot tell.
  bool IsWow64() const { return sixtyFourBit_; }
  // The Windows system folder; empty when Windows does not say.
  const std::string& SystemFolder() const { return systemFolder_; }
  // The user's temporary folder: TEMP, or the system's temporary folder when TEMP is
  // unset or empty; without a trailing backslash.
  const std::string& TemporaryFolder() const { return temporaryFolder_; }

 private:
  std::optional<OsVersion> version_;
  bool sixtyFourBit_ = false;
  std::string systemFolder_;
  std::string temporaryFolder_;
};

// Nothing of the setup can be decided without the Windows version: when it could not be
// read, tells the user and returns false, and the setup ends with exit code 1.
bool RequireWindowsVersion(const SystemInfo& system, MessageBoxSeam& messages, const std::string& caption);

}  // namespace kelvano
