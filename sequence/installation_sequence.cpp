#include "sequence/installation_sequence.h"

#include "sequence/restart_system.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/mod_services.h"
#include "system/registry_manager.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {

int ExitCodeOf(InstallationOutcome outcome) {
  switch (outcome) {
    case InstallationOutcome::Nothing:
    case InstallationOutcome::Busy:
    case InstallationOutcome::Completed: return 0;
    case InstallationOutcome::RestartPending: return 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
    case InstallationOutcome::RestartStarted: return 1641;  // ERROR_SUCCESS_REBOOT_INITIATED
    case InstallationOutcome::Declined:
    case InstallationOutcome::Cancelled: return 1602;  // ERROR_INSTALL_USEREXIT
    case InstallationOutcome::WindowsRefused:
    case InstallationOutcome::PrerequisiteFailed:
    case InstallationOutcome::ProductFailed: break;
  }
  return 1603;  // ERROR_INSTALL_FAILURE
}

std::optional<SetupOption> QuietRunOption(const std::string& setupType) {
  const std::string type = AsciiLower(setupType);
  if (type == "server") return SetupOption::Server;
  if (type == "client") return SetupOption::Client;
  return std::nullopt;
}

std::string FeatureArguments(SetupOption option) {
  return option == SetupOption::Server ? "/S /v\"/qn ADDLOCAL=ALL REMOVE=Kelvano_Client\""
                                       : "/S /v\"/qn ADDLOCAL=ALL REMOVE=Kelvano_Database\"";
}

InstallationSequence::InstallationSequence(const SetupContext& context, Machine& machine, RunState& window,
                                           std::string executablePath)
    : context_(context),
      machine_(machine),
      window_(window),
      executablePath_(std::move(executablePath)),
      removal_(context, machine, window),
      runner_(context, machine, window, removal_),
      detection_(context, machine, window),
      catalogue_(context, machine, window, runner_, detection_),
      firewall_(context, machine, window) {}

InstallationOutcome InstallationSequence::RunInstallation(int option) {
  switch (option) {
    case static_cast<int>(SetupOption::QuickSupport): return RunQuickSupport();
    case static_cast<int>(SetupOption::Server):
    case static_cast<int>(SetupOption::Client): return RunServerOrClient(static_cast<SetupOption>(option));
    default: return InstallationOutcome::Nothing;
  }
}

MessageAnswer InstallationSequence::Show(int message, MessageIcon icon, MessageButtons buttons,
                                         std::initializer_list<FormatValue> values, bool secondButtonDefault) {
  MessageBoxRequest request = SetupMessageBox(FormatTextValues(LoadMessage(message), values), icon, buttons);
  request.secondButtonDefault = secondButtonDefault;
  return window_.ShowMessage(request);
}

InstallationOutcome InstallationSequence::RunQuickSupport() {
  // The support tool is a convenience: nothing about it may stop the setup.
  try {
    if (window_.InstallationRunning()) {
      Show(message::kBusy, MessageIcon::Warning);
      return InstallationOutcome::Busy;
    }
    catalogue_.RunQuickSupport();
  } catch (...) {
    machine_.log.Write("Quick Support failed: " + DescribeCurrentError());
  }
  return InstallationOutcome::Nothing;
}

InstallationOutcome InstallationSequence::RunServerOrClient(SetupOption option) {
  if (window_.InstallationRunning()) {
    Show(message::kBusy, MessageIcon::Warning);
    return InstallationOutcome::Busy;
  }
  const SetupSettings& settings = context_.Settings();

  if (!settings.QuietMode) {
    const std::string stored = AsciiLower(context_.StoredSetupType());
    if ((stored == "server" && option == SetupOption::Client) ||
        (stored == "client" && option == SetupOption::Server)) {
      if (Show(message::kOtherSetupType, MessageIcon::Question, MessageButtons::YesNo, {}, true) !=
          MessageAnswer::Yes) {
        return InstallationOutcome::Declined;
      }
    }
  }
  if (!detection_.CheckOperatingSystem()) {
    window_.CloseMainWindow();
    return InstallationOutcome::WindowsRefused;
  }
  if (!settings.SkipFramework) {
    if (const std::optional<InstallationOutcome> ended = InstallFrameworks(option)) return *ended;
  }
  if (option == SetupOption::Server && !settings.SkipSql) {
    if (const std::optional<InstallationOutcome> ended = InstallSqlServer(option)) return *ended;
  }

  const PackageOutcome product = catalogue_.InstallProduct(FeatureArguments(option));
  const bool installed = product != PackageOutcome::Failed && product != PackageOutcome::Cancelled;
  if (installed && option == SetupOption::Server) {
    firewall_.ConfigureProductFirewall();
    RegistryManager registry(machine_.registry);
    const std::string key = "SOFTWARE\\" + settings.ProductName;
    if (!settings.Network.empty()) {
      registry.SetRegistryValue(registry::kLocalMachine, key, "Network", registry::kString, settings.Network);
    } else {
      registry.DeleteValue(registry::kLocalMachine, key, "Network");
    }
  }
  if (!installed) {
    return PackageFailed(product, kit_package::kProduct.failureMessage, InstallationOutcome::ProductFailed);
  }
  // The installation is complete; only the restart is left, and nothing to resume.
  if (product != PackageOutcome::Installed) {
    return Restart(settings.ProductName, product == PackageOutcome::RestartStarted, std::nullopt);
  }
  if (!settings.QuietMode) Show(message::kCompleted, MessageIcon::Information);
  return InstallationOutcome::Completed;
}

