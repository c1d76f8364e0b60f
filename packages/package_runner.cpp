#include "packages/package_runner.h"

#include <exception>
#include <memory>
#include <optional>

#include "packages/download.h"
#include "packages/download_description.h"
#include "packages/partial_file.h"
#include "packages/transfer_errors.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/process_runner.h"
#include "system/setup_error.h"
#include "system/system_info.h"
#include "system/text_encoding.h"
#include "unzip/cunzip.h"

namespace kelvano {
namespace {

constexpr char kSource[] = "RunPackage";

enum Message {
  kDownloading = 106,
  kUncompressing = 107,
  kArchiveFailed = 108,
  kInstalling = 109,
  kInstallerMissing = 110,
  kDownloadFailed = 111,
  kInstallFailed = 112,
};

std::string Text(int message, const std::string& value) { return FormatText(LoadMessage(message), value); }

// The units that Retry repeats, in the order they run.
enum class Step { Locate, DownloadPath, Download, Extract, CheckInstaller, Remove, Install, Done };

}  // namespace

// One call of RunPackage: what it has found and made so far, and the clean-up of it all.
class PackageRunner::Run {
 public:
  Run(PackageRunner& runner, const std::string& displayName, const std::string& installerPath,
      const std::string& arguments, const std::string& downloadDescription, const std::string& earlierVersionCode)
      : runner_(runner),
        messages_(runner.window_),
        system_(runner.machine_.system, messages_, ApplicationTitle()),
        displayName_(displayName),
        shippedInstaller_(installerPath),
        installer_(installerPath),
        arguments_(arguments),
        descriptionText_(downloadDescription),
        description_(downloadDescription),
        earlierVersionCode_(earlierVersionCode),
        temp_(system_.TemporaryFolder()) {
    runner_.window_.SetBusyPointer(true);
    runner_.window_.SetInstallationRunning(true);
  }

  ~Run() {
    // Every error is ignored from here on: the clean-up must reach its end.
    try {
      if (!temp_.empty()) DeleteFolderTree(ExtractionRoot());
      RemoveDownload();
    } catch (...) {
    }
    RunState& window = runner_.window_;
    window.SetInstallationRunning(false);
    try {
      window.SetInstallationProgress(false, "");
    } catch (...) {
    }
    window.SetBusyPointer(false);
  }

  bool Perform() {
    Step step = Step::Locate;
    while (step != Step::Done) {
      retryFrom_ = step;
      try {
        step = Perform(step);
      } catch (const std::exception& failure) {
        // Cancel fails the package; after Retry the result is what the steps decide, so
        // a package that succeeds on Retry is a success.
        if (!AskRetry(failure)) {
          runner_.lastCancelled_ = true;
          Log("given up by the user");
          return false;
        }
        Log("tried again");
        step = retryFrom_;
        if (step == Step::Locate) StartAgain();
      }
    }
    Log(result_ ? "succeeded" : "failed");
    return result_;
  }

 private:
  Step Perform(Step step) {
    switch (step) {
      case Step::Locate:
        if (FileExists(installer_)) {
          Log("the installer of the kit: " + installer_);
          return Step::CheckInstaller;
        }
        if (!description_.Describes()) return Step::CheckInstaller;
        return Step::DownloadPath;
      case Step::DownloadPath:
        Progress(kDownloading);
        if (temp_.empty()) Fail("No temporary folder: TEMP is not set and Windows names none");
        downloadPath_ = PathJoin(temp_, description_.FileName());
        return Step::Download;
      case Step::Download: {
        const std::string url = description_.Url(runner_.context_.Settings().ProductName,
                                                  runner_.context_.Settings().ProductVersion);
        const std::optional<std::string> sha256 = description_.Sha256();
        Log("downloading " + url + " to " + *downloadPath_ + (sha256 ? ", SHA-256 " + *sha256 : std::string()));
        Downloader downloader(runner_.window_, runner_.machine_.transfers, {}, runner_.machine_.clock);
        try {
          downloader.DownloadFile(url, *downloadPath_, sha256);
        } catch (const std::exception&) {
          Log("download failed: " + url + Received(downloader));
          throw;
        }
        Log("downloaded " + url + Received(downloader));
        return Step::Extract;
      }
      case Step::Extract:
        if (!description_.IsArchive()) {
          installer_ = *downloadPath_;
        } else {
          Extract();
        }
        return Step::CheckInstaller;
      case Step::CheckInstaller:
        if (!FileExists(installer_)) {
          // The user may copy the installer in place, or the network come back: Retry
          // looks for it again from the start.
          retryFrom_ = Step::Locate;
          Fail(Text(kInstallerMissing, installer_));
        }
        result_ = true;
        return Step::Remove;
      case Step::Remove:
        return runner_.removal_.RemoveEarlierVersion(earlierVersionCode_) ? Step::Install : Step::Done;
      case Step::Install:
        Install();
        return Step::Done;
      case Step::Done:
        break;
    }
    return Step::Done;
  }

