#include "system/mod_services.h"

#include "system/seam_handle.h"

namespace kelvano {
namespace {

using ScopedServiceHandle = SeamHandle<ServiceControlSeam, ServiceHandle, &ServiceControlSeam::Close>;

// A name with a blank (an instance named "MY SERVER") is refused before the manager is
// touched: it reads as no service and cannot be started.
bool IsRefusedName(const std::string& serviceName) { return serviceName.find(' ') != std::string::npos; }

// Opens the manager, then the service, with all access rights.
bool OpenManagerAndService(ServiceControlSeam& seam, const std::string& machineName, const std::string& serviceName,
                           ScopedServiceHandle& manager, ScopedServiceHandle& opened) {
  return seam.OpenManager(machineName, service::kActiveDatabase, service::kManagerAllAccess, manager.Receive()) ==
             windows_error::kSuccess &&
         seam.OpenNamedService(manager.Get(), serviceName, service::kServiceAllAccess, opened.Receive()) ==
             windows_error::kSuccess;
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
  ScopedServiceHandle manager(seam_);
  ScopedServiceHandle opened(seam_);
  if (!OpenManagerAndService(seam_, machineName, serviceName, manager, opened)) return ServiceState::None;
  std::uint32_t currentState = 0;
  if (seam_.QueryStatus(opened.Get(), currentState) != windows_error::kSuccess) return ServiceState::None;
  return ServiceStateFromWindows(currentState);
}

bool ModServices::StartServiceByName(const std::string& serviceName, const std::string& machineName) {
  if (IsRefusedName(serviceName)) return false;
  ScopedServiceHandle manager(seam_);
  ScopedServiceHandle opened(seam_);
  if (!OpenManagerAndService(seam_, machineName, serviceName, manager, opened)) return false;
  return seam_.Start(opened.Get()) == windows_error::kSuccess;
}

}  // namespace kelvano
