// /layout: a kit for a card room without internet, from the kit and the network.
#include "sequence/kit_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/recording_run_state.h"
#include "tests/support/staged_kit.h"
#include "tests/support/staged_machine.h"
#include "tests/support/zip_builder.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const char kAbcSha256[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

class Layout : public ::testing::Test {
 protected:
  Layout() {
    machine.system.Staged().environment["TEMP"] = temp.Path();
    kit.Put("Setup\\Setup.exe", "product setup");
    kit.Put("Setup\\Kelvano.msi", "product package");
    kit.Put("Prerequisites\\dotnetfx35setup.exe", "net35");
    machine.network.Serve("http://kit.example/net48.zip",
                          ZipBuilder().Add(ZipMember::Stored("bin/net48.exe", "net48")).Build());
    machine.network.Serve("http://kit.example/support.exe", "abc");
  }
  InstallationOutcome Lay() { return KitLayout(kit.Context(), machine.Seams(), window).Lay(layout.Path()); }

  StagedMachine machine;
  TempFolder temp, layout;
  StagedKit kit{
      machine.registry,
      std::string("PRODUCT=Kelvano\r\nURL_DOTNET48=http://kit.example/net48.zip|net48.zip|True|bin/net48.exe\r\n"
                  "URL_SUPPORT=http://kit.example/support.exe|support.exe|False||") +
          kAbcSha256 + "\r\n"};
  RecordingRunState window;
};

TEST_F(Layout, TheKitIsCopiedAndEveryDescribedPackageDownloadedUnderItsCatalogueName) {
  EXPECT_EQ(Lay(), InstallationOutcome::Completed);
  EXPECT_EQ(layout.Read("Setup/Setup.exe"), "product setup");
  EXPECT_EQ(layout.Read("Setup/Kelvano.msi"), "product package") << "the files beside an installer come along";
  EXPECT_EQ(layout.Read("Prerequisites/dotnetfx35setup.exe"), "net35");
  EXPECT_EQ(layout.Read("Prerequisites/dotnetfx48setup.exe"), "net48") << "extracted, under the catalogue's name";
  EXPECT_EQ(layout.Read("Tools/VelmoraSupport.exe"), "abc");
  EXPECT_THAT(layout.Read("settings.ini"), HasSubstr("URL_DOTNET48="));
  EXPECT_THAT(temp.Contents(), ::testing::IsEmpty());
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_THAT(window.Messages()[0].text, HasSubstr(layout.Path()));
  EXPECT_THAT(window.Messages()[0].text, HasSubstr("2"));
  EXPECT_FALSE(window.InstallationRunning());
}

TEST_F(Layout, ADownloadOfAnotherHashIsRefusedAndCancelEndsTheLayout) {
  machine.network.Serve("http://kit.example/support.exe", "tampered");
  window.AnswerMessages({MessageAnswer::Retry, MessageAnswer::Cancel});
  EXPECT_EQ(Lay(), InstallationOutcome::Cancelled);
  EXPECT_EQ(window.Messages().size(), 2u) << "asked again after Retry";
  EXPECT_FALSE(layout.Exists("Tools/VelmoraSupport.exe"));
}

}  // namespace
}  // namespace kelvano::test
