#include "system/mod_services.h"

namespace kelvano {
namespace {

// A service control handle, closed on every path.
class OpenedServiceHandle {
 public:
  explicit OpenedServiceHandle(ServiceControlSeam& seam) : seam_(seam) {}
  ~OpenedServiceHandle() {
    if (open_) seam_.Close(handle_);
  }
  OpenedServiceHandle(const OpenedServiceHandle&) = delete;
  OpenedServiceHandle& operator=(const OpenedServiceHandle&) = delete;

  bool OpenManager(const std::string& machineName) {
    open_ = seam_.OpenManager(machineName, service::kActiveDatabase, service::kManagerAllAccess,
                              handle_) == service::kSuccess;
    return open_;
  }
  bool OpenService(const OpenedServiceHandle& manager, const std::string& serviceName) {
    open_ = seam_.OpenNamedService(manager.handle_, serviceName, service::kServiceAllAccess,
                                   handle_) == service::kSuccess;
    return open_;
  }
  ServiceHandle Handle() const { return handle_; }

 private:
  ServiceControlSeam& seam_;
  ServiceHandle handle_ = 0;
  bool open_ = false;
};

// A name with a blank cannot be passed on safely (an instance name such as "MY SERVER"),
// so it is refused before the manager is touched.
bool IsRefusedName(const std::string& serviceName) {
  return serviceName.find(' ') != std::string::npos;
}

}  // namespace

ServiceState ServiceStateFromWindows(std::uint32_t currentState) {
  switch (currentState) {
    case service::kStopped: return ServiceState::Stopped;
    case service::kStopPending: return ServiceState::Stopping;
    case service::kRunning: return ServiceState::Running;
    case service::kStartPending: return ServiceState::Starting;
    case service::kPaused: return ServiceState::Paused;
    case service::kPausePending: return ServiceState::Pausing;
    default: return ServiceState::None;
  }
}

ServiceState ModServices::GetServiceStatus(const std::string& serviceName, const std::string& machineName) {
  if (IsRefusedName(serviceName)) return ServiceState::None;
  OpenedServiceHandle manager(seam_);
  if (!manager.OpenManager(machineName)) return ServiceState::None;
  OpenedServiceHandle opened(seam_);
  if (!opened.OpenService(manager, serviceName)) return ServiceState::None;
  std::uint32_t currentState = 0;
  if (seam_.QueryStatus(opened.Handle(), currentState) != service::kSuccess) return ServiceState::None;
  return ServiceStateFromWindows(currentState);
}

bool ModServices::StartServiceByName(const std::string& serviceName, const std::string& machineName) {
  if (IsRefusedName(serviceName)) return false;
  OpenedServiceHandle manager(seam_);
  if (!manager.OpenManager(machineName)) return false;
  OpenedServiceHandle opened(seam_);
  if (!opened.OpenService(manager, serviceName)) return false;
  return seam_.Start(opened.Handle()) == service::kSuccess;
}

}  // namespace kelvano
