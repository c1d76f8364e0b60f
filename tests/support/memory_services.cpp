#include "tests/support/memory_services.h"

#include "system/text_encoding.h"

namespace kelvano::test {
namespace {

// What a user without administrative rights may do with a service: read its
// configuration, status and dependents.
constexpr std::uint32_t kUserServiceRights = 0x0001 | service::kQueryStatusRight | 0x0008;

}  // namespace

void MemoryServices::AddService(const std::string& name, StagedService staged) {
  services_[AsciiLower(name)] = Entry{name, staged};
}

MemoryServices::Entry* MemoryServices::Lookup(const std::string& name) {
  const auto it = services_.find(AsciiLower(name));
  return it == services_.end() ? nullptr : &it->second;
}

const MemoryServices::Opened* MemoryServices::Find(ServiceHandle handle, bool wantManager) const {
  const auto it = handles_.find(handle);
  if (it == handles_.end() || it->second.service.empty() != wantManager) return nullptr;
  return &it->second;
}

long MemoryServices::OpenManager(const std::string& machineName, const std::string& databaseName, std::uint32_t access,
                                 ServiceHandle& manager) {
  ++calls_;
  // Only the local computer is staged; another machine is out of reach.
  if (!machineName.empty()) return windows_error::kServerUnavailable;
  if (!databaseName.empty() && !EqualsIgnoreAsciiCase(databaseName, service::kActiveDatabase)) {
    return windows_error::kDatabaseDoesNotExist;
  }
  if (!administrator_ && (access & ~service::kManagerConnect) != 0) return windows_error::kAccessDenied;
  manager = nextHandle_++;
  handles_[manager] = Opened{"", access};
  return windows_error::kSuccess;
}

long MemoryServices::OpenNamedService(ServiceHandle manager, const std::string& serviceName, std::uint32_t access,
                                      ServiceHandle& service) {
  ++calls_;
  if (Find(manager, true) == nullptr) return windows_error::kInvalidHandle;
  const Entry* entry = Lookup(serviceName);
  if (entry == nullptr) return windows_error::kServiceDoesNotExist;
  if (!administrator_ && (access & ~kUserServiceRights) != 0) return windows_error::kAccessDenied;
  service = nextHandle_++;
  handles_[service] = Opened{AsciiLower(serviceName), access};
  return windows_error::kSuccess;
}

long MemoryServices::QueryStatus(ServiceHandle service, std::uint32_t& currentState) {
  ++calls_;
  const Opened* opened = Find(service, false);
  if (opened == nullptr) return windows_error::kInvalidHandle;
  if ((opened->access & service::kQueryStatusRight) == 0) return windows_error::kAccessDenied;
  const StagedService& staged = services_.at(opened->service).staged;
  if (staged.queryResult != windows_error::kSuccess) return staged.queryResult;
  currentState = staged.state;
  return windows_error::kSuccess;
}

long MemoryServices::Start(ServiceHandle service) {
  ++calls_;
  const Opened* opened = Find(service, false);
  if (opened == nullptr) return windows_error::kInvalidHandle;
  if ((opened->access & service::kStartRight) == 0) return windows_error::kAccessDenied;
  Entry& entry = services_.at(opened->service);
  startRequests_.push_back(entry.name);
  StagedService& staged = entry.staged;
  if (staged.state != service::kStopped) return windows_error::kServiceAlreadyRunning;
  if (staged.startResult != windows_error::kSuccess) return staged.startResult;
  staged.state = staged.stateAfterStart;
  return windows_error::kSuccess;
}

long MemoryServices::Close(ServiceHandle handle) {
  ++calls_;
  return handles_.erase(handle) == 1 ? windows_error::kSuccess : windows_error::kInvalidHandle;
}

std::uint32_t MemoryServices::State(const std::string& name) const {
  const auto it = services_.find(AsciiLower(name));
  return it == services_.end() ? 0 : it->second.staged.state;
}

}  // namespace kelvano::test
