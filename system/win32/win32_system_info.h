#pragma once
// The system information seam over the wide Windows functions.

#include "system/system_info_seam.h"

namespace kelvano {

class Win32SystemInfo : public SystemInfoSeam {
 public:
  long QueryVersion(OsVersion& version) override;
  long QuerySixtyFourBitWindows(bool& sixtyFourBit) override;
  long QuerySystemDirectory(std::string& folder) override;
  long QueryEnvironmentVariable(const std::string& name, std::string& value) override;
  long QueryTempPath(std::string& folder) override;
};

}  // namespace kelvano
