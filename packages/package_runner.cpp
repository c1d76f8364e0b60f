#include "packages/package_runner.h"

#include <exception>
#include <memory>
#include <optional>

#include "packages/download_description.h"
#include "packages/package_source.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/process_runner.h"
#include "system/setup_error.h"
#include "system/system_info.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

constexpr char kSource[] = "RunPackage";

// The units after the installer is there that Retry repeats, in the order they run.
enum class Step { Remove, Install, Done };

}  // namespace

// One call of RunPackage: the installer obtained, the run of it, and the clean-up of it all.
class PackageRunner::Run {
 public:
  Run(PackageRunner& runner, const std::string& displayName, const std::string& installerPath,
      const std::string& arguments, const std::string& downloadDescription, const std::string& earlierVersionCode)
      : runner_(runner),
        messages_(runner.window_),
        system_(runner.machine_.system, messages_, ApplicationTitle()),
        displayName_(displayName),
        shippedInstaller_(installerPath),
        arguments_(arguments),
        earlierVersionCode_(earlierVersionCode),
        temp_(system_.TemporaryFolder()),
        source_(runner.context_, runner.machine_, runner.window_, displayName, downloadDescription,
                [this](const DownloadDescription& description) { return PlacesOf(description); }) {
    runner_.window_.SetBusyPointer(true);
    runner_.window_.SetInstallationRunning(true);
  }

  ~Run() {
    // Every error is only logged from here on: the clean-up must reach its end.
    CleanUp("the removal of its extraction folder", [&] {
      if (!temp_.empty()) DeleteFolderTree(ExtractionRoot());
    });
    RunState& window = runner_.window_;
    window.SetInstallationRunning(false);
    CleanUp("the switch back to the option page", [&] { window.SetInstallationProgress(false, ""); });
    window.SetBusyPointer(false);
  }

  bool Perform() {
    const std::optional<std::string> installer = source_.Obtain(shippedInstaller_);
    if (!installer) {
      runner_.lastCancelled_ = true;
      return false;
    }
    installer_ = *installer;
    result_ = true;
    Step step = Step::Remove;
    while (step != Step::Done) {
      try {
        step = Perform(step);
      } catch (const std::exception& failure) {
        // Cancel fails the package; after Retry the result is what the steps decide, so
        // a package that succeeds on Retry is a success.
        if (!source_.AskRetry(failure)) {
          runner_.lastCancelled_ = true;
          source_.Log("given up by the user");
          return false;
        }
        source_.Log("tried again");
      }
    }
    source_.Log(result_ ? "succeeded" : "failed");
    return result_;
  }

 private:
  Step Perform(Step step) {
    switch (step) {
      case Step::Remove:
        // False ends the package without running it; its result stays true.
        return runner_.removal_.RemoveEarlierVersion(earlierVersionCode_) ? Step::Install : Step::Done;
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
    runner_.window_.SetInstallationProgress(true, FormatText(LoadMessage(message::kInstalling), displayName_));
    const std::string type = AsciiLower(installer_.size() < 3 ? installer_ : installer_.substr(installer_.size() - 3));
    std::string commandLine;
    if (type == "msi") {
      // By full path: Windows looks in the setup's own folder first, where anybody who
      // could write the download folder could have put an msiexec.exe.
      commandLine = Quoted(PathJoin(system_.SystemFolder(), "msiexec.exe")) + " /package " + Quoted(installer_) + " " +
                    arguments_;
    } else if (type == "exe") {
      commandLine = Quoted(installer_) + " " + arguments_;
    }
    // Any other type is not run: no success.
    if (commandLine.empty()) {
      result_ = false;
      return;
    }
    const std::int32_t exitCode =
        ProcessRunner(runner_.machine_.processes, system_, runner_.window_)
            .RunAndWait(commandLine, ParentFolder(installer_), process::kInheritCallerPriority);
    if (exitCode != 0) result_ = false;
  }

  template <typename Step>
  void CleanUp(const char* what, Step step) {
    try {
      step();
    } catch (...) {
      source_.Log(std::string(what) + " failed: " + DescribeCurrentError());
    }
  }

  [[noreturn]] static void Fail(const std::string& description) {
    throw SetupError(kPackageFailedError, kSource, description);
  }

  std::string ExtractionRoot() const { return PathJoin(temp_, kExtractionFolderName); }

  PackageRunner& runner_;
  RunStateMessages messages_;
  SystemInfo system_;
  const std::string displayName_;
  const std::string shippedInstaller_;
  std::string installer_;
  const std::string arguments_;
  const std::string earlierVersionCode_;
  const std::string temp_;
  PackageSource source_;
  bool result_ = false;
};

bool PackageRunner::RunPackage(const std::string& displayName, const std::string& installerPath,
                               const std::string& arguments, const std::string& downloadDescription,
                               const std::string& earlierVersionCode) {
  lastCancelled_ = false;
  try {
    Run run(*this, displayName, installerPath, arguments, downloadDescription, earlierVersionCode);
    return run.Perform();
  } catch (...) {
    machine_.log.Write("package " + displayName + ": failed: " + DescribeCurrentError());
    return false;
  }
}

}  // namespace kelvano
