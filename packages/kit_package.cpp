#include "packages/kit_package.h"

namespace kelvano {

InstallerArguments& InstallerArguments::Add(std::string text, bool secret) {
  pieces_.push_back({std::move(text), secret});
  return *this;
}

std::string InstallerArguments::Text() const {
  std::string text;
  for (const Piece& piece : pieces_) text += piece.text;
  return text;
}

std::vector<std::string> InstallerArguments::Secrets() const {
  std::vector<std::string> secrets;
  for (const Piece& piece : pieces_) {
    if (piece.secret && !piece.text.empty()) secrets.push_back(piece.text);
  }
  return secrets;
}

ExitCodeMeaning MeaningOfExitCode(std::int32_t exitCode) {
  switch (exitCode) {
    case 0: return ExitCodeMeaning::Success;
    case 3010:  // ERROR_SUCCESS_REBOOT_REQUIRED
    case 3011:  // ERROR_SUCCESS_RESTART_REQUIRED
      return ExitCodeMeaning::RestartNeeded;
    case 1641: return ExitCodeMeaning::RestartStarted;  // ERROR_SUCCESS_REBOOT_INITIATED
    case 1618: return ExitCodeMeaning::TryLater;        // ERROR_INSTALL_ALREADY_RUNNING
    default: return ExitCodeMeaning::Failure;
  }
}

bool NeedsDetection(const KitPackage& package, const InstallerReport& report) {
  // A service is looked for whatever its setup said, even after Cancel.
  if (package.judgement == PackageJudgement::Service) return true;
  if (report.ended != InstallerReport::Ended::Exited) return false;
  const ExitCodeMeaning meaning = MeaningOfExitCode(report.exitCode);
  return meaning != ExitCodeMeaning::Failure && meaning != ExitCodeMeaning::TryLater;
}

PackageOutcome JudgePackage(const KitPackage& package, const InstallerReport& report, bool detected) {
  const bool cancelled = report.ended == InstallerReport::Ended::Cancelled;
  if (!NeedsDetection(package, report) || !detected) {
    return cancelled ? PackageOutcome::Cancelled : PackageOutcome::Failed;
  }
  if (package.judgement == PackageJudgement::Service) return PackageOutcome::Installed;
  switch (MeaningOfExitCode(report.exitCode)) {
    case ExitCodeMeaning::RestartNeeded: return PackageOutcome::RestartNeeded;
    case ExitCodeMeaning::RestartStarted: return PackageOutcome::RestartStarted;
    default: return PackageOutcome::Installed;
  }
}

}  // namespace kelvano
