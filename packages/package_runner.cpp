#include "packages/package_runner.h"

#include <exception>
#include <memory>
#include <optional>

#include "packages/download_description.h"
#include "packages/package_source.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/event_pump_wait.h"
#include "system/installation_running.h"
#include "system/process_runner.h"
#include "system/setup_error.h"
#include "system/system_info.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

// The units after the installer is there that Retry repeats, in the order they run.
enum class Step { Remove, Install, Done };

}  // namespace

// One call of RunPackage: the installer obtained, the run of it, and the clean-up of it all.
class PackageRunner::Run {
 public:
  Run(PackageRunner& runner, const PackageRequest& request)
      : runner_(runner),
        request_(request),
        displayName_(request.displayName),
        temp_(runner.machine_.system.TemporaryFolder()),
        source_(runner.context_, runner.machine_, runner.window_, displayName_, request.downloadDescription,
                [this](const DownloadDescription& description) { return PlacesOf(description); }),
        running_(runner.window_, [this](const std::string& event) { source_.Log(event); }) {
    // Every package removes the folder when it is done: one that is there now was left
    // by a run that was killed.
    if (!temp_.empty() && runner_.machine_.files.FolderExists(ExtractionRoot())) {
      runner_.machine_.log.Write("removes what an earlier run left in " + ExtractionRoot());
      DeleteFolderTree(ExtractionRoot());
    }
  }

  ~Run() {
    CleanUpLogged(
        "the removal of its extraction folder",
        [&] {
          if (!temp_.empty()) DeleteFolderTree(ExtractionRoot());
        },
        [this](const std::string& event) { source_.Log(event); });
  }

  InstallerReport Perform() {
    const std::optional<std::string> installer = source_.Obtain(request_.installerPath);
    if (!installer) return {InstallerReport::Ended::Cancelled};
    installer_ = *installer;
    // A removal that ends the package leaves it as if its installer had succeeded.
    report_ = {InstallerReport::Ended::Exited, 0};
    // Cancel ends the package; Retry performs the failed step again, and the report is
    // what the steps make it.
    if (!source_.PerformSteps(
            Step::Remove, Step::Done, [this](Step step) { return Perform(step); },
            [](Step failed) { return failed; })) {
      return {InstallerReport::Ended::Cancelled};
    }
    source_.Log(report_.ended == InstallerReport::Ended::Exited
                    ? "ended with exit code " + std::to_string(report_.exitCode)
                    : std::string("not started"));
    return report_;
  }

 private:
  Step Perform(Step step) {
    switch (step) {
      case Step::Remove:
        // False ends the package without running it; its result stays true.
        return runner_.removal_.RemoveEarlierVersion(request_.earlierVersionCode) ? Step::Install : Step::Done;
      case Step::Install: Install(); return Step::Done;
      case Step::Done: break;
    }
    return Step::Done;
  }

  // Downloads go to TEMP, archives are extracted into a folder of the package's name
  // under it; all of it goes when the package is done.
  PackageSource::Places PlacesOf(const DownloadDescription& description) {
    if (temp_.empty()) Fail("No temporary folder: TEMP is not set and Windows names none");
    PackageSource::Places places;
    places.download = PathJoin(temp_, description.FileName());
    if (description.IsArchive()) {
      if (!IsPlainFileName(displayName_)) {
        Fail("The package name \"" + displayName_ + "\" cannot name its extraction folder");
      }
      places.extraction = PathJoin(ExtractionRoot(), displayName_);
    }
    return places;
  }

  void Install() {
    const std::string commandLine = CommandLine();
    // Any other type is not run.
    if (commandLine.empty()) {
      report_ = {InstallerReport::Ended::NotStarted};
      return;
    }
    for (const std::string& secret : request_.arguments.Secrets()) runner_.machine_.log.Conceal(secret);
    for (int attempt = 1;; ++attempt) {
      runner_.window_.SetInstallationProgress(true, FormatText(LoadMessage(message::kInstalling), displayName_));
      const std::int32_t exitCode = runner_.machine_.runner.RunAndWait(
          commandLine, ParentFolder(installer_), process::kInheritCallerPriority, runner_.window_);
      report_ = exitCode == ProcessRunner::kNotStarted ? InstallerReport{InstallerReport::Ended::NotStarted}
                                                       : InstallerReport{InstallerReport::Ended::Exited, exitCode};
      if (!request_.waitsForOtherInstallations || MeaningOfExitCode(exitCode) != ExitCodeMeaning::TryLater ||
          attempt == kBusyTries) {
        return;
      }
      // Windows Update, on a new machine's first start, or another setup: wait for it.
      source_.Log("another installation is running (exit code 1618); try " + std::to_string(attempt + 1) + " of " +
                  std::to_string(kBusyTries) + " in " + std::to_string(kBusyPause.count()) + " s");
      runner_.window_.SetInstallationProgress(true, FormatText(LoadMessage(message::kOtherInstallation), displayName_));
      WaitProcessingEvents(runner_.window_, runner_.machine_.clock, runner_.machine_.sleep, kBusyPause,
                           std::chrono::milliseconds(ProcessRunner::kWaitSliceMilliseconds));
    }
  }

  std::string CommandLine() {
    const std::string type = AsciiLower(installer_.size() < 3 ? installer_ : installer_.substr(installer_.size() - 3));
    const std::string arguments = request_.arguments.Text();
    if (type == "msi") {
      // By full path: Windows looks in the setup's own folder first, where anybody who
      // could write the download folder could have put an msiexec.exe.
      return Quoted(PathJoin(runner_.machine_.system.SystemFolder(), "msiexec.exe")) + " /package " +
             Quoted(installer_) + " " + arguments;
    }
    if (type == "exe") return Quoted(installer_) + " " + arguments;
    return {};
  }

  [[noreturn]] static void Fail(const std::string& description) {
    throw SetupError(kPackageFailedError, kPackageErrorSource, description);
  }

  std::string ExtractionRoot() const { return PathJoin(temp_, kExtractionFolderName); }

  PackageRunner& runner_;
  const PackageRequest& request_;
  const std::string displayName_;
  std::string installer_;
  const std::string temp_;
  PackageSource source_;
  // Ends before source_ removes its temporary files, as the page switch comes first.
  InstallationRunning running_;
  InstallerReport report_;
};

InstallerReport PackageRunner::RunPackage(const PackageRequest& request) {
  try {
    Run run(*this, request);
    return run.Perform();
  } catch (...) {
    machine_.log.Write("package " + request.displayName + ": failed: " + DescribeCurrentError());
    return {InstallerReport::Ended::NotStarted};
  }
}

}  // namespace kelvano
