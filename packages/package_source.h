#pragma once
// Gets one package's installer ready, with the Retry/Cancel box for whatever fails on the
// way: the installer shipped in the kit when it is there, else the download that the
// package's description names (checked by its SHA-256 where given) and, for an archive,
// the installer extracted from it. A broken download is tried again on its own, three
// times after 2, 4 and 8 seconds, before the box asks; every try and Retry resume it
// where the server allows. The installation and the offline layout both get their
// packages here.

#include <functional>
#include <optional>
#include <string>

#include "packages/download.h"
#include "packages/download_description.h"
#include "packages/machine.h"
#include "startup/settings.h"
#include "system/run_state.h"

namespace kelvano {

class PackageSource {
 public:
  // Where the download of a package and its extraction go.
  struct Places {
    std::string download;
    std::string extraction;  // the folder an archive is extracted into
    std::string installer;   // the name the extracted installer takes; empty: its own
    // The installation's places: the download and the extraction go when the source
    // does. A kit keeps what it lays out, and only a downloaded archive goes.
    bool temporary = true;
  };
  // Names the places once a download is needed; may raise, as a step that failed.
  using PlacesOfDownload = std::function<Places(const DownloadDescription&)>;

  PackageSource(const SetupContext& context, Machine& machine, RunState& window, std::string displayName,
                std::string downloadDescription, PlacesOfDownload places);
  ~PackageSource();
  PackageSource(const PackageSource&) = delete;
  PackageSource& operator=(const PackageSource&) = delete;

  // The installer: `shipped` when that file exists (empty: there is none), else the
  // download. Nullopt when the user chose Cancel.
  std::optional<std::string> Obtain(const std::string& shipped);

  bool HasDownloadDescription() const { return !descriptionText_.empty(); }
  void Log(const std::string& event);

  // Performs the steps from `step` until `done`. What a step throws goes to the
  // Retry/Cancel box; after Retry, retryFrom(failed step) names the step to go on from.
  // False when the user gave the package up.
  template <typename Step, typename Perform, typename RetryFrom>
  bool PerformSteps(Step step, Step done, Perform perform, RetryFrom retryFrom) {
    while (step != done) {
      try {
        step = perform(step);
      } catch (const std::exception& failure) {
        if (!AskRetry(failure)) {
          Log("given up by the user");
          return false;
        }
        Log("tried again");
        step = retryFrom(step);
      }
    }
    return true;
  }

 private:
  // The box of this package's failure: message 111 when it has a download description,
  // 112 otherwise, naming the error, with Retry and Cancel. True for Retry; false for
  // Cancel, and when the box itself cannot be shown.
  bool AskRetry(const std::exception& failure);

  // The units that Retry repeats, in the order they run.
  enum class Step { Locate, Places, Download, Extract, CheckInstaller, Done };
  Step Perform(Step step, const std::string& shipped);
  void Download();
  void Extract();
  // Back to the first step, as if the package had not been tried yet.
  void StartAgain();
  void RemoveTemporaryFiles();
  // Waits for a file that another program holds for a moment, and logs each wait.
  BusyRetry BusyFiles();

  const SetupContext& context_;
  Machine& machine_;
  RunState& window_;
  const std::string displayName_;
  const std::string descriptionText_;
  const DownloadDescription description_;
  const PlacesOfDownload placesOf_;
  // One for the package's life: what a broken download received waits here for Retry.
  Downloader downloader_;
  std::optional<Places> places_;  // once a download is needed
  std::string installer_;
  bool archive_ = false;  // the download is an archive, extracted or being so
  Step retryFrom_ = Step::Locate;
};

}  // namespace kelvano
