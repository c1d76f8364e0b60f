#pragma once
// An installation runs for as long as this lives: the hourglass shows and close requests
// are refused. At its end, after an error too, the option page shows again with the
// default pointer.

#include <functional>
#include <string>

#include "system/run_state.h"

namespace kelvano {

class InstallationRunning {
 public:
  // logFailure hears of a page switch that failed at the end, which is never thrown from
  // a destructor.
  InstallationRunning(RunState& window, std::function<void(const std::string&)> logFailure);
  ~InstallationRunning();
  InstallationRunning(const InstallationRunning&) = delete;
  InstallationRunning& operator=(const InstallationRunning&) = delete;

 private:
  RunState& window_;
  std::function<void(const std::string&)> logFailure_;
};

}  // namespace kelvano
