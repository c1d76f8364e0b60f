#pragma once
// A file that another program holds for a moment (a virus scanner opens every new
// file) is tried again for a few seconds before its failure counts.

#include <chrono>
#include <functional>
#include <string>

namespace kelvano {

struct BusyRetry {
  int tries = 1;  // in all; 1: no second try
  std::chrono::milliseconds pause{250};
  std::function<void(std::chrono::milliseconds)> sleep;
  std::function<void(const std::string&)> log;  // each wait
};

// The waits a download and its clean-up allow: 20 tries, 5 seconds in all.
BusyRetry BusyFileWaits(std::function<void(std::chrono::milliseconds)> sleep,
                        std::function<void(const std::string&)> log);

// A sharing or lock violation (Windows' errors 32 and 33; away from Windows the file
// operations pass no such code here).
bool IsBusyFileError(long error);

// Runs attempt (the system's error code, 0 for success) again while it fails because
// the file is busy; returns the last code. what: the operation and its file, for the log.
long RetryWhileBusy(const std::string& what, const BusyRetry& retry, const std::function<long()>& attempt);

}  // namespace kelvano
