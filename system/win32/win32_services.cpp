#include "system/win32/win32_services.h"

#include <windows.h>

#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

SC_HANDLE ToScHandle(ServiceHandle handle) { return reinterpret_cast<SC_HANDLE>(handle); }
ServiceHandle FromScHandle(SC_HANDLE handle) { return reinterpret_cast<ServiceHandle>(handle); }

}  // namespace

long Win32Services::OpenManager(const std::string& machineName, const std::string& databaseName, std::uint32_t access,
                                ServiceHandle& manager) {
  const std::wstring machine = Widen(machineName);
  const std::wstring database = Widen(databaseName);
  const SC_HANDLE opened = OpenSCManagerW(machine.empty() ? nullptr : machine.c_str(),
                                          database.empty() ? nullptr : database.c_str(), access);
  if (opened == nullptr) return static_cast<long>(GetLastError());
  manager = FromScHandle(opened);
  return ERROR_SUCCESS;
}

long Win32Services::OpenNamedService(ServiceHandle manager, const std::string& serviceName, std::uint32_t access,
                                     ServiceHandle& service) {
  const SC_HANDLE opened = OpenServiceW(ToScHandle(manager), Widen(serviceName).c_str(), access);
  if (opened == nullptr) return static_cast<long>(GetLastError());
  service = FromScHandle(opened);
  return ERROR_SUCCESS;
}

long Win32Services::QueryStatus(ServiceHandle service, std::uint32_t& currentState) {
  SERVICE_STATUS status = {};
  if (!QueryServiceStatus(ToScHandle(service), &status)) return static_cast<long>(GetLastError());
  currentState = status.dwCurrentState;
  return ERROR_SUCCESS;
}

long Win32Services::Start(ServiceHandle service) {
  return StartServiceW(ToScHandle(service), 0, nullptr) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

long Win32Services::Close(ServiceHandle handle) {
  return CloseServiceHandle(ToScHandle(handle)) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

}  // namespace kelvano
