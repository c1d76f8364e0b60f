#pragma once
// Seams that write what passes through them into the setup's log and hand everything on
// unchanged: every program started with its exit code and duration (secrets hidden by the log),
// every registry write, every service looked at or started.

#include <chrono>
#include <functional>
#include <map>
#include <string>

#include "system/process_seam.h"
#include "system/registry_seam.h"
#include "system/service_control_seam.h"
#include "system/setup_log.h"

namespace kelvano {

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

class LoggingProcesses : public ProcessSeam {
 public:
  LoggingProcesses(ProcessSeam& inner, SetupLog& log, SteadyClock clock)
      : inner_(inner), log_(log), clock_(std::move(clock)) {}

  long StartProcess(const ProcessStart& start, ProcessHandle& process, ProcessHandle& thread) override;
  long ShellStart(const std::string& commandLine, std::uint32_t& processId) override;
  long OpenProcessById(std::uint32_t access, bool inheritHandle, std::uint32_t processId,
                       ProcessHandle& process) override;
  std::uint32_t WaitForProcessOrInput(ProcessHandle process, std::uint32_t milliseconds) override {
    return inner_.WaitForProcessOrInput(process, milliseconds);
  }
  long GetExitCode(ProcessHandle process, std::uint32_t& exitCode) override;
  long Close(ProcessHandle handle) override;

 private:
  struct Started {
    std::string commandLine;
    std::chrono::steady_clock::time_point at;
  };
  ProcessSeam& inner_;
  SetupLog& log_;
  SteadyClock clock_;
  std::map<ProcessHandle, Started> started_;
};

class LoggingRegistry : public RegistrySeam {
 public:
  LoggingRegistry(RegistrySeam& inner, SetupLog& log) : inner_(inner), log_(log) {}

  long CreateKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key,
                 std::uint32_t& disposition) override;
  long OpenKey(RegistryHandle root, const std::string& subKey, std::uint32_t access, RegistryHandle& key) override;
  long QueryValue(RegistryHandle key, const std::string& valueName, std::uint32_t& type, std::uint8_t* data,
                  std::uint32_t& size) override {
    return inner_.QueryValue(key, valueName, type, data, size);
  }
  long SetValue(RegistryHandle key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(RegistryHandle key, const std::string& valueName) override;
  long CloseKey(RegistryHandle key) override;

 private:
  RegistrySeam& inner_;
  SetupLog& log_;
  std::map<RegistryHandle, std::string> keys_;  // open keys by their path
};

class LoggingServices : public ServiceControlSeam {
 public:
  LoggingServices(ServiceControlSeam& inner, SetupLog& log) : inner_(inner), log_(log) {}

  long OpenManager(const std::string& machineName, const std::string& databaseName, std::uint32_t access,
                   ServiceHandle& manager) override {
    return inner_.OpenManager(machineName, databaseName, access, manager);
  }
  long OpenNamedService(ServiceHandle manager, const std::string& serviceName, std::uint32_t access,
                        ServiceHandle& service) override;
  long QueryStatus(ServiceHandle service, std::uint32_t& currentState) override;
  long Start(ServiceHandle service) override;
  long Close(ServiceHandle handle) override;

 private:
  ServiceControlSeam& inner_;
  SetupLog& log_;
  std::map<ServiceHandle, std::string> services_;
};

}  // namespace kelvano
