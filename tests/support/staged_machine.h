#pragma once
// A whole machine in memory for the setup's logic: registry, services, programs (with
// the exit codes and traces they leave), Windows version, network and shell. Files are
// real, in folders of the test's own.
//
//   StagedMachine machine;
//   machine.system.Staged() = MemorySystemInfo::WindowsXp();
//   machine.SetValue(registry::kLocalMachine, "SOFTWARE\\Kelvano", "SetupType", std::string("Server"));
//   machine.services.AddService("MSSQL$KELVANO", {});
//   machine.processes.AddProgram("\"C:\\kit\\setup.exe\" /q", {.exitCode = 3010});
//   machine.network.Serve("http://kit.example/setup.exe", body);
//   PackageRunner runner(context, machine.Seams(), window, removal);

#include <memory>
#include <string>
#include <vector>

#include "packages/machine.h"
#include "packages/url_transfers.h"
#include "system/logging_seams.h"
#include "system/registry_manager.h"
#include "tests/support/memory_processes.h"
#include "tests/support/memory_registry.h"
#include "tests/support/memory_services.h"
#include "tests/support/memory_system_info.h"
#include "tests/support/recording_shutdown.h"
#include "tests/support/scripted_transfers.h"

namespace kelvano::test {

// Records what is opened through the shell, and opens nothing.
class RecordingShell : public ShellSeam {
 public:
  struct Opened {
    std::string verb, file, parameters, folder;
    int showCommand;
    bool operator==(const Opened&) const = default;
  };
  long OpenDocument(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& folder, int showCommand) override {
    opened.push_back({verb, file, parameters, folder, showCommand});
    return 0;
  }
  std::vector<Opened> opened;
};

class StagedMachine {
 public:
  StagedMachine();

  // Describes the staged Windows anew each time, as a start-up would, so that a test may
  // change the system between steps.
  Machine& Seams() {
    description_ = SystemInfo(system);
    return seams_;
  }

  // Creates the key as needed and stores the value with its type (text as REG_SZ), in
  // the setup's view or (registry::kView64) the 64-bit one.
  void SetValue(RegistryHandle root, const std::string& key, const std::string& valueName, const RegistryValue& value,
                std::uint32_t view = 0);
  RegistryValue Value(RegistryHandle root, const std::string& key, const std::string& valueName,
                      std::uint32_t view = 0);

  MemoryRegistry registry;
  MemoryServices services;
  MemoryProcesses processes;
  MemorySystemInfo system;
  RecordingShutdown shutdown;
  ScriptedTransfers network;
  UrlTransfers transfers{network};
  RecordingShell shell;
  std::unique_ptr<ZipFileSystem> files;
  SetupLog log{nullptr};  // what the setup would log: log.Events()

 private:
  LoggingRegistry loggedRegistry_{registry, log};
  LoggingServices loggedServices_{services, log};
  LoggingProcesses loggedProcesses_;
  SystemInfo description_{system};
  ProcessRunner runner_{loggedProcesses_, description_};
  Machine seams_;
};

}  // namespace kelvano::test
