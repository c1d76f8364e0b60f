// The download's rules over a scripted network: what the progress line shows, when a
// transfer counts as failed, and that a failure never leaves a file behind.
#include "packages/download.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "packages/transfer_errors.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/setup_error.h"
#include "tests/cases/download_expectations.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/scripted_transfers.h"
#include "tests/support/temp_folder.h"

namespace kelvano::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

const std::string kUrl = "http://downloads.example/[PRODUCT]/setup.exe";

std::string Progress(const std::string& received, const std::string& total) {
  return FormatText(LoadMessage(102), received, total);
}

class Download : public ::testing::Test {
 protected:
  void ExpectFailure(const std::string& url) {
    ExpectDownloadFailure(downloader, url, target, temp);
    EXPECT_EQ(net.Running(), 0) << "the transfer was not given up";
    EXPECT_THAT(window.Messages(), IsEmpty());
  }

  TempFolder temp;
  RecordingRunState window;
  ScriptedTransfers net;
  std::string target = temp / "setup.exe";
  Downloader downloader{window, net, {}, net.Clock()};
};

TEST_F(Download, WholeFileArrivesWithTheCounterAfterEveryPiece) {
  const std::string body = ServedBytes(10000);
  net.Serve(kUrl, body, 4096);
  downloader.DownloadFile(kUrl, target);

  EXPECT_EQ(temp.Read("setup.exe"), body);
  EXPECT_THAT(temp.Contents(), ElementsAre("setup.exe"));
  EXPECT_THAT(window.DownloadLines(),
              ElementsAre(Progress("0 bytes", "9.76 KB"), Progress("4.00 KB", "9.76 KB"),
                          Progress("8.00 KB", "9.76 KB"), Progress("9.76 KB", "9.76 KB")));
  EXPECT_GE(window.Pumps(), 4);
  // Nothing shown by the download itself but its line.
  EXPECT_THAT(window.Messages(), IsEmpty());
  EXPECT_THAT(window.PageSwitches(), IsEmpty());
  EXPECT_THAT(net.Started(), ElementsAre(kUrl));
  EXPECT_EQ(net.Running(), 0);
}

TEST_F(Download, WithoutAnnouncedLengthNoCounterShowsButTheWindowStaysAlive) {
  const std::string body = ServedBytes(20000);
  net.ServeWithoutLength(kUrl, body, 4096);
  downloader.DownloadFile(kUrl, target);

  EXPECT_EQ(temp.Read("setup.exe"), body);
  EXPECT_THAT(window.DownloadLines(), IsEmpty());
  EXPECT_GE(window.Pumps(), 6);  // the answer and each of the five pieces
}

TEST_F(Download, TotalsBeyondASigned32BitNumberShowNoCounter) {
  constexpr std::uint64_t kLargest = std::numeric_limits<std::int32_t>::max();
  net.On(kUrl).Answer(200, kLargest).Data("abc").Fail(12030);
  ExpectFailure(kUrl);
  EXPECT_THAT(window.DownloadLines(), ElementsAre(Progress("0 bytes", "1.99 GB"), Progress("3 bytes", "1.99 GB")));

  for (std::uint64_t total : {kLargest + 1, std::uint64_t{3} << 30, (std::uint64_t{1} << 32) + 100}) {
    RecordingRunState quiet;
    Downloader large(quiet, net, {}, net.Clock());
    net.On(kUrl).Answer(200, total).Data("abc").Fail(12030);
    EXPECT_THROW(large.DownloadFile(kUrl, target), SetupError);
    EXPECT_THAT(quiet.DownloadLines(), IsEmpty()) << total;
    EXPECT_GE(quiet.Pumps(), 2) << total;
  }
}

TEST_F(Download, OnlyA2xxAnswerIsTheFile) {
  for (int status : {301, 302, 401, 403, 404, 500, 503}) {
    net.AnswerStatus(kUrl, status);
    ExpectFailure(kUrl);
  }
  net.On(kUrl).Answer(204, 0).End();
  downloader.DownloadFile(kUrl, target);
  EXPECT_TRUE(temp.Exists("setup.exe"));
  EXPECT_EQ(temp.Read("setup.exe"), "");
}

TEST_F(Download, BodyCutOffBeforeItsLengthFailsAndRemovesAnOlderFile) {
  temp.Write("setup.exe", "an older download");
  net.CutOff(kUrl, ServedBytes(10000), 6000);
  ExpectFailure(kUrl);
}

TEST_F(Download, MoreBytesThanAnnouncedFail) {
  net.On(kUrl).Answer(200, 10).Data(ServedBytes(11)).End();
  ExpectFailure(kUrl);
}

