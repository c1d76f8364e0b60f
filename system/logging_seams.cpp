#include "system/logging_seams.h"

#include "system/registry_manager.h"

namespace kelvano {
namespace {

std::string RootName(RegistryHandle root) {
  if (root == registry::kCurrentUser) return "HKCU\\";
  if (root == registry::kLocalMachine) return "HKLM\\";
  return {};
}

std::string DataText(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
  if (type == registry::kString || type == registry::kExpandString) return "\"" + TextFromUtf16Bytes(data, size) + "\"";
  if (type == registry::kDword && size == 4) {
    return std::to_string(data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24);
  }
  return std::to_string(size) + " bytes";
}

}  // namespace

long LoggingProcesses::StartProcess(const ProcessStart& start, ProcessHandle& process, ProcessHandle& thread) {
  const long status = inner_.StartProcess(start, process, thread);
  const std::string line = start.commandLine;
  if (status == 0) {
    started_[process] = {line, clock_()};
    log_.Write("started: " + line);
  } else {
    log_.Write("not started (error " + std::to_string(status) + "): " + line);
  }
  return status;
}

long LoggingProcesses::ShellStart(const std::string& commandLine, std::uint32_t& processId) {
  const long status = inner_.ShellStart(commandLine, processId);
  log_.Write((status == 0 ? "started: " : "not started (error " + std::to_string(status) + "): ") + commandLine);
  return status;
}

long LoggingProcesses::OpenProcessById(std::uint32_t access, bool inheritHandle, std::uint32_t processId,
                                       ProcessHandle& process) {
  const long status = inner_.OpenProcessById(access, inheritHandle, processId, process);
  if (status == 0) started_[process] = {"process " + std::to_string(processId), clock_()};
  return status;
}

long LoggingProcesses::GetExitCode(ProcessHandle process, std::uint32_t& exitCode) {
  const long status = inner_.GetExitCode(process, exitCode);
  const auto it = started_.find(process);
  if (status == 0 && it != started_.end()) {
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - it->second.at).count();
    log_.Write("ended with exit code " + std::to_string(static_cast<std::int32_t>(exitCode)) + " after " +
               std::to_string(milliseconds) + " ms: " + it->second.commandLine);
  }
  return status;
}

long LoggingProcesses::Close(ProcessHandle handle) {
  started_.erase(handle);
  return inner_.Close(handle);
}

long LoggingRegistry::CreateKey(RegistryHandle root, const std::string& subKey, std::uint32_t access,
                                RegistryHandle& key, std::uint32_t& disposition) {
  const long status = inner_.CreateKey(root, subKey, access, key, disposition);
  if (status == 0) {
    keys_[key] = RootName(root) + subKey;
    if (disposition == registry::kCreatedNewKey) log_.Write("registry: created " + RootName(root) + subKey);
  }
  return status;
}

long LoggingRegistry::OpenKey(RegistryHandle root, const std::string& subKey, std::uint32_t access,
                              RegistryHandle& key) {
  const long status = inner_.OpenKey(root, subKey, access, key);
  if (status == 0) keys_[key] = RootName(root) + subKey;
  return status;
}

long LoggingRegistry::SetValue(RegistryHandle key, const std::string& valueName, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) {
  const long status = inner_.SetValue(key, valueName, type, data, size);
  log_.Write("registry: " + keys_[key] + " \"" + valueName + "\" = " + DataText(type, data, size) +
             (status == 0 ? "" : " (refused, error " + std::to_string(status) + ")"));
  return status;
}

long LoggingRegistry::DeleteValue(RegistryHandle key, const std::string& valueName) {
  const long status = inner_.DeleteValue(key, valueName);
  log_.Write("registry: " + keys_[key] + " \"" + valueName + "\" removed" +
             (status == 0 ? "" : " (not there, error " + std::to_string(status) + ")"));
  return status;
}

long LoggingRegistry::CloseKey(RegistryHandle key) {
  keys_.erase(key);
  return inner_.CloseKey(key);
}

long LoggingServices::OpenNamedService(ServiceHandle manager, const std::string& serviceName, std::uint32_t access,
                                       ServiceHandle& service) {
  const long status = inner_.OpenNamedService(manager, serviceName, access, service);
  if (status == 0) {
    services_[service] = serviceName;
  } else {
    log_.Write("service " + serviceName + ": not opened (error " + std::to_string(status) + ")");
  }
  return status;
}

long LoggingServices::QueryStatus(ServiceHandle service, std::uint32_t& currentState) {
  const long status = inner_.QueryStatus(service, currentState);
  log_.Write("service " + services_[service] + ": " +
             (status == 0 ? "state " + std::to_string(currentState)
                          : "state unreadable (error " + std::to_string(status) + ")"));
  return status;
}

long LoggingServices::Start(ServiceHandle service) {
  const long status = inner_.Start(service);
  log_.Write("service " + services_[service] + ": start " +
             (status == 0 ? std::string("requested") : "refused (error " + std::to_string(status) + ")"));
  return status;
}

long LoggingServices::Close(ServiceHandle handle) {
  services_.erase(handle);
  return inner_.Close(handle);
}

}  // namespace kelvano
