#include "startup/settings.h"

#include <functional>
#include <vector>

#include "startup/path_helpers.h"
#include "system/number_text.h"
#include "system/registry_manager.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"

namespace kelvano {
namespace {

// The built-in sa password, scrambled (marker and 12 characters).
constexpr unsigned char kScrambledDefaultSaPassword[] = {0x01, 0xCA, 0xF4, 0xB4, 0x9F, 0xEB, 0xC6,
                                                         0xE6, 0xAA, 0x98, 0xC7, 0xEF, 0xAD};

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string_view TrimSpaces(std::string_view text) { return TrimBlanks(text); }

// A path given on the command line, without the quotes around it.
std::string Unquoted(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace

std::string ApplicationTitle() { return "Setup"; }

MessageBoxRequest SetupMessageBox(std::string text, MessageIcon icon, MessageButtons buttons) {
  MessageBoxRequest request;
  request.text = std::move(text);
  request.caption = ApplicationTitle();
  request.icon = icon;
  request.buttons = buttons;
  return request;
}

std::vector<std::string> DescribeSettings(const SetupSettings& settings) {
  const auto flag = [](bool value) { return std::string(value ? "yes" : "no"); };
  return {"setting ProductName: " + settings.ProductName,
          "setting ProductCode: " + settings.ProductCode,
          "setting ServerName: " + settings.ServerName,
          "setting ApiPort: " + std::to_string(settings.ApiPort),
          "setting Network: " + settings.Network,
          "setting SupportEnabled: " + flag(settings.SupportEnabled),
          "setting WebsiteEnabled: " + flag(settings.WebsiteEnabled),
          "setting QuietMode: " + flag(settings.QuietMode),
          "setting ProductVersion: " + settings.ProductVersion,
          "setting SkipSql: " + flag(settings.SkipSql),
          "setting SkipFramework: " + flag(settings.SkipFramework),
          "setting LayoutFolder: " + settings.LayoutFolder,
          "setting SuppressMessageBoxes: " + flag(settings.SuppressMessageBoxes)};
}

std::string ScrambleText(std::string_view text) {
  if (text.empty()) return {};
  std::string out;
  const auto put = [&out](int code) {
    if (code < 0 || code > 255) {
      throw SetupError(error_number::kInvalidProcedureCall, "ScrambleText", "Invalid procedure call or argument");
    }
    out += static_cast<char>(code);
  };
  if (static_cast<unsigned char>(text[0]) == 1) {
    for (std::size_t i = 1; i < text.size(); ++i) {
      put((static_cast<unsigned char>(text[i]) + static_cast<int>(i)) ^ 0x80);
    }
  } else {
    out += '\x01';
    for (std::size_t i = 0; i < text.size(); ++i) {
      put((static_cast<unsigned char>(text[i]) ^ 0x80) - static_cast<int>(i + 1));
    }
  }
  return out;
}

std::string DefaultSaPassword() {
  return ScrambleText(
      std::string_view(reinterpret_cast<const char*>(kScrambledDefaultSaPassword), sizeof kScrambledDefaultSaPassword));
}

std::string SettingsText(std::string fileBytes) {
  if (fileBytes.compare(0, 2, "\xFF\xFE") == 0) return DecodeUtf16(std::string_view(fileBytes).substr(2), false);
  if (fileBytes.compare(0, 2, "\xFE\xFF") == 0) return DecodeUtf16(std::string_view(fileBytes).substr(2), true);
  if (fileBytes.compare(0, 3, "\xEF\xBB\xBF") == 0) fileBytes.erase(0, 3);
  return IsValidUtf8(fileBytes) ? fileBytes : DecodeAnsi(fileBytes);
}

std::string FindSetting(std::string_view text, std::string_view key) {
  for (std::string_view line : SplitLines(text)) {
    line = TrimSpaces(line);
    if (line.empty() || line.size() < key.size()) continue;
    // A prefix test: "PRODUCT" also matches a line that begins with "PRODUCTCODE".
    if (!EqualsIgnoreAsciiCase(line.substr(0, key.size()), key)) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    return std::string(line.substr(equals + 1));
  }
  return {};
}

std::string ReadSettingIn(const std::string& folder, std::string_view key) {
  const std::string path = folder + "\\settings.ini";
  if (!FileExists(path)) return {};
  const std::optional<std::string> bytes = ReadWholeFile(path);
  return bytes ? FindSetting(SettingsText(*bytes), key) : std::string();
}

SetupContext::SetupContext(std::string appFolder, RegistrySeam& registry)
    : appFolder_(std::move(appFolder)), registry_(registry) {}

std::string SetupContext::ReadSetting(std::string_view key) const { return ReadSettingIn(appFolder_, key); }

std::string SetupContext::MiscPicturePath(std::string_view fileName) const {
  return PathJoin(appFolder_, "Misc\\" + std::string(fileName));
}


std::string SetupContext::ProductKey() const { return "Software\\" + settings_.ProductName; }

bool SetupContext::ProductKeyExists() const {
  // Without a product name the key would be "Software\" itself, which always exists.
  if (settings_.ProductName.empty()) return false;
  return RegistryManager(registry_).CheckRegistryKey(registry::kLocalMachine, ProductKey());
}

std::string SetupContext::StoredSetupType() const {
  if (settings_.ProductName.empty()) return {};
  return RegistryValueToText(
      RegistryManager(registry_).GetRegistryValue(registry::kLocalMachine, ProductKey(), "SetupType", std::string()));
}

std::string SetupContext::QuietSetupType() const {
  if (!ProductKeyExists()) return "Server";
  return RegistryValueToText(RegistryManager(registry_).GetRegistryValue(registry::kLocalMachine, ProductKey(),
                                                                         "SetupType", std::string("Client")));
}

std::string SetupContext::ReadStoredNetwork() const {
  const std::string fallback = ReadSetting("NETWORK");
  if (settings_.ProductName.empty()) return fallback;
  const std::string stored = RegistryValueToText(
      RegistryManager(registry_).GetRegistryValue(registry::kLocalMachine, ProductKey(), "Network", fallback));
  const std::string word = AsciiLower(TrimSpaces(stored));
  // A yes/no word written by an older installation gives way to the settings file's text.
  if (word == "true" || word == "false" || word == "vero" || word == "falso") return ReadSetting("NETWORK");
  return stored;
}

void SetupContext::Step(const char* what, const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& failure) {
    skippedSteps_.push_back(std::string("settings: ") + what + " skipped: " + ErrorDescription(failure));
  }
}

void SetupContext::LoadSettings(PictureLoader& pictures) {
  Step("the product, its code, the SQL Server instance and its password", [&] {
    settings_.ProductName = ReadSetting("PRODUCT");
    settings_.ProductCode = ReadSetting("PRODUCTCODE");
    settings_.ServerName = ReadSetting("SERVER");
    settings_.SaPassword = ReadSetting("SERVERSAPASSWORD");
  });
  Step("the API port", [&] { settings_.ApiPort = ToInt16(LeadingNumber(ReadSetting("APIPORT")), "LoadSettings"); });
  Step("the network", [&] { settings_.Network = ProductKeyExists() ? ReadStoredNetwork() : ReadSetting("NETWORK"); });
  Step("Quick Support and the web site", [&] {
    settings_.SupportEnabled = LeadingNumber(ReadSetting("ENABLESUPPORT")) != 0;
    settings_.WebsiteEnabled = LeadingNumber(ReadSetting("ENABLEWEBSITE")) != 0;
  });
  Step("the pictures", [&] {
    settings_.BackgroundPicture = pictures.Load(MiscPicturePath("background.jpg"));
    settings_.InstallationPicture = pictures.Load(MiscPicturePath("installation.jpg"));
  });
  Step("the default sa password", [&] {
    if (settings_.SaPassword.empty()) settings_.SaPassword = DefaultSaPassword();
  });
}

void SetupContext::ParseCommandLine(std::string_view commandLine) {
  Step("the quiet mode", [&] { settings_.QuietMode = ReadSetting("MODE") == "quite"; });
  Step("the product version", [&] { settings_.ProductVersion = ReadSetting("VERSION"); });
  Step("the command line", [&] {
    // Each "/" starts a token that runs to the next "/"; text before the first is ignored.
    std::size_t start = commandLine.find('/');
    while (start != std::string_view::npos) {
      const std::size_t next = commandLine.find('/', start + 1);
      const std::string_view token =
          TrimBlanks(commandLine.substr(start, next == std::string_view::npos ? next : next - start));
      const std::size_t blank = token.find_first_of(" \t");
      const std::string word = AsciiLower(TrimBlanks(token.substr(0, blank)));
      const std::string_view value =
          blank == std::string_view::npos ? std::string_view() : TrimBlanks(token.substr(blank));
      if (word == "/q")
        settings_.QuietMode = true;
      else if (word == "/v")
        settings_.ProductVersion = std::string(value);
      else if (word == "/nosql")
        settings_.SkipSql = true;
      else if (word == "/noframework")
        settings_.SkipFramework = true;
      else if (word == "/log")
        settings_.LogPath = Unquoted(value);
      else if (word == "/layout")
        settings_.LayoutFolder = Unquoted(value);
      else if (word == "/suppressmsgboxes")
        settings_.SuppressMessageBoxes = true;
      else if (word == "/?")
        settings_.ShowHelp = true;
      else if (word == "/resume")
        settings_.Resumed = true;
      start = next;
    }
  });
}

}  // namespace kelvano
