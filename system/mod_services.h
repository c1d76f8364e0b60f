#pragma once
// The setup's service rules: a service's state as the setup's own code, and the start
// request. Neither waits for a state change; callers decide from the answers.

#include <cstdint>
#include <string>

#include "system/service_control_seam.h"

namespace kelvano {

enum class ServiceState : std::int32_t {
  None = 0,  // refused name, no manager or service, unreadable or unlisted state
  Stopped = 1,
  Stopping = 2,
  Running = 3,
  Starting = 4,
  Paused = 5,
  Pausing = 6,
};

// The setup's code for a Windows dwCurrentState; continue-pending and unknown states
// have none.
ServiceState ServiceStateFromWindows(std::uint32_t currentState);

class ModServices {
 public:
  explicit ModServices(ServiceControlSeam& seam) : seam_(seam) {}

  // An empty machine name is the local computer.
  ServiceState GetServiceStatus(const std::string& serviceName, const std::string& machineName);
  // True when the start request was accepted; the service may still be starting.
  bool StartServiceByName(const std::string& serviceName, const std::string& machineName);

 private:
  ServiceControlSeam& seam_;
};

}  // namespace kelvano
