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
    case InstallationOutcome::Declined:
    case InstallationOutcome::Cancelled: return 1602;  // ERROR_INSTALL_USEREXIT
    case InstallationOutcome::WindowsRefused:
    case InstallationOutcome::PrerequisiteFailed:
    case InstallationOutcome::ProductFailed: break;
  }
  return 1603;  // ERROR_INSTALL_FAILURE
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
  if (!settings.SkipFramework && !InstallFrameworks()) return Failed(InstallationOutcome::PrerequisiteFailed);

  if (option == SetupOption::Server && !settings.SkipSql) {
    switch (InstallSqlServer()) {
      case SqlResult::Failed: return Failed(InstallationOutcome::PrerequisiteFailed);
      case SqlResult::RestartNeeded: return OfferRestart(option);
      case SqlResult::Ready: break;
    }
  }

  const bool installed = catalogue_.InstallProduct(FeatureArguments(option));
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
    Show(message::kProductFailed, MessageIcon::Error);
    return Failed(InstallationOutcome::ProductFailed);
  }
  if (!settings.QuietMode) Show(message::kCompleted, MessageIcon::Information);
  return InstallationOutcome::Completed;
}

InstallationOutcome InstallationSequence::Failed(InstallationOutcome failure) const {
  // The package whose failure ended the run was given up by the user.
  return runner_.LastPackageCancelled() ? InstallationOutcome::Cancelled : failure;
}

bool InstallationSequence::InstallFrameworks() {
  const std::string& product = context_.Settings().ProductName;
  // The messages name older framework versions than their steps; they are shown as the
  // product has always shown them.
  if (!detection_.IsDotNet35Sp1Installed() && !catalogue_.InstallDotNet35Sp1()) {
    Show(message::kDotNet35Failed, MessageIcon::Error);
    return false;
  }
  if (!detection_.IsDotNet35Sp1Installed()) {
    Show(message::kDotNet35Missing, MessageIcon::Error, MessageButtons::Ok, {product});
    return false;
  }
  if (!detection_.IsDotNet48Installed() && !catalogue_.InstallDotNet48()) {
    Show(message::kDotNet48Failed, MessageIcon::Error, MessageButtons::Ok, {product});
    return false;
  }
  return true;
}

InstallationSequence::SqlResult InstallationSequence::InstallSqlServer() {
  // An existing instance is left as it is: no service check, no firewall rules.
  if (detection_.IsSqlInstanceInstalled()) return SqlResult::Ready;
  if (!catalogue_.InstallSqlServer()) {
    Show(message::kSqlServerFailed, MessageIcon::Error);
    return SqlResult::Failed;
  }
  ModServices services(machine_.services);
  const std::string service = "MSSQL$" + context_.Settings().ServerName;
  const ServiceState state = services.GetServiceStatus(service, "");
  bool restart = state == ServiceState::None;
  if (state != ServiceState::None && state != ServiceState::Running && state != ServiceState::Starting) {
    restart = !services.StartServiceByName(service, "");
  }
  if (restart) return SqlResult::RestartNeeded;
  if (!firewall_.ConfigureSqlFirewall()) Show(message::kFirewallFailed, MessageIcon::Warning);
  return SqlResult::Ready;
}

std::string InstallationSequence::ResumeCommandLine(SetupOption option) const {
  std::string name = executablePath_.substr(executablePath_.rfind('\\') + 1);
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
  // Quoted: unquoted, a folder with a blank would make Windows start another program.
  return Quoted(PathJoin(context_.AppFolder(), name + ".EXE")) + " " + FeatureArguments(option);
}

InstallationOutcome InstallationSequence::OfferRestart(SetupOption option) {
  const std::string& product = context_.Settings().ProductName;
  // Written before the question, and kept whatever the answer: the run after the next
  // logon finds the instance and goes on with the product.
  RegistryManager(machine_.registry).AddCmdLine2RunOnce(product + " Setup", ResumeCommandLine(option));
  if (Show(message::kRestartNeeded, MessageIcon::Warning, MessageButtons::YesNo, {product}) == MessageAnswer::Yes) {
    RestartSystem(window_, machine_.shutdown);
  }
  return InstallationOutcome::RestartPending;
}

}  // namespace kelvano