  void Extract() {
    const std::string inArchive = description_.InstallerInArchive();
    if (!IsPlainFileName(displayName_)) {
      Fail("The package name \"" + displayName_ + "\" cannot name its extraction folder");
    }
    const std::string folder = PathJoin(ExtractionRoot(), displayName_);
    Progress(kUncompressing);
    Log("extracting " + *downloadPath_ + " to " + folder);
    cUnzip zip(runner_.machine_.files);
    // A broken archive may be downloaded whole on Retry.
    if (!zip.Init(*downloadPath_) || !zip.Unzip(folder)) {
      retryFrom_ = Step::Locate;
      Fail(LoadMessage(kArchiveFailed));
    }
    installer_ = PathJoin(folder, inArchive);
  }

  void Install() {
    Progress(kInstalling);
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
    const std::int32_t exitCode = ProcessRunner(runner_.machine_.processes, system_, runner_.window_)
                                      .RunAndWait(commandLine, ParentFolder(installer_), 20, 1,
                                                  process::kInheritCallerPriority);
    if (exitCode != 0) result_ = false;
  }

  void Progress(int message) { runner_.window_.SetInstallationProgress(true, Text(message, displayName_)); }
  void Log(const std::string& event) { runner_.machine_.log.Write("package " + displayName_ + ": " + event); }
  static std::string Received(const Downloader& downloader) {
    const long error = downloader.LastError();
    return " (status " + std::to_string(downloader.LastStatus()) + ", " + std::to_string(downloader.LastBytes()) +
           " bytes" + (error != 0 ? ", " + DescribeTransferError(error) : std::string()) + ")";
  }

  [[noreturn]] static void Fail(const std::string& description) {
    throw SetupError(kPackageFailedError, kSource, description);
  }

  bool AskRetry(const std::exception& failure) {
    return AskRetryAfterFailure(runner_.window_, displayName_, !descriptionText_.empty(), failure);
  }

  // Back to the first step, as if the package had not been tried yet.
  void StartAgain() {
    if (!temp_.empty()) DeleteFolderTree(ExtractionRoot());
    RemoveDownload();
    installer_ = shippedInstaller_;
    result_ = false;
  }

  void RemoveDownload() {
    if (downloadPath_) DeleteFileQuietly(*downloadPath_);
    downloadPath_.reset();
  }

  std::string ExtractionRoot() const { return PathJoin(temp_, kExtractionFolderName); }

  PackageRunner& runner_;
  RunStateMessages messages_;
  SystemInfo system_;
  const std::string displayName_;
  const std::string shippedInstaller_;
  std::string installer_;
  const std::string arguments_;
  const std::string descriptionText_;
  const DownloadDescription description_;
  const std::string earlierVersionCode_;
  const std::string temp_;
  std::optional<std::string> downloadPath_;  // once the download has a place
  Step retryFrom_ = Step::Locate;
  bool result_ = false;
};

bool AskRetryAfterFailure(RunState& window, const std::string& displayName, bool hasDownloadDescription,
                          const std::exception& failure) {
  try {
    const std::string text = FormatText(LoadMessage(hasDownloadDescription ? kDownloadFailed : kInstallFailed),
                                        displayName, ErrorDescription(failure));
    return window.ShowMessage(SetupMessageBox(text, MessageIcon::Error, MessageButtons::RetryCancel)) ==
           MessageAnswer::Retry;
  } catch (...) {
    return false;
  }
}

bool PackageRunner::RunPackage(const std::string& displayName, const std::string& installerPath,
                               const std::string& arguments, const std::string& downloadDescription,
                               const std::string& earlierVersionCode) {
  lastCancelled_ = false;
  try {
    Run run(*this, displayName, installerPath, arguments, downloadDescription, earlierVersionCode);
    return run.Perform();
  } catch (...) {
    return false;
  }
}

}  // namespace kelvano
