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

TEST(RunRules, ClosingIsRefusedWithMessage104DuringAPackageAndTheUsersAlsoDuringARun) {
  using Request = RunRules::CloseRequest;
  const struct {
    bool runStarted, packageRunning;
    Request request;
    bool accepted;
    const char* when;
  } cases[] = {
      {false, false, Request::ByLogic, true, "the option page"},
      {false, false, Request::ByUser, true, "the option page"},
      {true, false, Request::ByLogic, true, "the logic may end the window between packages"},
      {true, false, Request::ByUser, false, "the user may not"},
      {true, true, Request::ByLogic, false, "a package runs"},
      {true, true, Request::ByUser, false, "a package runs"},
      {false, true, Request::ByUser, false, "a kit is laid out"},
  };
  for (const auto& c : cases) {
    RunRules rules;
    if (c.runStarted) ASSERT_TRUE(rules.StartRun());
    rules.SetInstallationRunning(c.packageRunning);
    const RunRules::CloseDecision decision = rules.DecideClose(c.request);
    EXPECT_EQ(decision.accepted, c.accepted) << c.when;
    if (c.accepted) {
      EXPECT_FALSE(decision.refusal.has_value()) << c.when;
    } else {
      ASSERT_TRUE(decision.refusal) << c.when;
      EXPECT_EQ(decision.refusal->text, FormatText(LoadMessage(104)));
      EXPECT_EQ(decision.refusal->icon, MessageIcon::Warning);
    }
  }
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
