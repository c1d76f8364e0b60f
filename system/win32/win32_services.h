#pragma once
// The service control seam over the wide service functions of Windows.

#include "system/service_control_seam.h"

namespace kelvano {

class Win32Services : public ServiceControlSeam {
 public:
  long OpenManager(const std::string& machineName, const std::string& databaseName, std::uint32_t access,
                   ServiceHandle& manager) override;
  long OpenNamedService(ServiceHandle manager, const std::string& serviceName, std::uint32_t access,
                        ServiceHandle& service) override;
  long QueryStatus(ServiceHandle service, std::uint32_t& currentState) override;
  long Start(ServiceHandle service) override;
  long Close(ServiceHandle handle) override;
};

}  // namespace kelvano
