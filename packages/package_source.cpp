#include "packages/package_source.h"

#include "packages/disk_space.h"
#include "packages/package_errors.h"
#include "packages/partial_file.h"
#include "packages/transfer_errors.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/setup_error.h"
#include "system/system_error_text.h"
#include "unzip/cunzip.h"

namespace kelvano {
namespace {

DownloadLimits AutomaticRetries() {
  using std::chrono::seconds;
  DownloadLimits limits;
  limits.retryWaits = {seconds(2), seconds(4), seconds(8)};
  return limits;
}

[[noreturn]] void Fail(const std::string& description) {
  throw SetupError(kPackageFailedError, kPackageErrorSource, description);
}

std::string Received(const Downloader& downloader) {
  const long error = downloader.LastError();
  return " (status " + std::to_string(downloader.LastStatus()) + ", " + std::to_string(downloader.LastBytes()) +
         " bytes" + (error != 0 ? ", " + DescribeTransferError(error) : std::string()) + ")";
}

}  // namespace

PackageSource::PackageSource(const SetupContext& context, Machine& machine, RunState& window, std::string displayName,
                             std::string downloadDescription, PlacesOfDownload places)
    : context_(context),
      machine_(machine),
      window_(window),
      displayName_(std::move(displayName)),
      descriptionText_(std::move(downloadDescription)),
      description_(descriptionText_),
      placesOf_(std::move(places)),
      downloader_(window, machine.transfers, AutomaticRetries(), machine.clock, machine.sleep, &machine.log) {
  downloader_.SetFreeSpaceQuery(
      [&files = machine.files](const std::string& folder) { return files.FreeSpace(folder); });
  downloader_.SetBusyRetry(BusyFiles());
}

BusyRetry PackageSource::BusyFiles() {
  return BusyFileWaits(machine_.sleep, [this](const std::string& event) { Log(event); });
}

PackageSource::~PackageSource() {
  CleanUpLogged(
      "the removal of its temporary files", [this] { RemoveTemporaryFiles(); },
      [this](const std::string& event) { Log(event); });
}

std::optional<std::string> PackageSource::Obtain(const std::string& shipped) {
  const bool obtained = PerformSteps(
      Step::Locate, Step::Done,
      [&](Step step) {
        retryFrom_ = step;
        return Perform(step, shipped);
      },
      [this](Step) {
        if (retryFrom_ == Step::Locate) StartAgain();
        return retryFrom_;
      });
  if (!obtained) return std::nullopt;
  return installer_;
}

PackageSource::Step PackageSource::Perform(Step step, const std::string& shipped) {
  switch (step) {
    case Step::Locate:
      installer_ = shipped;
      if (!shipped.empty() && FileExists(shipped)) {
        Log("the installer of the kit: " + shipped);
        return Step::CheckInstaller;
      }
      if (!description_.Describes()) return Step::CheckInstaller;
      return Step::Places;
    case Step::Places:
      window_.SetInstallationProgress(true, FormatText(LoadMessage(message::kDownloading), displayName_));
      places_ = placesOf_(description_);
      return Step::Download;
    case Step::Download: Download(); return Step::Extract;
    case Step::Extract:
      archive_ = description_.IsArchive();
      if (archive_) {
        Extract();
      } else {
        installer_ = places_->download;
      }
      return Step::CheckInstaller;
    case Step::CheckInstaller:
      if (!FileExists(installer_)) {
        // The user may copy the installer in place, or the network come back: Retry
        // looks for it again from the start.
        retryFrom_ = Step::Locate;
        Fail(FormatText(LoadMessage(message::kInstallerMissing), installer_));
      }
      return Step::Done;
    case Step::Done: break;
  }
  return Step::Done;
}

void PackageSource::Download() {
  const SetupSettings& settings = context_.Settings();
  const std::string url = description_.Url(settings.ProductName, settings.ProductVersion);
  const std::optional<std::string> sha256 = description_.Sha256();
  Log("downloading " + url + " to " + places_->download + (sha256 ? ", SHA-256 " + *sha256 : std::string()));
  try {
    downloader_.DownloadFile(url, places_->download, sha256);
  } catch (const std::exception&) {
    Log("download failed: " + url + Received(downloader_));
    throw;
  }
  Log("downloaded " + url + Received(downloader_));
}

void PackageSource::Extract() {
  // Checked before anything is extracted: a path that leaves the folder is refused.
  const std::string inArchive = description_.InstallerInArchive();
  window_.SetInstallationProgress(true, FormatText(LoadMessage(message::kUncompressing), displayName_));
  Log("extracting " + places_->download + " to " + places_->extraction);
  cUnzip zip(machine_.files);
  // A broken archive may be downloaded whole on Retry.
  retryFrom_ = Step::Locate;
  if (!zip.Init(places_->download)) {
    Log("extraction failed: " + zip.LastError());  // the box says only that it failed
    Fail(LoadMessage(message::kArchiveFailed));
  }
  // The members' sizes, from the central directory, against the room where they go.
  std::uint64_t bytes = 0;
  for (const ZipEntry& entry : zip.Entries()) {
    bytes = entry.uncompressedSize > UINT64_MAX - bytes ? UINT64_MAX : bytes + entry.uncompressedSize;
  }
  if (const std::optional<SpaceShortage> shortage =
          CheckSpace(places_->extraction, bytes, machine_.files.FreeSpace(places_->extraction))) {
    Log("extraction stopped: " + DescribeShortage(*shortage));
    retryFrom_ = Step::Extract;  // Retry looks again, once the user has made room
    Fail(DescribeShortage(*shortage));
  }
  if (!zip.Unzip(places_->extraction)) {
    Log("extraction failed: " + zip.LastError());
    // A disk that failed under it says why; other failures only that it failed.
    const long error = zip.LastWriteError();
    Fail(LoadMessage(message::kArchiveFailed) + (error != 0 ? "\n" + SystemErrorText(error) : std::string()));
  }
  installer_ = PathJoin(places_->extraction, inArchive);
  if (!places_->installer.empty() && installer_ != places_->installer) {
    if (!MoveFileReplacing(installer_, places_->installer))
      Fail(FormatText(LoadMessage(message::kInstallerMissing), installer_));
    installer_ = places_->installer;
  }
}

bool PackageSource::AskRetry(const std::exception& failure) {
  try {
    const int message = HasDownloadDescription() ? message::kDownloadFailed : message::kInstallFailed;
    const std::string text = FormatText(LoadMessage(message), displayName_, ErrorDescription(failure));
    return window_.ShowMessage(SetupMessageBox(text, MessageIcon::Error, MessageButtons::RetryCancel)) ==
           MessageAnswer::Retry;
  } catch (...) {
    // A box that cannot be asked is a Cancel.
    Log("the Retry/Cancel box failed: " + DescribeCurrentError());
    return false;
  }
}

void PackageSource::Log(const std::string& event) { machine_.log.Write("package " + displayName_ + ": " + event); }

void PackageSource::StartAgain() {
  RemoveTemporaryFiles();
  places_.reset();
  archive_ = false;
}

void PackageSource::RemoveTemporaryFiles() {
  if (!places_) return;
  if (places_->temporary || archive_) DeleteFileQuietly(places_->download, BusyFiles());
  if (places_->temporary && archive_) DeleteFolderTree(places_->extraction);
}

}  // namespace kelvano
