#include <gtest/gtest.h>

#include "startup/main.h"
#include "tests/support/memory_registry.h"
#include "system/setup_error.h"
#include "tests/support/temp_folder.h"

namespace kelvano::test {
namespace {

class FakeInstance : public InstanceLock {
 public:
  explicit FakeInstance(bool other) : other_(other) {}
  bool AnotherInstanceRuns() override { return other_; }

 private:
  bool other_;
};

class NoPictures : public PictureLoader {
 public:
  std::shared_ptr<Picture> Load(const std::string&) override { return nullptr; }
};

class RecordedMessages : public MessageBoxSeam {
 public:
  MessageAnswer Show(const MessageBoxRequest& request) override {
    shown.push_back(request);
    return MessageAnswer::Ok;
  }
  std::vector<MessageBoxRequest> shown;
};

class MainTest : public ::testing::Test {
 protected:
  int Run(bool anotherInstance, const ShowMainWindow& window) {
    FakeInstance instance(anotherInstance);
    StartupSeams seams{instance, registry_, pictures_, messages_, folder_.Path(), "/q /v 3.0"};
    return Main(seams, window);
  }

  TempFolder folder_;
  MemoryRegistry registry_;
  NoPictures pictures_;
  RecordedMessages messages_;
};

TEST_F(MainTest, SecondInstanceEndsSilently) {
  bool shown = false;
  EXPECT_EQ(Run(true, [&](const SetupContext&) { shown = true; }), 0);
  EXPECT_FALSE(shown);
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainTest, WindowSeesTheSettingsAndTheCommandLine) {
  folder_.Write("settings.ini", "PRODUCT=Kelvano\nVERSION=1.0\n");
  std::string product, version;
  bool quiet = false;
  EXPECT_EQ(Run(false,
                [&](const SetupContext& context) {
                  product = context.Settings().ProductName;
                  version = context.Settings().ProductVersion;
                  quiet = context.Settings().QuietMode;
                }),
            0);
  EXPECT_EQ(product, "Kelvano");
  EXPECT_EQ(version, "3.0");
  EXPECT_TRUE(quiet);
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainTest, FailureWhileTheWindowLoadsIsShownWithTheProductName) {
  folder_.Write("settings.ini", "PRODUCT=Kelvano\n");
  EXPECT_EQ(Run(false, [](const SetupContext&) { throw SetupError(5, "frmMM", "Picture not valid"); }), 1);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "Si è verificato un errore durante l'avvio del programma di installazione di Kelvano\r\n"
            "Il messaggio tecnico dell'errore è: Picture not valid");
  EXPECT_EQ(messages_.shown[0].caption, "Setup");
  EXPECT_EQ(messages_.shown[0].icon, MessageIcon::Error);
  EXPECT_EQ(messages_.shown[0].buttons, MessageButtons::Ok);
}

TEST(CommandLineArguments, DropsTheProgramPath) {
  EXPECT_EQ(CommandLineArguments("\"C:\\My Kit\\Setup.exe\" /q /v 1"), "/q /v 1");
  EXPECT_EQ(CommandLineArguments("C:\\Kit\\Setup.exe /nosql"), "/nosql");
  EXPECT_EQ(CommandLineArguments("Setup.exe"), "");
  EXPECT_EQ(CommandLineArguments("\"Setup.exe\""), "");
}

}  // namespace
}  // namespace kelvano::test
