// The download's rules over a scripted network: what the progress line shows, when a
// transfer counts as failed, and that a failure never leaves a file behind.
#include "packages/download.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

#include "packages/busy_files.h"
#include "packages/byte_size.h"
#include "packages/disk_space.h"
#include "packages/sha256.h"
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
using ::testing::StartsWith;
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
  EXPECT_THAT(window.DownloadLines(), ElementsAre(Progress("0 bytes", "9.76 KB"), Progress("4.00 KB", "9.76 KB"),
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
  ASSERT_EQ(window.Messages().size(), 2u) << "the user's Esc and the logic's request, each refused";
  for (const MessageBoxRequest& box : window.Messages()) EXPECT_EQ(box.text, FormatText(LoadMessage(104)));
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

// A download that breaks, tried again as the package source tries it: each try over the
// script of one start, the ranges asked for, and what ends up at the target.
class ResumedDownload : public Download {
 protected:
  static constexpr std::uint64_t kSize = 100;
  const std::string body = ServedBytes(kSize);
  const std::string tag = "\"v1\"";
  // The first try: 40 bytes of the file named by tag, then the connection is reset.
  void BreakAfter40() { net.Next(kUrl).Answer(200, kSize, tag).Data(body.substr(0, 40)).Fail(12031); }
  std::vector<std::uint64_t> Offsets() const {
    std::vector<std::uint64_t> offsets;
    for (const TransferRange& range : net.Ranges()) offsets.push_back(range.offset);
    return offsets;
  }
  std::chrono::milliseconds Waited() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(net.Now() - start_);
  }

  SetupLog log{nullptr};
  Downloader retrying{window, net, {.retryWaits = {2s, 4s, 8s}}, net.Clock(), net.Sleeper(), &log};
  const ScriptedTransfers::TimePoint start_ = net.Now();
};

TEST_F(ResumedDownload, TheServersAnswerDecidesWhetherTheRestIsAppended) {
  struct Case {
    const char* what;
    std::function<void(ScriptedTransfers::Script&)> second;  // the answer to the resumed request
    std::vector<std::uint64_t> offsets;                      // of every request
  };
  const std::string changed = ServedBytes(kSize + 7).substr(7);
  const Case cases[] = {
      {"206 from byte 40: appended",
       [&](auto& s) { s.Answer(206, 60, tag, "bytes 40-99/100").Data(body.substr(40), 16).End(); },
       {0, 40}},
      {"200: the server ignores ranges, or the file changed: all again",
       [&](auto& s) { s.Answer(200, kSize, "\"v2\"").Data(changed).End(); },
       {0, 40}},
      {"416: from the start, asked again at once", [&](auto& s) { s.Answer(416, 0).End(); }, {0, 40, 0}},
      {"a range that does not start at byte 40",
       [&](auto& s) { s.Answer(206, 70, tag, "bytes 30-99/100"); },
       {0, 40, 0}},
      {"a range of a file of another length", [&](auto& s) { s.Answer(206, 60, tag, "bytes 40-99/120"); }, {0, 40, 0}},
      {"a range that cannot be read", [&](auto& s) { s.Answer(206, 60, tag, "40-99/100"); }, {0, 40, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    net = ScriptedTransfers();
    window = RecordingRunState();
    BreakAfter40();
    c.second(net.Next(kUrl));
    const bool changes = std::string(c.what).rfind("200", 0) == 0;
    net.On(kUrl).Answer(200, kSize, tag).Data(body).End();  // what a fresh request gets
    retrying.DownloadFile(kUrl, target);
    EXPECT_EQ(temp.Read("setup.exe"), changes ? changed : body);
    EXPECT_EQ(Offsets(), c.offsets);
    EXPECT_EQ(net.Ranges()[1].validator, tag) << "If-Range carries the ETag";
    EXPECT_THAT(temp.Contents(), ElementsAre("setup.exe"));
  }
}

TEST_F(ResumedDownload, TheCounterGoesOnFromTheResumedByteAndTheHashCoversTheWholeFile) {
  Sha256 hash;
  hash.Update(body.data(), body.size());
  BreakAfter40();
  net.Next(kUrl).Answer(206, 60, tag, "bytes 40-99/100").Data(body.substr(40)).End();
  retrying.DownloadFile(kUrl, target, hash.FinishHex());
  EXPECT_EQ(temp.Read("setup.exe"), body);
  EXPECT_THAT(window.DownloadLines(),
              ElementsAre(Progress("0 bytes", "100 bytes"), Progress("40 bytes", "100 bytes"),
                          Progress("40 bytes", "100 bytes"), Progress("100 bytes", "100 bytes")));

  // The same two halves, checked against another hash: refused, and not tried again.
  BreakAfter40();
  net.Next(kUrl).Answer(206, 60, tag, "bytes 40-99/100").Data(body.substr(40)).End();
  EXPECT_THROW(retrying.DownloadFile(kUrl, target, std::string(64, 'a')), SetupError);
  EXPECT_THAT(temp.Contents(), IsEmpty());
  EXPECT_EQ(net.Started().size(), 4u);
}

TEST_F(ResumedDownload, WithoutAValidatorTheNextTryStartsAgain) {
  net.Next(kUrl).Answer(200, kSize).Data(body.substr(0, 40)).Fail(12031);
  net.Next(kUrl).Answer(200, kSize).Data(body).End();
  retrying.DownloadFile(kUrl, target);
  EXPECT_EQ(temp.Read("setup.exe"), body);
  EXPECT_EQ(Offsets(), (std::vector<std::uint64_t>{0, 0}));
}

TEST_F(ResumedDownload, AKilledRunsBytesAreTakenOverWhenTheirNoteFitsAndRemovedOtherwise) {
  Sha256 hash;
  hash.Update(body.data(), body.size());
  const std::string sha256 = hash.FinishHex();
  struct Case {
    const char* what;
    std::string note;
    std::uint64_t offset;  // of the first request
    const char* logged;
  };
  const Case cases[] = {
      {"its address and validator", kUrl + "\n" + tag + "\n100\n40\n", 40, "takes over"},
      {"bytes past the note are not trusted", kUrl + "\n" + tag + "\n100\n30\n", 30, "takes over"},
      {"another address", "http://other.example/a.exe\n" + tag + "\n100\n40\n", 0, "removes"},
      {"no validator", kUrl + "\n\n100\n40\n", 0, "removes"},
      {"a note that cannot be read", "garbage", 0, "removes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    net = ScriptedTransfers();
    log = SetupLog(nullptr);
    temp.Write("setup.exe.partial", body.substr(0, 40));
    temp.Write("setup.exe.partial.info", c.note);
    if (c.offset > 0) {
      net.Next(kUrl)
          .Answer(206, kSize - c.offset, tag, "bytes " + std::to_string(c.offset) + "-99/100")
          .Data(body.substr(c.offset))
          .End();
    }
    net.On(kUrl).Answer(200, kSize, tag).Data(body).End();
    retrying.DownloadFile(kUrl, target, sha256);  // the bytes kept are hashed too
    EXPECT_EQ(temp.Read("setup.exe"), body);
    EXPECT_EQ(net.Ranges()[0].offset, c.offset);
    EXPECT_THAT(log.Events()[0], StartsWith(std::string("download ") + c.logged + " an earlier run's partial"));
    EXPECT_THAT(temp.Contents(), ElementsAre("setup.exe")) << "nothing of the partial download stays";
  }
}

TEST_F(ResumedDownload, ADownloadShortOfRoomStopsBeforeWritingAndSaysHowMuchIsNeeded) {
  retrying.SetFreeSpaceQuery([](const std::string&) { return std::optional<std::uint64_t>(kSpaceMargin + 99); });
  net.On(kUrl).Answer(200, kSize, tag).Data(body).End();
  try {
    retrying.DownloadFile(kUrl, target);
    ADD_FAILURE() << "no room, and it succeeded";
  } catch (const SetupError& error) {
    EXPECT_EQ(error.Description(), DescribeShortage({temp.Path(), kSpaceMargin + kSize, kSpaceMargin + 99}));
  }
  EXPECT_THAT(temp.Contents(), IsEmpty());
  EXPECT_EQ(net.Running(), 0) << "the transfer is ended, not read to its end";

  retrying.SetFreeSpaceQuery([](const std::string&) { return std::optional<std::uint64_t>(kSpaceMargin + 100); });
  retrying.DownloadFile(kUrl, target);  // Retry, once there is room
  EXPECT_EQ(temp.Read("setup.exe"), body);
}

TEST(DiskSpace, RoomIsTheBytesAndAMarginAndAnUnknownFreeSpaceIsNoShortage) {
  EXPECT_FALSE(CheckSpace("C:\\t", 100, kSpaceMargin + 100));
  EXPECT_FALSE(CheckSpace("C:\\t", 100, std::nullopt)) << "a volume that cannot tell is not refused";
  EXPECT_FALSE(CheckSpace("C:\\t", 0, kSpaceMargin));
  const std::optional<SpaceShortage> shortage = CheckSpace("C:\\t", 100, kSpaceMargin + 99);
  ASSERT_TRUE(shortage);
  EXPECT_EQ(shortage->needed, kSpaceMargin + 100);
  EXPECT_EQ(shortage->free, kSpaceMargin + 99);
  EXPECT_TRUE(CheckSpace("C:\\t", UINT64_MAX, UINT64_MAX - 1)) << "no overflow";
  EXPECT_EQ(DescribeShortage({"C:\\t", 5u << 20, 1536}),
            FormatText(LoadMessage(142), "C:\\t", FormatByteCount(5u << 20), FormatByteCount(1536)));
  EXPECT_EQ(ShortByteSizeText(std::uint64_t{5} << 40), "5.00 TB") << "free space past 4 GB";
}

TEST(BusyFiles, ABusyFileIsTriedAgainAndEachWaitLoggedAndOtherErrorsCountAtOnce) {
  std::vector<std::string> logged;
  std::chrono::milliseconds slept{0};
  const BusyRetry retry = BusyFileWaits([&](std::chrono::milliseconds ms) { slept += ms; },
                                        [&](const std::string& line) { logged.push_back(line); });
  int calls = 0;
  EXPECT_EQ(RetryWhileBusy("deleting x", retry, [&] { return ++calls < 3 ? 32L : 0L; }), 0);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(slept, 500ms);
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_THAT(logged[0], StartsWith("deleting x: the file is busy (error 32"));
  calls = 0;
  EXPECT_EQ(RetryWhileBusy("opening x", retry, [&] { return ++calls, 33L; }), 33) << "given up after 5 s";
  EXPECT_EQ(calls, 20);
  calls = 0;
  EXPECT_EQ(RetryWhileBusy("opening x", retry, [&] { return ++calls, 5L; }), 5) << "access denied is no wait";
  EXPECT_EQ(calls, 1);
}

TEST_F(ResumedDownload, BrokenTransfersAndServerErrorsAreTriedThreeTimesAfterTwoFourAndEightSeconds) {
  // Every try breaks after 10 bytes; the server ignores the ranges asked for.
  net.On(kUrl).Answer(200, kSize, tag).Data(body.substr(0, 10)).Fail(12031);
  EXPECT_THROW(retrying.DownloadFile(kUrl, target), SetupError);
  EXPECT_EQ(Offsets(), (std::vector<std::uint64_t>{0, 10, 10, 10})) << "each try asks for the rest";
  EXPECT_GE(Waited(), 14s);
  EXPECT_LT(Waited(), 15s);
  ASSERT_EQ(log.Events().size(), 4u);
  EXPECT_EQ(log.Events()[1], "download try 2: " + kUrl +
                                 " from byte 10: status 200, 10 bytes, broken, error 12031: "
                                 "the connection was reset");
  EXPECT_GE(window.Pumps(), 14000 / 50) << "the window lived through the waits";

  // Retry in the box that follows resumes too: the 10 bytes were kept, at the fixed
  // place where a later run would find them, with their note.
  EXPECT_THAT(temp.Contents(), ElementsAre("setup.exe.partial", "setup.exe.partial.info"));
  net.On(kUrl).Answer(206, 90, tag, "bytes 10-99/100").Data(body.substr(10)).End();
  retrying.DownloadFile(kUrl, target);
  EXPECT_EQ(temp.Read("setup.exe"), body);
  EXPECT_EQ(net.Ranges().back().offset, 10u);

  for (int status : {500, 502, 503}) {
    net = ScriptedTransfers();
    net.Next(kUrl).Answer(status, 0).End();
    net.On(kUrl).Answer(200, kSize, tag).Data(body).End();
    retrying.DownloadFile(kUrl, target);
    EXPECT_EQ(net.Started().size(), 2u) << status;
  }
  for (int status : {400, 403, 404, 410}) {
    net = ScriptedTransfers();
    net.AnswerStatus(kUrl, status);
    EXPECT_THROW(retrying.DownloadFile(kUrl, target), SetupError);
    EXPECT_EQ(net.Started().size(), 1u) << status << " would be answered again";
  }
}

}  // namespace
}  // namespace kelvano::test
