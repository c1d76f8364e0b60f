// The run state's rules that the window acts on and the tests' stand-in records through.
#include "ui/run_rules.h"

#include <gtest/gtest.h>

#include "startup/format_text.h"
#include "startup/messages.h"

namespace kelvano::test {
namespace {

TEST(RunRules, APageSwitchShowsOnePageAndEmptiesTheDownloadLine) {
  RunRules rules;
  rules.SetInstallationProgress(true, "Download di A");
  using Bar = RunRules::ProgressBar;
  EXPECT_EQ(rules.Bar(), (Bar{true, true, 0})) << "moving until a length is known";
  rules.SetDownloadProgress("Scaricati 1 KB di 2 KB", 1024, 2048);
  EXPECT_TRUE(rules.ProgressVisible());
  EXPECT_EQ(rules.Description(), "Download di A");
  EXPECT_EQ(rules.DownloadLine(), "Scaricati 1 KB di 2 KB");
  EXPECT_EQ(rules.Bar(), (Bar{true, false, 500})) << "the same counts as the line";
  rules.SetDownloadProgress("", 3000, 2048);
  EXPECT_EQ(rules.Bar().thousandths, 1000);
  rules.SetInstallationProgress(true, "Installazione di A");
  EXPECT_EQ(rules.DownloadLine(), "");
  EXPECT_EQ(rules.Bar(), (Bar{true, true, 0})) << "an installer runs: a moving bar";
  rules.SetInstallationProgress(false, "");
  EXPECT_FALSE(rules.ProgressVisible());
  EXPECT_EQ(rules.Bar(), Bar{});
}

TEST(RunRules, ClosingIsRefusedDuringAPackageAndTheUsersAlsoDuringARun) {
  RunRules rules;
  EXPECT_TRUE(rules.AcceptsClose());
  EXPECT_TRUE(rules.AcceptsUserClose());
  ASSERT_TRUE(rules.StartRun());
  EXPECT_TRUE(rules.AcceptsClose()) << "the logic may end the window between packages";
  EXPECT_FALSE(rules.AcceptsUserClose()) << "the user may not";
  rules.SetInstallationRunning(true);
  EXPECT_FALSE(rules.AcceptsClose());
  EXPECT_EQ(RunRules::CannotCloseMessage().text, FormatText(LoadMessage(104)));
}

TEST(RunRules, ASecondRunIsTurnedAwayAndAnUnloadWaitsForTheRunsEnd) {
  RunRules rules;
  ASSERT_TRUE(rules.StartRun());
  EXPECT_FALSE(rules.StartRun());
  EXPECT_EQ(RunRules::BusyMessage().text, FormatText(LoadMessage(117)));
  EXPECT_FALSE(rules.Unload()) << "not while the run's handler is still on the stack";
  EXPECT_TRUE(rules.EndRun()) << "then at its end";
  EXPECT_TRUE(rules.Unload());
  ASSERT_TRUE(rules.StartRun());
  EXPECT_TRUE(rules.EndRun()) << "an unload once asked for stays asked for";
}

TEST(RunRules, SuppressedBoxesAreAnsweredWithoutOneAndNeverAgreeToAQuestion) {
  const MessageBoxRequest question{"Restart?", "Setup", MessageIcon::Question, MessageButtons::YesNo};
  EXPECT_EQ(RunRules().AnswerWithoutABox(question), std::nullopt);
  const RunRules suppressed(true);
  EXPECT_EQ(suppressed.AnswerWithoutABox(question), MessageAnswer::No);
  EXPECT_EQ(suppressed.AnswerWithoutABox({"Failed", "Setup", MessageIcon::Error, MessageButtons::RetryCancel}),
            MessageAnswer::Cancel);
  EXPECT_EQ(suppressed.AnswerWithoutABox({"Done", "Setup"}), MessageAnswer::Ok);
}

}  // namespace
}  // namespace kelvano::test
