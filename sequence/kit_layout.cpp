#include "sequence/kit_layout.h"

#include "packages/download.h"
#include "packages/download_description.h"
#include "packages/package_runner.h"
#include "packages/partial_file.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/setup_error.h"
#include "system/system_info.h"
#include "unzip/cunzip.h"

namespace kelvano {
namespace {

constexpr int kDownloading = 106;
constexpr int kArchiveFailed = 108;
constexpr int kInstallerMissing = 110;

std::string Localized(const char* italian, const char* english) {
  return UserInterfaceLanguage() == MessageLanguage::English ? english : italian;
}

}  // namespace

bool KitLayout::CopyKit(const std::string& folder) {
  const std::string source = context_.AppFolder();
  for (const char* sub : {"", "Misc", "Prerequisites", "Tools", "Setup"}) {
    const std::string from = *sub ? PathJoin(source, sub) : source;
    const std::string to = *sub ? PathJoin(folder, sub) : folder;
    if (!CreateFolderTree(to)) return false;
    for (const std::string& name : FilesIn(from)) {
      // The kit itself, never the folder it is being laid out into.
      if (PathJoin(from, name) == PathJoin(to, name)) continue;
      CopyFileReplacing(PathJoin(from, name), PathJoin(to, name));
    }
  }
  return true;
}

InstallationOutcome KitLayout::Lay(const std::string& folder) {
  machine_.log.Write("layout: a kit in " + folder);
  if (folder.empty() || !CopyKit(folder)) {
    const std::string text = FormatText(
        Localized("Impossibile creare il kit nella cartella {0}.", "Could not make the kit in the folder {0}."), folder);
    window_.ShowMessage(SetupMessageBox(text, MessageIcon::Error));
    return InstallationOutcome::PrerequisiteFailed;
  }
  window_.SetInstallationRunning(true);
  window_.SetBusyPointer(true);
  bool cancelled = false;
  for (const KitPackage& package : kit_package::kAll) {
    if (!Download(package, folder)) {
      cancelled = true;
      break;
    }
  }
  window_.SetInstallationRunning(false);
  window_.SetInstallationProgress(false, "");
  window_.SetBusyPointer(false);
  if (cancelled) return InstallationOutcome::Cancelled;
  const std::string summary = FormatText(Localized("Il kit per l'installazione senza internet è pronto nella cartella {0}.\\n"
                                                   "Pacchetti scaricati: {1}.",
                                                   "The kit for installing without internet is ready in the folder {0}.\\n"
                                                   "Packages downloaded: {1}."),
                                         folder, downloaded_);
  window_.ShowMessage(SetupMessageBox(summary, MessageIcon::Information));
  return InstallationOutcome::Completed;
}

bool KitLayout::Download(const KitPackage& package, const std::string& folder) {
  const std::string description = context_.ReadSetting(package.settingsKey);
  if (!DownloadDescription(description).Describes()) return true;
  const std::string displayName = package.displayName ? package.displayName : context_.ProductDisplayName();
  const std::string target = PathJoin(PathJoin(folder, package.folder), package.fileName);
  for (;;) {
    try {
      DownloadOnce(displayName, description, target);
      ++downloaded_;
      return true;
    } catch (const std::exception& failure) {
      if (!AskRetryAfterFailure(window_, displayName, true, failure)) {
        machine_.log.Write("layout: " + displayName + " given up by the user");
        return false;
      }
    }
  }
}

void KitLayout::DownloadOnce(const std::string& displayName, const std::string& descriptionText,
                             const std::string& target) {
  const DownloadDescription description(descriptionText);
  window_.SetInstallationProgress(true, FormatText(LoadMessage(kDownloading), displayName));
  const SetupSettings& settings = context_.Settings();
  const std::string url = description.Url(settings.ProductName, settings.ProductVersion);
  Downloader downloader(window_, machine_.transfers, {}, machine_.clock);
  if (!description.IsArchive()) {
    downloader.DownloadFile(url, target, description.Sha256());
    machine_.log.Write("layout: " + displayName + ": " + url + " to " + target);
    return;
  }
  // An archive is extracted into the kit's folder of the package, and its installer
  // takes the name that the catalogue looks for.
  const std::string inArchive = description.InstallerInArchive();
  RunStateMessages messages(window_);
  const std::string temp = SystemInfo(machine_.system, messages, ApplicationTitle()).TemporaryFolder();
  const std::string archive = PathJoin(temp, description.FileName());
  struct Remove {
    std::string path;
    ~Remove() { DeleteFileQuietly(path); }
  } removeArchive{archive};
  downloader.DownloadFile(url, archive, description.Sha256());
  const std::string folder = ParentFolder(target);
  cUnzip zip(machine_.files);
  if (!zip.Init(archive) || !zip.Unzip(folder)) {
    throw SetupError(kPackageFailedError, "layout", LoadMessage(kArchiveFailed));
  }
  const std::string installer = PathJoin(folder, inArchive);
  if (installer != target && !MoveFileReplacing(installer, target)) {
    throw SetupError(kPackageFailedError, "layout", FormatText(LoadMessage(kInstallerMissing), installer));
  }
  machine_.log.Write("layout: " + displayName + ": " + url + " extracted to " + folder);
}

}  // namespace kelvano