TEST_F(Download, BrokenTransfersFailWithTheUrlAsPassed) {
  net.Refuse(kUrl);
  ExpectFailure(kUrl);
  ExpectFailure("http://nowhere.example/setup.exe");  // no script: the host does not resolve
  net.On(kUrl).Answer(200, 100).Data(ServedBytes(50)).Fail(12157);
  ExpectFailure(kUrl);
  // What the log then says of it.
  EXPECT_EQ(DescribeTransferError(downloader.LastError()),
            "error 12157: a secure-channel failure (the server's TLS is none this Windows speaks)");
  EXPECT_EQ(DescribeTransferError(12345), "error 12345");
}

TEST_F(Download, SilentServerIsAbandonedAfterTheIdleLimit) {
  net.StallAfter(kUrl, ServedBytes(10000), 4096);
  const auto start = net.Now();
  ExpectFailure(kUrl);
  EXPECT_EQ(net.Now() - start, 60s);
  EXPECT_GE(window.Pumps(), 60s / 50ms) << "the window was not kept alive while waiting";
}

TEST_F(Download, SilenceBeforeTheAnswerCountsToo) {
  net.On(kUrl).Silence(61s).Answer(200, 3).Data("abc").End();
  const auto start = net.Now();
  ExpectFailure(kUrl);
  EXPECT_EQ(net.Now() - start, 60s);
}

TEST_F(Download, SlowButSteadyServerIsNotAbandoned) {
  const std::string body = ServedBytes(3000);
  net.On(kUrl)
      .Silence(59s)
      .Answer(200, body.size())
      .Silence(59s)
      .Data(body.substr(0, 1000))
      .Silence(59'950ms)
      .Data(body.substr(1000))
      .End();
  const auto start = net.Now();
  downloader.DownloadFile(kUrl, target);
  EXPECT_EQ(temp.Read("setup.exe"), body);
  EXPECT_GT(net.Now() - start, 170s);
}

TEST_F(Download, IdleLimitCanBeLowered) {
  Downloader impatient(window, net, {.idleLimit = 2s, .pumpInterval = 100ms}, net.Clock());
  net.On(kUrl).Answer(200, 6).Data("abc").Silence(2100ms).Data("def").End();
  const auto start = net.Now();
  EXPECT_THROW(impatient.DownloadFile(kUrl, target), SetupError);
  EXPECT_EQ(net.Now() - start, 2s);
  EXPECT_FALSE(temp.Exists("setup.exe"));
}

TEST_F(Download, ReplacesAFileAlreadyAtTheTarget) {
  temp.Write("setup.exe", "an older download, longer than the new one");
  net.Serve(kUrl, "new");
  downloader.DownloadFile(kUrl, target);
  EXPECT_EQ(temp.Read("setup.exe"), "new");
  EXPECT_THAT(temp.Contents(), ElementsAre("setup.exe"));
}

TEST_F(Download, TargetThatCannotBeWrittenFailsBeforeAnyTransfer) {
  target = temp / "missing\\setup.exe";
  net.Serve(kUrl, "abc");
  ExpectFailure(kUrl);
  EXPECT_THAT(net.Started(), IsEmpty());
}

TEST_F(Download, WindowEventsArriveWhileTheFileComes) {
  window.SetInstallationRunning(true);
  window.RequestCloseAtNextPump();
  window.AtPump(3, [&] { window.CloseMainWindow(); });
  net.Serve(kUrl, ServedBytes(20000), 4096);
  downloader.DownloadFile(kUrl, target);

  EXPECT_THAT(window.CloseRequests(), ElementsAre(false, false));
  EXPECT_FALSE(window.Closed());
  EXPECT_EQ(temp.Read("setup.exe"), ServedBytes(20000));
}

TEST_F(Download, AnErrorFromAWindowEventPassesUnchangedAndLeavesNoFile) {
  temp.Write("setup.exe", "an older download");
  window.AtPump(2, [] { throw SetupError(5, "window", "Invalid procedure call"); });
  net.Serve(kUrl, ServedBytes(20000), 4096);
  try {
    downloader.DownloadFile(kUrl, target);
    ADD_FAILURE() << "the error did not pass";
  } catch (const SetupError& error) {
    EXPECT_EQ(error.Number(), 5);
    EXPECT_EQ(error.Source(), "window");
  }
  EXPECT_THAT(temp.Contents(), IsEmpty());
  EXPECT_EQ(net.Running(), 0);
}

}  // namespace
}  // namespace kelvano::test
