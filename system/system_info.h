#pragma once
// Questions about the running Windows: NT family, Windows XP, 64-bit Windows under a
// 32-bit setup, the system folder and the temporary folder.

#include <string>

#include "system/message_box.h"
#include "system/system_info_seam.h"

namespace kelvano {

class SystemInfo {
 public:
  static constexpr char kVersionErrorText[] = "Error Getting Version Information";

  // messageCaption captions the one message that these questions may show.
  SystemInfo(SystemInfoSeam& seam, MessageBoxSeam& messages, std::string messageCaption)
      : seam_(seam), messages_(messages), messageCaption_(std::move(messageCaption)) {}

  // When the version cannot be read the user is told and the program ends at once.
  bool IsWindowsNT();
  // Version 5.1 of the NT family; false when the version cannot be read.
  bool IsWindowsXP();
  // True when the setup runs on 64-bit Windows (as a 32-bit program under WOW64, or as a
  // 64-bit one); false where Windows cannot tell.
  bool IsWow64();
  // The Windows system folder; empty when Windows does not say.
  std::string SystemFolder();
  // The user's temporary folder: TEMP, or the system's temporary folder when TEMP is
  // unset or empty; without a trailing backslash.
  std::string TemporaryFolder();

 private:
  SystemInfoSeam& seam_;
  MessageBoxSeam& messages_;
  std::string messageCaption_;
};

}  // namespace kelvano
