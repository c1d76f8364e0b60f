#pragma once
// A service control manager held in memory, with the Windows behaviours that the
// setup's rules rely on (case-insensitive names, access rights, error codes, handles
// that must be closed). Tests stage a machine's services with it.

#include <map>
#include <string>
#include <vector>

#include "system/service_control_seam.h"

namespace kelvano::test {

struct StagedService {
  std::uint32_t state = service::kStopped;
  // The answer to a start request while the service is stopped.
  long startResult = windows_error::kSuccess;
  // The state that an accepted start request leaves.
  std::uint32_t stateAfterStart = service::kStartPending;
  // The answer to a status query.
  long queryResult = windows_error::kSuccess;
};

class MemoryServices : public ServiceControlSeam {
 public:
  // Adds or replaces a service of the local computer.
  void AddService(const std::string& name, StagedService staged);
  // Without administrative rights the manager opens only for connecting.
  void SetAdministrator(bool administrator) { administrator_ = administrator; }

  long OpenManager(const std::string& machineName, const std::string& databaseName, std::uint32_t access,
                   ServiceHandle& manager) override;
  long OpenNamedService(ServiceHandle manager, const std::string& serviceName, std::uint32_t access,
                        ServiceHandle& service) override;
  long QueryStatus(ServiceHandle service, std::uint32_t& currentState) override;
  long Start(ServiceHandle service) override;
  long Close(ServiceHandle handle) override;

  // The current state of a staged service; 0 when there is none.
  std::uint32_t State(const std::string& name) const;
  // Names of the services whose start was requested, accepted or not, in order.
  const std::vector<std::string>& StartRequests() const { return startRequests_; }
  // Handles opened and not yet closed.
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // Calls that reached the manager at all (a refused name reaches none).
  std::size_t CallCount() const { return calls_; }

 private:
  struct Opened {
    std::string service;  // lowered name; empty for a manager handle
    std::uint32_t access;
  };
  const Opened* Find(ServiceHandle handle, bool wantManager) const;

  struct Entry {
    std::string name;  // as staged
    StagedService staged;
  };
  Entry* Lookup(const std::string& name);

  std::map<std::string, Entry> services_;  // by lowered name
  std::map<ServiceHandle, Opened> handles_;
  std::vector<std::string> startRequests_;
  ServiceHandle nextHandle_ = 0x2000;
  bool administrator_ = true;
  std::size_t calls_ = 0;
};

}  // namespace kelvano::test
