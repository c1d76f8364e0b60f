#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "startup/settings.h"
#include "tests/support/memory_registry.h"
#include "system/registry_manager.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"
#include "tests/support/temp_folder.h"

namespace kelvano::test {
namespace {

class NoPictures : public PictureLoader {
 public:
  std::shared_ptr<Picture> Load(const std::string& path) override {
    requested.push_back(path);
    return nullptr;
  }
  std::vector<std::string> requested;
};

class SettingsTest : public ::testing::Test {
 protected:
  void WriteSettings(std::string_view text) { folder_.Write("settings.ini", text); }
  std::string Read(std::string_view key) { return ReadSettingIn(folder_.Path(), key); }

  SetupContext Load(std::string_view commandLine = "") {
    SetupContext context(folder_.Path(), registry_);
    context.LoadSettings(pictures_);
    context.ParseCommandLine(commandLine);
    return context;
  }
  void SetProductValue(const std::string& product, const std::string& name, const std::string& value) {
    RegistryManager manager(registry_);
    manager.CreateRegistryKey(registry::kLocalMachine, "SOFTWARE\\" + product);
    manager.SetRegistryValue(registry::kLocalMachine, "SOFTWARE\\" + product, name, 1, value);
  }

  TempFolder folder_;
  MemoryRegistry registry_;
  NoPictures pictures_;
};

TEST_F(SettingsTest, KeysMatchTheFirstLineThatBeginsWithThem) {
  WriteSettings("PRODUCTCODE={ABC}\r\nPRODUCT=Kelvano\r\nserverSApassword=secret\r\nSERVER=SQL1\r\n");
  EXPECT_EQ(Read("PRODUCT"), "{ABC}") << "a prefix test: the earlier PRODUCTCODE line wins";
  EXPECT_EQ(Read("SERVER"), "secret");
  EXPECT_EQ(Read("product"), "{ABC}");
  EXPECT_EQ(Read("MISSING"), "");
}

TEST_F(SettingsTest, LinesAreTrimmedButValuesKeepBlanksAfterTheEqualsSign) {
  WriteSettings("\n   \nPRODUCT\nproduct = spaced\n  NETWORK= LAN 1  \nMODE=a=b\n");
  EXPECT_EQ(Read("PRODUCT"), " spaced") << "a line without '=' is skipped";
  EXPECT_EQ(Read("NETWORK"), " LAN 1");
  EXPECT_EQ(Read("MODE"), "a=b") << "everything after the first '='";
}

TEST_F(SettingsTest, MissingFileGivesEmptyTexts) { EXPECT_EQ(Read("PRODUCT"), ""); }

// The text as UTF-16 behind its byte-order mark, as Notepad saves "Unicode".
std::string Utf16File(std::string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : Utf8ToUtf16(text)) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST_F(SettingsTest, UnicodeFilesWithTheirMarkReadAsTheSameSettings) {
  const std::string text = "PRODUCT=Kelvano\r\nNETWORK=Sala è € \xF0\x9F\x82\xA1\r\nSERVER=SQL1";
  for (const std::string& file : {"\xEF\xBB\xBF" + text, Utf16File(text, false), Utf16File(text, true)}) {
    WriteSettings(file);
    const SetupSettings settings = Load().Settings();
    EXPECT_EQ(settings.ProductName, "Kelvano");
    EXPECT_EQ(settings.Network, "Sala è € \xF0\x9F\x82\xA1") << "a character beyond 16 bits, in two units";
    EXPECT_EQ(settings.ServerName, "SQL1");
  }
  // Damage shows where it is: an unpaired surrogate, a last odd byte.
  const std::string loneSurrogate("\x00\xD8", 2);
  WriteSettings(Utf16File("PRODUCT=Kel", false) + loneSurrogate + Utf16File("vano\nSERVER=A", false).substr(2) + "B");
  EXPECT_EQ(Read("PRODUCT"), "Kel\xEF\xBF\xBDvano");
  EXPECT_EQ(Read("SERVER"), "A\xEF\xBF\xBD");
}

TEST_F(SettingsTest, FileThatIsNotUtf8IsReadInTheAnsiCodePage) {
  WriteSettings("PRODUCT=Caff\xE8 \x80\rSERVER=X\r");
  EXPECT_EQ(Read("PRODUCT"), "Caffè €");
  EXPECT_EQ(Read("SERVER"), "X") << "a lone carriage return ends a line too";
}

TEST_F(SettingsTest, ApiPortIsRoundedHalfToEvenAndMustFitSixteenBits) {
  const std::pair<const char*, int> cases[] = {{"8080", 8080}, {"70000", 0},    {"80.5", 80},       {"81.5", 82},
                                               {"", 0},        {"443abc", 443}, {"-32768", -32768}, {"32767.5", 0}};
  for (const auto& [text, expected] : cases) {
    WriteSettings(std::string("APIPORT=") + text + "\n");
    EXPECT_EQ(Load().Settings().ApiPort, expected) << "APIPORT=" << text;
  }
  // A step that fails is skipped, and the log is told why.
  WriteSettings("APIPORT=70000\n");
  EXPECT_THAT(Load().SkippedSteps(), ::testing::ElementsAre(::testing::StartsWith("settings: the API port skipped: ")));
  WriteSettings("APIPORT=8080\n");
  EXPECT_THAT(Load().SkippedSteps(), ::testing::IsEmpty());
}

TEST_F(SettingsTest, FlagsAreTrueForANonZeroLeadingNumber) {
  WriteSettings("ENABLESUPPORT=1\nENABLEWEBSITE=0\n");
  EXPECT_TRUE(Load().Settings().SupportEnabled);
  EXPECT_FALSE(Load().Settings().WebsiteEnabled);
  WriteSettings("ENABLESUPPORT=yes\nENABLEWEBSITE=2 please\n");
  EXPECT_FALSE(Load().Settings().SupportEnabled);
  EXPECT_TRUE(Load().Settings().WebsiteEnabled);
}

TEST_F(SettingsTest, EmptyPasswordBecomesTheBuiltInOne) {
  WriteSettings("SERVERSAPASSWORD=\n");
  const std::string password = Load().Settings().SaPassword;
  EXPECT_EQ(password, DefaultSaPassword());
  EXPECT_EQ(password.size(), 12u);
  WriteSettings("SERVERSAPASSWORD=Mine#2026\n");
  EXPECT_EQ(Load().Settings().SaPassword, "Mine#2026");
}

TEST_F(SettingsTest, PicturesComeFromTheMiscFolder) {
  Load();
  EXPECT_THAT(pictures_.requested,
              ::testing::ElementsAre(folder_ / "Misc\\background.jpg", folder_ / "Misc\\installation.jpg"));
}

TEST_F(SettingsTest, WithoutProductKeyTheNetworkComesFromTheSettingsFile) {
  WriteSettings("PRODUCT=Kelvano\nNETWORK=Sala A\n");
  const SetupContext context = Load();
  EXPECT_FALSE(context.ProductKeyExists());
  EXPECT_EQ(context.StoredSetupType(), "");
  EXPECT_EQ(context.QuietSetupType(), "Server");
  EXPECT_EQ(context.Settings().Network, "Sala A");
}

TEST_F(SettingsTest, ProductKeyWithoutSetupTypeMeansClientForAQuietRun) {
  WriteSettings("PRODUCT=Kelvano\nNETWORK=Sala A\n");
  SetProductValue("Kelvano", "Other", "x");
  const SetupContext context = Load();
  EXPECT_TRUE(context.ProductKeyExists());
  EXPECT_EQ(context.StoredSetupType(), "");
  EXPECT_EQ(context.QuietSetupType(), "Client");
  EXPECT_EQ(context.Settings().Network, "Sala A") << "no stored value: the setting is the default";

  SetProductValue("Kelvano", "SetupType", "SERVER");
  EXPECT_EQ(Load().StoredSetupType(), "SERVER");
  EXPECT_EQ(Load().QuietSetupType(), "SERVER");
}

TEST_F(SettingsTest, StoredNetworkWinsUnlessItIsAYesNoWord) {
  WriteSettings("PRODUCT=Kelvano\nNETWORK=From settings\n");
  const std::pair<const char*, const char*> cases[] = {{"Sala B", "Sala B"},       {" Vero ", "From settings"},
                                                       {"FALSO", "From settings"}, {"true", "From settings"},
                                                       {"vero!", "vero!"},         {" spaced ", " spaced "}};
  for (const auto& [stored, expected] : cases) {
    SetProductValue("Kelvano", "Network", stored);
    EXPECT_EQ(Load().Settings().Network, expected) << "stored: '" << stored << "'";
  }
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
}

TEST_F(SettingsTest, EmptyProductNameNeverCountsAsAnInstalledProduct) {
  // "Software\" alone always exists; it must not pass for the product's key.
  SetProductValue("", "SetupType", "Client");
  WriteSettings("NETWORK=Sala A\n");
  const SetupContext context = Load();
  EXPECT_FALSE(context.ProductKeyExists());
  EXPECT_EQ(context.QuietSetupType(), "Server");
  EXPECT_EQ(context.Settings().Network, "Sala A");
}

TEST_F(SettingsTest, ModeMustBeExactlyQuite) {
  const std::pair<const char*, bool> cases[] = {
      {"MODE=quite\n", true}, {"MODE=Quite\n", false}, {"MODE= quite\n", false}, {"MODE=quite   \n", true}};
  for (const auto& [text, quiet] : cases) {
    WriteSettings(text);
    EXPECT_EQ(Load().Settings().QuietMode, quiet) << text;
  }
}

TEST_F(SettingsTest, CommandLineOptions) {
  WriteSettings("VERSION=1.0.0\n");
  auto settings = [&](std::string_view line) { return Load(line).Settings(); };

  EXPECT_TRUE(settings("/Q /NoSql").QuietMode);
  EXPECT_TRUE(settings("/Q /NoSql").SkipSql);
  EXPECT_FALSE(settings("/Q /NoSql").SkipFramework);
  EXPECT_TRUE(settings("/noframework").SkipFramework);

  EXPECT_EQ(settings("/v 2.1.0 /q").ProductVersion, "2.1.0");
  EXPECT_TRUE(settings("/v 2.1.0 /q").QuietMode);
  EXPECT_EQ(settings("/v2.1.0").ProductVersion, "1.0.0") << "a value glued to /v is ignored with its token";
  EXPECT_EQ(settings("/v").ProductVersion, "");
  EXPECT_EQ(settings("/v 1/2").ProductVersion, "1");
  EXPECT_EQ(settings("/v 1 /v 2").ProductVersion, "2") << "a later /v wins";
  EXPECT_EQ(settings("ignored /v  3 ").ProductVersion, "3");
  EXPECT_EQ(settings("").ProductVersion, "1.0.0");
  EXPECT_FALSE(settings("/S /v\"/qn ADDLOCAL=ALL REMOVE=Kelvano_Client\"").QuietMode)
      << "the feature arguments of a resumed run are no options";
}

TEST_F(SettingsTest, CommandLineCannotSwitchQuietModeOff) {
  WriteSettings("MODE=quite\n");
  EXPECT_TRUE(Load("/x /y").Settings().QuietMode);
}

TEST(ScrambleText, ScramblesAndUnscramblesSingleByteTexts) {
  EXPECT_EQ(ScrambleText("abc"), std::string("\x01\xE0\xE0\xE0", 4));
  EXPECT_EQ(ScrambleText(ScrambleText("abc")), "abc");
  EXPECT_EQ(ScrambleText(""), "");
  const std::string plain = "P@ssw0rd-2026!";
  EXPECT_EQ(ScrambleText(ScrambleText(plain)), plain);
}

TEST(ScrambleText, CodeOutsideTheByteRangeRaises) {
  EXPECT_THROW(ScrambleText(std::string("\x01\xFF", 2)), SetupError);  // (255 + 1) ^ 0x80
  EXPECT_THROW(ScrambleText(std::string("\x80", 1)), SetupError);      // (128 ^ 0x80) - 1
}

TEST(FixedPaths, PicturesAndPackageLieNextToTheExecutable) {
  MemoryRegistry registry;
  SetupContext context("C:\\Kit", registry);
  EXPECT_EQ(context.MiscPicturePath("background.jpg"), "C:\\Kit\\Misc\\background.jpg");
  EXPECT_EQ(ApplicationTitle(), "Setup");
}

}  // namespace
}  // namespace kelvano::test
