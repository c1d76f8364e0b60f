#pragma once
// The thinnest layer over the Windows service control manager: each call mirrors one
// function and returns its Windows error code (0 on success). Names are UTF-8.

#include <cstdint>
#include <string>

#include "system/windows_errors.h"

namespace kelvano {

using ServiceHandle = std::uintptr_t;

namespace service {
inline constexpr std::uint32_t kManagerAllAccess = 0xF003F;  // SC_MANAGER_ALL_ACCESS
inline constexpr std::uint32_t kManagerConnect = 0x0001;     // SC_MANAGER_CONNECT
inline constexpr std::uint32_t kServiceAllAccess = 0xF01FF;  // SERVICE_ALL_ACCESS
inline constexpr std::uint32_t kQueryStatusRight = 0x0004;   // SERVICE_QUERY_STATUS
inline constexpr std::uint32_t kStartRight = 0x0010;         // SERVICE_START

inline constexpr char kActiveDatabase[] = "ServicesActive";

// dwCurrentState of SERVICE_STATUS.
inline constexpr std::uint32_t kStopped = 1;
inline constexpr std::uint32_t kStartPending = 2;
inline constexpr std::uint32_t kStopPending = 3;
inline constexpr std::uint32_t kRunning = 4;
inline constexpr std::uint32_t kContinuePending = 5;
inline constexpr std::uint32_t kPausePending = 6;
inline constexpr std::uint32_t kPaused = 7;
}  // namespace service

class ServiceControlSeam {
 public:
  virtual ~ServiceControlSeam() = default;

  // OpenSCManager; an empty machine name is the local computer.
  virtual long OpenManager(const std::string& machineName, const std::string& databaseName, std::uint32_t access,
                           ServiceHandle& manager) = 0;
  // OpenService.
  virtual long OpenNamedService(ServiceHandle manager, const std::string& serviceName, std::uint32_t access,
                                ServiceHandle& service) = 0;
  // QueryServiceStatus: only dwCurrentState is of interest.
  virtual long QueryStatus(ServiceHandle service, std::uint32_t& currentState) = 0;
  // StartService with no start arguments.
  virtual long Start(ServiceHandle service) = 0;
  // CloseServiceHandle, for service and manager handles alike.
  virtual long Close(ServiceHandle handle) = 0;
};

}  // namespace kelvano
