#include "sequence/kit_layout.h"

#include "packages/download_description.h"
#include "packages/package_source.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/path_helpers.h"
#include "system/system_error_text.h"
#include "system/installation_running.h"

namespace kelvano {
std::optional<std::string> KitLayout::CopyKit(const std::string& folder) {
  const std::string source = context_.AppFolder();
  for (const char* sub : {"", "Misc", "Prerequisites", "Tools", "Setup"}) {
    const std::string from = *sub ? PathJoin(source, sub) : source;
    const std::string to = *sub ? PathJoin(folder, sub) : folder;
    if (!CreateFolderTree(to)) return SystemErrorText(LastSystemError());
    for (const std::string& name : FilesIn(from)) {
      // The kit itself, never the folder it is being laid out into.
      if (PathJoin(from, name) == PathJoin(to, name)) continue;
      // A kit without one of its files would fail where nobody can mend it.
      if (!CopyFileReplacing(PathJoin(from, name), PathJoin(to, name))) {
        return PathJoin(to, name) + ": " + SystemErrorText(LastSystemError());
      }
    }
  }
  return std::nullopt;
}

InstallationOutcome KitLayout::Lay(const std::string& folder) {
  machine_.log.Write("layout: a kit in " + folder);
  const std::optional<std::string> failure = folder.empty() ? std::string() : CopyKit(folder);
  if (failure) {
    std::string text = FormatText(LoadMessage(message::kLayoutFolderFailed), folder);
    if (!failure->empty()) text += "\n" + *failure;
    machine_.log.Write("layout: failed: " + text);
    window_.ShowMessage(SetupMessageBox(text, MessageIcon::Error));
    return InstallationOutcome::PrerequisiteFailed;
  }
  bool cancelled = false;
  {
    const InstallationRunning running(window_,
                                      [this](const std::string& event) { machine_.log.Write("layout: " + event); });
    for (const KitPackage& package : kit_package::kAll) {
      if (!Download(package, folder)) {
        cancelled = true;
        break;
      }
    }
  }
  if (cancelled) return InstallationOutcome::Cancelled;
  const std::string summary = FormatText(LoadMessage(message::kLayoutReady), folder, downloaded_);
  window_.ShowMessage(SetupMessageBox(summary, MessageIcon::Information));
  return InstallationOutcome::Completed;
}

bool KitLayout::Download(const KitPackage& package, const std::string& folder) {
  const std::string description = context_.ReadSetting(package.settingsKey);
  if (!DownloadDescription(description).Describes()) return true;
  const std::string displayName = package.displayName ? package.displayName : context_.ProductDisplayName();
  const std::string target = PathJoin(PathJoin(folder, package.folder), package.fileName);
  // Straight into the kit; an archive by way of TEMP, extracted into the kit's folder of
  // the package, its installer under the name the catalogue looks for.
  PackageSource source(context_, machine_, window_, displayName, description, [&](const DownloadDescription& download) {
    PackageSource::Places places{target, ParentFolder(target), target, false};
    if (download.IsArchive()) {
      places.download = PathJoin(machine_.system.TemporaryFolder(), download.FileName());
    }
    return places;
  });
  if (!source.Obtain("")) return false;
  machine_.log.Write("layout: " + displayName + ": " + target);
  ++downloaded_;
  return true;
}

}  // namespace kelvano
