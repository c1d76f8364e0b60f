#pragma once
// RunInstallation: the setup's main job. A Server or Client run checks Windows, puts
// the .NET Frameworks in place, for a Server SQL Server Express with its service and
// firewall rules, then the product, the product's firewall rule and URL reservation and
// the network value; Quick Support starts the remote-support tool. A package that needs
// a restart (its installer says so, or SQL Server's service will not run) ends the run
// with the offer of one, and the run after it resumes. The window calls it; it decides
// nothing about pages.

#include <optional>
#include <string>

#include "packages/firewall.h"
#include "packages/machine.h"
#include "packages/package_runner.h"
#include "packages/prerequisite_catalogue.h"
#include "packages/prerequisite_detection.h"
#include "sequence/earlier_version_remover.h"
#include "startup/format_text.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

enum class SetupOption { Server = 0, Client = 1, QuickSupport = 2, Exit = 3 };

// What a quiet run installs for the setup type it reads: "server" or "client" in any
// case; nothing for any other type.
std::optional<SetupOption> QuietRunOption(const std::string& setupType);

// How a run ended, for whoever started it.
enum class InstallationOutcome {
  Nothing,             // Exit, an unknown option, or Quick Support (whose failures are ignored)
  Busy,                // a package was running: message 117
  Declined,            // No to message 118
  WindowsRefused,      // the operating system check failed; the window was asked to close
  PrerequisiteFailed,  // messages 119, 121, 122 or 124
  RestartPending,      // message 125 was asked (and, with packages left, the RunOnce entry written)
  RestartStarted,      // an installer started the restart (the RunOnce entry written, with packages left)
  ProductFailed,       // message 127
  Cancelled,           // a package's Retry/Cancel box answered Cancel, which ended the run
  Completed,
};

// The process exit code that deployment tools read: 0 success (or nothing to do), 3010
// a restart is needed, 1641 a restart was started, 1602 the user ended the run, 1603
// any other failure.
int ExitCodeOf(InstallationOutcome outcome);

// The arguments that select the product's features for a Server or a Client.
std::string FeatureArguments(SetupOption option);

class InstallationSequence {
 public:
  // executablePath: the running Setup.exe, which RunOnce starts again after a restart.
  InstallationSequence(const SetupContext& context, Machine& machine, RunState& window, std::string executablePath);

  // Options 0 Server, 1 Client, 2 Quick Support; anything else does nothing. For Server
  // and Client an error raised on the way leaves the run to the caller.
  InstallationOutcome RunInstallation(int option);

  // The RunOnce command line that resumes the run after a restart: this run's own
  // switches, then the product's feature arguments, which the setup ignores.
  std::string ResumeCommandLine(SetupOption option) const;

 private:
  InstallationOutcome RunQuickSupport();
  InstallationOutcome RunServerOrClient(SetupOption option);
  // Step 6: the frameworks; the outcome that ended the run, if one did.
  std::optional<InstallationOutcome> InstallFrameworks(SetupOption option);
  // SQL Server and its service; the outcome that ended the run, if one did.
  std::optional<InstallationOutcome> InstallSqlServer(SetupOption option);
  // A package wants a restart (started: its installer began it). resumeAs: the option
  // that the run after it goes on with; none when nothing is left to install.
  InstallationOutcome Restart(const std::string& packageName, bool started, std::optional<SetupOption> resumeAs);
  // A package that failed or was given up: its message, and the run ends.
  InstallationOutcome PackageFailed(PackageOutcome outcome, int message, InstallationOutcome failure);
  MessageAnswer Show(int message, MessageIcon icon, MessageButtons buttons = MessageButtons::Ok,
                     std::initializer_list<FormatValue> values = {}, bool secondButtonDefault = false);

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
  const std::string executablePath_;
  EarlierVersionRemover removal_;
  PackageRunner runner_;
  PrerequisiteDetection detection_;
  PrerequisiteCatalogue catalogue_;
  Firewall firewall_;
};

}  // namespace kelvano
