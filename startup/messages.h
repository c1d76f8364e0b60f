#pragma once
// The numbered messages that the setup shows, in Italian and English.

#include <cstdint>
#include <string>

namespace kelvano {

enum class MessageLanguage { Italian, English };

// English for an English Windows user interface, Italian for every other language.
MessageLanguage UserInterfaceLanguage();

// The text of a message of the catalogue before formatting; pass it through FormatText.
// A number that is not in the catalogue raises error 5.
std::string LoadMessage(int number);
std::string LoadMessage(int number, MessageLanguage language);

// The catalogue's numbers, by what each message says.
namespace message {
inline constexpr int kCompleted = 101;
inline constexpr int kDownloaded = 102;  // {0} of {1}
inline constexpr int kCannotClose = 104;
inline constexpr int kDownloading = 106;  // {0}: the package
inline constexpr int kUncompressing = 107;
inline constexpr int kArchiveFailed = 108;
inline constexpr int kInstalling = 109;
inline constexpr int kInstallerMissing = 110;  // {0}: its path
inline constexpr int kDownloadFailed = 111;    // {0}: the package, {1}: the error
inline constexpr int kInstallFailed = 112;
inline constexpr int kOsNotRecognised = 113;
inline constexpr int kOsNotSupported = 114;
inline constexpr int kXpNeedsServicePack3 = 115;
inline constexpr int kBusy = 117;
inline constexpr int kOtherSetupType = 118;
inline constexpr int kDotNet35Failed = 119;
inline constexpr int kDotNet35Missing = 121;
inline constexpr int kDotNet48Failed = 122;
inline constexpr int kSqlServerFailed = 124;
inline constexpr int kRestartNeeded = 125;
inline constexpr int kProductFailed = 127;
inline constexpr int kDownloadError = 128;  // {0}: the address
inline constexpr int kServerDescription = 129;
inline constexpr int kClientDescription = 130;
inline constexpr int kInstallationInProgress = 131;
inline constexpr int kSupportDescription = 132;
inline constexpr int kWebsiteDescription = 133;
inline constexpr int kFirewallFailed = 134;
inline constexpr int kUninstalling = 135;
inline constexpr int kStartupFailed = 137;       // {0}: the product, {1}: the error
inline constexpr int kLayoutFolderFailed = 138;  // {0}: the folder
inline constexpr int kLayoutReady = 139;         // {0}: the folder, {1}: packages downloaded
inline constexpr int kCommandLineHelp = 140;
inline constexpr int kOtherInstallation = 141;  // {0}: the package waiting for it
inline constexpr int kNotEnoughSpace = 142;     // {0}: the folder, {1}: space needed, {2}: space free
}  // namespace message

}  // namespace kelvano