InstallationOutcome InstallationSequence::PackageFailed(PackageOutcome outcome, int message,
                                                        InstallationOutcome failure) {
  Show(message, MessageIcon::Error, MessageButtons::Ok, {context_.Settings().ProductName});
  // A package given up in its Retry/Cancel box was ended by the user.
  return outcome == PackageOutcome::Cancelled ? InstallationOutcome::Cancelled : failure;
}

std::optional<InstallationOutcome> InstallationSequence::InstallFrameworks(SetupOption option) {
  for (const KitPackage* framework : kit_package::kFrameworks) {
    if (!catalogue_.IsInstalled(*framework)) {
      const PackageOutcome outcome = catalogue_.Install(*framework);
      switch (outcome) {
        case PackageOutcome::Installed: break;
        case PackageOutcome::RestartNeeded:
        case PackageOutcome::RestartStarted:
          return Restart(catalogue_.DisplayName(*framework), outcome == PackageOutcome::RestartStarted, option);
        case PackageOutcome::Failed:
        case PackageOutcome::Cancelled:
          return PackageFailed(outcome, framework->failureMessage, InstallationOutcome::PrerequisiteFailed);
      }
    }
    if (framework->missingMessage != 0 && !catalogue_.IsInstalled(*framework)) {
      Show(framework->missingMessage, MessageIcon::Error, MessageButtons::Ok, {context_.Settings().ProductName});
      return InstallationOutcome::PrerequisiteFailed;
    }
  }
  return std::nullopt;
}

std::optional<InstallationOutcome> InstallationSequence::InstallSqlServer(SetupOption option) {
  // An existing instance is left as it is: no service check, no firewall rules.
  if (detection_.IsSqlInstanceInstalled()) return std::nullopt;
  const PackageOutcome outcome = catalogue_.InstallSqlServer();
  if (outcome != PackageOutcome::Installed) {
    return PackageFailed(outcome, message::kSqlServerFailed, InstallationOutcome::PrerequisiteFailed);
  }
  ModServices services(machine_.services);
  const std::string service = "MSSQL$" + context_.Settings().ServerName;
  const ServiceState state = services.GetServiceStatus(service, "");
  bool restart = state == ServiceState::None;
  if (state != ServiceState::None && state != ServiceState::Running && state != ServiceState::Starting) {
    restart = !services.StartServiceByName(service, "");
  }
  // The run after the restart finds the instance and goes on with the product.
  if (restart) return Restart(context_.Settings().ProductName, false, option);
  if (!firewall_.ConfigureSqlFirewall()) Show(message::kFirewallFailed, MessageIcon::Warning);
  return std::nullopt;
}

std::string InstallationSequence::ResumeCommandLine(SetupOption option) const {
  const SetupSettings& settings = context_.Settings();
  std::string name = executablePath_.substr(executablePath_.rfind('\\') + 1);
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
  // Quoted: unquoted, a folder with a blank would make Windows start another program.
  std::string line = Quoted(PathJoin(context_.AppFolder(), name + ".EXE")) + " /resume";
  if (settings.QuietMode) line += " /q";
  if (settings.SuppressMessageBoxes) line += " /suppressmsgboxes";
  if (settings.SkipSql) line += " /nosql";
  if (settings.SkipFramework) line += " /noframework";
  if (!settings.ProductVersion.empty()) line += " /v " + settings.ProductVersion;
  if (!settings.LogPath.empty()) line += " /log " + Quoted(settings.LogPath);
  return line + " " + FeatureArguments(option);
}

InstallationOutcome InstallationSequence::Restart(const std::string& packageName, bool started,
                                                  std::optional<SetupOption> resumeAs) {
  const std::string& product = context_.Settings().ProductName;
  // Written before the question, and kept whatever the answer: the run after the next
  // logon finds what is installed and goes on.
  if (resumeAs) RegistryManager(machine_.registry).AddCmdLine2RunOnce(product + " Setup", ResumeCommandLine(*resumeAs));
  if (started) return InstallationOutcome::RestartStarted;
  if (Show(message::kRestartNeeded, MessageIcon::Warning, MessageButtons::YesNo, {packageName}) == MessageAnswer::Yes) {
    RestartSystem(window_, machine_.shutdown);
  }
  return InstallationOutcome::RestartPending;
}

}  // namespace kelvano
