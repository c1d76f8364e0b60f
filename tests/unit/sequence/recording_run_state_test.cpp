// The window's stand-in that the logic's tests stage their runs with.
#include "tests/support/recording_run_state.h"

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;

TEST(RecordingRunState, PageSwitchesShowOnePageAndEmptyTheDownloadLine) {
  RecordingRunState window;
  window.SetInstallationProgress(true, "Download di A");
  window.SetDownloadProgress("Scaricati 1 KB di 2 KB");
  EXPECT_TRUE(window.ProgressPageVisible());
  EXPECT_EQ(window.Description(), "Download di A");
  EXPECT_EQ(window.DownloadLine(), "Scaricati 1 KB di 2 KB");

  window.SetInstallationProgress(true, "Installazione di A");
  EXPECT_EQ(window.DownloadLine(), "");
  window.SetInstallationProgress(false, "");
  EXPECT_FALSE(window.ProgressPageVisible());
  EXPECT_EQ(window.Pumps(), 3) << "every switch processes pending events once";
  EXPECT_THAT(window.Log(), ElementsAre("progress: Download di A", "download: Scaricati 1 KB di 2 KB",
                                        "progress: Installazione di A", "options"));
}

TEST(RecordingRunState, CloseIsRefusedWhileAPackageRuns) {
  RecordingRunState window;
  window.SetInstallationRunning(true);
  window.CloseMainWindow();
  EXPECT_FALSE(window.Closed());
  window.SetInstallationRunning(false);
  window.CloseMainWindow();
  EXPECT_TRUE(window.Closed());
  EXPECT_THAT(window.CloseRequests(), ElementsAre(false, true));
}

TEST(RecordingRunState, EventsRunInsideTheirPump) {
  RecordingRunState window;
  std::vector<std::string> seen;
  const auto note = [&](const std::string& what) { seen.push_back(what + " at pump " + std::to_string(window.Pumps())); };
  window.AtPump(3, [&] { note("third"); });
  window.AtNextPump([&] {
    note("first");
    window.AtNextPump([&] { note("queued by an event"); });
  });
  EXPECT_TRUE(seen.empty()) << "nothing runs before a pump";
  for (int i = 0; i < 3; ++i) window.ProcessPendingEvents();
  EXPECT_THAT(seen, ElementsAre("first at pump 1", "queued by an event at pump 2", "third at pump 3"));
}

TEST(RecordingRunState, AHandlerThatWaitsReceivesTheEventsStillQueued) {
  RecordingRunState window;
  std::vector<std::string> seen;
  window.OnOptionClick([&](int option) {
    seen.push_back("click " + std::to_string(option));
    window.ProcessPendingEvents();  // the clicked operation waits and pumps
    seen.push_back("click done");
  });
  window.ClickAtNextPump(2);
  window.RequestCloseAtNextPump();
  window.ProcessPendingEvents();
  EXPECT_THAT(seen, ElementsAre("click 2", "click done"));
  EXPECT_THAT(window.Log(), ElementsAre("click: 2", "close: accepted"));
  EXPECT_EQ(window.Pumps(), 2);
}

TEST(RecordingRunState, MessageBoxesGetTheScriptedAnswersThenTheSafeOnes) {
  RecordingRunState window;
  window.AnswerMessages({MessageAnswer::Retry, MessageAnswer::Yes});
  const MessageBoxRequest retry{"failed", "Setup", MessageIcon::Error, MessageButtons::RetryCancel};
  const MessageBoxRequest question{"restart?", "Setup", MessageIcon::Question, MessageButtons::YesNo};
  EXPECT_EQ(window.ShowMessage(retry), MessageAnswer::Retry);
  EXPECT_EQ(window.ShowMessage(question), MessageAnswer::Yes);
  EXPECT_EQ(window.ShowMessage(retry), MessageAnswer::Cancel);
  EXPECT_EQ(window.ShowMessage(question), MessageAnswer::No);
  EXPECT_EQ(window.ShowMessage({"done", "Setup"}), MessageAnswer::Ok);
  EXPECT_EQ(window.Messages().size(), 5u);

  window.AnswerMessages({MessageAnswer::Yes});
  EXPECT_NONFATAL_FAILURE(window.ShowMessage(retry), "not a button");
}

}  // namespace
}  // namespace kelvano::test
