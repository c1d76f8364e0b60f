#pragma once
// The packages the setup knows, one row each: where the installer lies in a kit and
// where to download it from, its silent arguments, how to find it installed, how its
// exit code is judged, and what the user is told when it fails. A new prerequisite is
// one row, one detection and one message.

#include <cstdint>
#include <string>
#include <vector>

#include "startup/messages.h"

namespace kelvano {

// How the setup finds a package installed; each is a test of PrerequisiteDetection.
enum class PackageDetection { None, Product, DotNet35Sp1, DotNet48, SqlInstance };

// What decides whether a package is in place after its installer ran.
enum class PackageJudgement {
  ExitCode,  // the exit-code table below, then the package's detection
  Service,   // SQL Server: its setup's exit codes say little; its service alone counts
};

struct KitPackage {
  const char* displayName;  // null: the product name setting
  const char* folder;       // of the kit: Prerequisites, Tools, Setup
  const char* fileName;
  const char* settingsKey;      // where to download it from
  const char* silentArguments;  // null: made for each run (the product's features, SQL Server's line)
  PackageDetection detection = PackageDetection::None;
  PackageJudgement judgement = PackageJudgement::ExitCode;
  int failureMessage = 0;  // shown when the package fails; 0: nothing is shown
  int missingMessage = 0;  // shown when the package is still not found after its step; 0: none
  bool removesEarlierProduct = false;
};

namespace kit_package {
inline constexpr char kSilentSwitches[] = "/quiet /silent /qn /norestart";
inline constexpr KitPackage kProduct{.displayName = nullptr,
                                     .folder = "Setup",
                                     .fileName = "Setup.exe",
                                     .settingsKey = "URL_PRODUCT",
                                     .silentArguments = nullptr,
                                     .detection = PackageDetection::Product,
                                     .failureMessage = message::kProductFailed,
                                     .removesEarlierProduct = true};
// The messages name older framework versions than their packages; they are shown as
// the product has always shown them.
inline constexpr KitPackage kDotNet35{.displayName = "Microsoft .NET Framework 3.5 SP 1",
                                      .folder = "Prerequisites",
                                      .fileName = "dotnetfx35setup.exe",
                                      .settingsKey = "URL_DOTNET35",
                                      .silentArguments = kSilentSwitches,
                                      .detection = PackageDetection::DotNet35Sp1,
                                      .failureMessage = message::kDotNet35Failed,
                                      .missingMessage = message::kDotNet35Missing};
inline constexpr KitPackage kDotNet48{.displayName = "Microsoft .NET Framework 4.8",
                                      .folder = "Prerequisites",
                                      .fileName = "dotnetfx48setup.exe",
                                      .settingsKey = "URL_DOTNET48",
                                      .silentArguments = kSilentSwitches,
                                      .detection = PackageDetection::DotNet48,
                                      .failureMessage = message::kDotNet48Failed};
inline constexpr KitPackage kSql2017{.displayName = "Microsoft SQL Server 2017 Express (x64)",
                                     .folder = "Prerequisites",
                                     .fileName = "SQLEXPR_2017_ENU.EXE",
                                     .settingsKey = "URL_SQL2017",
                                     .silentArguments = nullptr,
                                     .detection = PackageDetection::SqlInstance,
                                     .judgement = PackageJudgement::Service,
                                     .failureMessage = message::kSqlServerFailed};
inline constexpr KitPackage kSql2008{.displayName = "Microsoft SQL Server 2008 Express",
                                     .folder = "Prerequisites",
                                     .fileName = "SQLEXPR_x86_ITA.EXE",
                                     .settingsKey = "URL_SQL2008",
                                     .silentArguments = nullptr,
                                     .detection = PackageDetection::SqlInstance,
                                     .judgement = PackageJudgement::Service,
                                     .failureMessage = message::kSqlServerFailed};
// Nothing is shown when the support tool fails: it is a convenience.
inline constexpr KitPackage kQuickSupport{.displayName = "Quick Support",
                                          .folder = "Tools",
                                          .fileName = "VelmoraSupport.exe",
                                          .settingsKey = "URL_SUPPORT",
                                          .silentArguments = ""};
inline constexpr KitPackage kAll[] = {kProduct, kDotNet35, kDotNet48, kSql2017, kSql2008, kQuickSupport};
// The frameworks, in the order a run installs them.
inline constexpr const KitPackage* kFrameworks[] = {&kDotNet35, &kDotNet48};
}  // namespace kit_package

// An installer's command line after its path: pieces joined as they are. A secret piece
// (a password) is hidden wherever the setup logs.
class InstallerArguments {
 public:
  struct Piece {
    std::string text;
    bool secret = false;
  };
  InstallerArguments() = default;
  InstallerArguments(std::string text) { Add(std::move(text)); }  // NOLINT: plain arguments convert
  InstallerArguments(const char* text) : InstallerArguments(std::string(text ? text : "")) {}  // NOLINT

  InstallerArguments& Add(std::string text, bool secret = false);
  std::string Text() const;
  std::vector<std::string> Secrets() const;

 private:
  std::vector<Piece> pieces_;
};

// What became of one run of a package's installer.
struct InstallerReport {
  enum class Ended {
    Exited,      // the installer ran and ended with exitCode
    NotStarted,  // there was nothing to run, or Windows would not start it
    Cancelled,   // the user chose Cancel in a Retry/Cancel box
  };
  Ended ended = Ended::NotStarted;
  std::int32_t exitCode = 0;
};

// What an installer's exit code says, as deployment tools read it.
enum class ExitCodeMeaning { Success, RestartNeeded, RestartStarted, TryLater, Failure };
ExitCodeMeaning MeaningOfExitCode(std::int32_t exitCode);

// A package after its step.
enum class PackageOutcome {
  Installed,
  RestartNeeded,   // installed; Windows must restart to finish it
  RestartStarted,  // installed; its installer has already started the restart
  Failed,
  Cancelled,
};

// The row's judgement of a report; detected: the package's detection afterwards (asked
// only where the report leaves it open, see NeedsDetection).
PackageOutcome JudgePackage(const KitPackage& package, const InstallerReport& report, bool detected);
bool NeedsDetection(const KitPackage& package, const InstallerReport& report);

}  // namespace kelvano
