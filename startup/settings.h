#pragma once
// Start-up settings: what settings.ini, the product's registry key and the command line
// say, read once and then shared read-only by the whole setup.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "startup/picture.h"
#include "system/message_box.h"
#include "system/registry_seam.h"

namespace kelvano {

struct SetupSettings {
  std::string ProductName;
  std::string ProductCode;
  std::string ServerName;
  std::string SaPassword;
  std::int16_t ApiPort = 0;
  std::string Network;
  bool SupportEnabled = false;
  bool WebsiteEnabled = false;
  std::shared_ptr<Picture> BackgroundPicture;
  std::shared_ptr<Picture> InstallationPicture;
  bool QuietMode = false;
  std::string ProductVersion;
  bool SkipSql = false;
  bool SkipFramework = false;
  // For deployment tools: "/log PATH", "/layout FOLDER", "/suppressmsgboxes", "/?".
  std::string LogPath;
  std::string LayoutFolder;
  bool SuppressMessageBoxes = false;
  bool ShowHelp = false;
  // "/resume": started by the RunOnce entry of a run that a restart interrupted.
  bool Resumed = false;
};

// What the settings say, for the log: every field but the sa password, which is never
// written anywhere.
std::vector<std::string> DescribeSettings(const SetupSettings& settings);

// The caption of every message box.
std::string ApplicationTitle();

// A message box of the setup: the text, captioned with the application title.
MessageBoxRequest SetupMessageBox(std::string text, MessageIcon icon, MessageButtons buttons = MessageButtons::Ok);

// Reversible scrambling of single-byte texts, marked by a leading character of code 1.
// A code that leaves 0-255 raises error 5.
std::string ScrambleText(std::string_view text);

// The built-in sa password, kept only in its scrambled form.
std::string DefaultSaPassword();

// The bytes of settings.ini as text. Notepad's "Unicode" is UTF-16 with a byte-order
// mark, which Windows' own profile reader takes too, little-endian or big; a UTF-8 mark
// is dropped. Without a mark, valid UTF-8 is taken as it is, anything else is read in
// the ANSI code page.
std::string SettingsText(std::string fileBytes);

// The value of key in that text: the first line that begins with the key (in any case)
// and has "=", everything after that "="; empty when there is none.
std::string FindSetting(std::string_view text, std::string_view key);

// The same in FOLDER\settings.ini; empty when it cannot be read.
std::string ReadSettingIn(const std::string& folder, std::string_view key);

// The settings and the reads of the product's registry key, for one setup folder.
class SetupContext {
 public:
  SetupContext(std::string appFolder, RegistrySeam& registry);

  // Fill the settings; each step that fails is skipped. Called once each, in this order.
  void LoadSettings(PictureLoader& pictures);
  void ParseCommandLine(std::string_view commandLine);
  // What the steps skipped, and why: one line each for the log.
  const std::vector<std::string>& SkippedSteps() const { return skippedSteps_; }

  const SetupSettings& Settings() const { return settings_; }
  const std::string& AppFolder() const { return appFolder_; }
  RegistrySeam& Registry() const { return registry_; }

  std::string ReadSetting(std::string_view key) const;
  std::string MiscPicturePath(std::string_view fileName) const;
  std::string ProductDisplayName() const { return settings_.ProductName; }

  bool ProductKeyExists() const;
  std::string StoredSetupType() const;
  std::string QuietSetupType() const;
  std::string ReadStoredNetwork() const;

 private:
  std::string ProductKey() const;
  // Runs one step; a failing step leaves its fields as they were, and is noted.
  void Step(const char* what, const std::function<void()>& step);

  std::string appFolder_;
  RegistrySeam& registry_;
  SetupSettings settings_;
  std::vector<std::string> skippedSteps_;
};

}  // namespace kelvano
