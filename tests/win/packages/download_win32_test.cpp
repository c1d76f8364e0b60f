// The download through WinINet against a real local HTTP server, started around this
// program by http_test_server.py: every case checks the file on disk and the progress
// texts that the window was given.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "packages/byte_size.h"
#include "packages/download.h"
#include "packages/win32/wininet_transfers.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/setup_error.h"
#include "system/win32/wide_text.h"
#include "tests/cases/download_expectations.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/temp_folder.h"
#include "tests/win/system/wine_test_helpers.h"

namespace kelvano::test {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kIdleLimit = 2s;

std::string Progress(std::int32_t received, std::int32_t total) {
  return FormatText(LoadMessage(102), FormatByteSize(received), FormatByteSize(total));
}

class WineDownload : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    port_ = Environment(L"KELVANO_TEST_HTTP_PORT");
    refusedPort_ = Environment(L"KELVANO_TEST_REFUSED_PORT");
  }
  void SetUp() override {
    ASSERT_FALSE(port_.empty()) << "run this program through http_test_server.py, which serves the cases";
  }

  static std::string Url(const std::string& path) { return "http://127.0.0.1:" + port_ + path; }

  void ExpectSuccess(const std::string& url, const std::string& body) {
    ASSERT_NO_THROW(downloader.DownloadFile(url, target)) << url;
    EXPECT_EQ(temp.Read("package.exe"), body) << url;
    EXPECT_THAT(temp.Contents(), ElementsAre("package.exe"));
    EXPECT_THAT(window.Messages(), IsEmpty());
  }

  // Returns how long the download took to fail; it shows no box of its own.
  Clock::duration ExpectFailure(const std::string& url, std::size_t refusedCloses = 0) {
    const auto start = Clock::now();
    ExpectDownloadFailure(downloader, url, target, temp);
    EXPECT_EQ(window.Messages().size(), refusedCloses);
    for (const MessageBoxRequest& box : window.Messages()) EXPECT_EQ(box.text, FormatText(LoadMessage(104)));
    return Clock::now() - start;
  }

  static inline std::string port_;
  static inline std::string refusedPort_;
  TempFolder temp;
  RecordingRunState window;
  WinInetTransfers net;
  Downloader downloader{window, net, {.idleLimit = kIdleLimit}};
  std::string target = temp / "package.exe";
};

TEST_F(WineDownload, FileWithLengthArrivesWithTheCounter) {
  ExpectSuccess(Url("/length/300000"), ServedBytes(300000));
  ASSERT_THAT(window.DownloadLines(), Not(IsEmpty()));
  EXPECT_EQ(window.DownloadLines().front(), Progress(0, 300000));
  EXPECT_EQ(window.DownloadLines().back(), Progress(300000, 300000));
  EXPECT_THAT(window.DownloadLines(), Each(EndsWith(FormatByteSize(300000))));
  EXPECT_GE(window.Pumps(), static_cast<int>(window.DownloadLines().size()));
}

TEST_F(WineDownload, ChunkedFileWithoutLengthShowsNoCounter) {
  ExpectSuccess(Url("/chunked/100000"), ServedBytes(100000));
  EXPECT_THAT(window.DownloadLines(), IsEmpty());
  EXPECT_GE(window.Pumps(), 2);
}

TEST_F(WineDownload, RedirectIsFollowed) {
  ExpectSuccess(Url("/redirect/5000"), ServedBytes(5000));
  EXPECT_EQ(window.DownloadLines().back(), Progress(5000, 5000));
}

TEST_F(WineDownload, EmptyFileAndAnOlderFileReplaced) {
  temp.Write("package.exe", "an older download");
  ExpectSuccess(Url("/length/0"), "");
  ExpectSuccess(Url("/length/1000"), ServedBytes(1000));
}

TEST_F(WineDownload, ErrorAnswersLeaveNoFile) {
  for (const char* path : {"/status/404", "/status/500", "/status/403", "/no-such-path"}) {
    temp.Write("package.exe", "an older download");
    ExpectFailure(Url(path));
  }
  EXPECT_THAT(window.DownloadLines(), IsEmpty());
}

TEST_F(WineDownload, BodyCutOffMidwayLeavesNoFile) {
  ExpectFailure(Url("/cut/100000"));
  EXPECT_THAT(window.DownloadLines(), Each(Not(Progress(100000, 100000))));
}

TEST_F(WineDownload, AnnouncedLengthBeyond2GiBShowsNoCounter) {
  ExpectFailure(Url("/huge"));  // 64 KiB of 3 GiB, then the connection closes
  EXPECT_THAT(window.DownloadLines(), IsEmpty());
}

TEST_F(WineDownload, SlowButSteadyServerIsWaitedFor) {
  // Eight pieces half a second apart: longer in all than the idle limit.
  const auto start = Clock::now();
  ExpectSuccess(Url("/slow/8000/8/500"), ServedBytes(8000));
  EXPECT_GT(Clock::now() - start, kIdleLimit);
  EXPECT_EQ(window.DownloadLines().back(), Progress(8000, 8000));
  EXPECT_GE(window.DownloadLines().size(), 4u);
}

TEST_F(WineDownload, StalledBodyIsAbandonedWhileTheWindowLives) {
  window.SetInstallationRunning(true);
  window.AtPump(10, [&] { window.RequestCloseAtNextPump(); });  // the user tries to close meanwhile
  const auto took = ExpectFailure(Url("/stall/100000"), 1);
  EXPECT_GE(took, kIdleLimit);
  EXPECT_LT(took, kIdleLimit + 5s);
  EXPECT_THAT(window.CloseRequests(), ElementsAre(false));
  EXPECT_GE(window.Pumps(), 20) << "the window was not kept alive while the server was silent";
  EXPECT_EQ(window.DownloadLines().front(), Progress(0, 100000));
}

TEST_F(WineDownload, ServerThatNeverAnswersIsAbandoned) {
  const auto took = ExpectFailure(Url("/silent"));
  EXPECT_GE(took, kIdleLimit);
  EXPECT_LT(took, kIdleLimit + 5s);
}

TEST_F(WineDownload, RefusedConnectionFails) {
  const auto took = ExpectFailure("http://127.0.0.1:" + refusedPort_ + "/length/1000");
  EXPECT_LT(took, kIdleLimit) << "taken for a silent server";
}

TEST_F(WineDownload, UrlsThatCannotBeFetchedFail) {
  ExpectFailure("not a url");
  ExpectFailure("gopher://127.0.0.1:" + port_ + "/length/10");
}

TEST_F(WineDownload, TargetThatCannotBeWrittenFails) {
  target = temp / "missing\\package.exe";
  ExpectFailure(Url("/length/1000"));
  temp.MakeFolder("package.exe");  // a folder where the file should go
  target = temp / "package.exe";
  try {
    downloader.DownloadFile(Url("/length/1000"), target);
    ADD_FAILURE() << "a folder was replaced by a download";
  } catch (const SetupError& error) {
    EXPECT_EQ(error.Source(), "download");
  }
  EXPECT_THAT(temp.Contents(), ElementsAre("package.exe"));
}

TEST_F(WineDownload, ABrokenDownloadResumesWhereItBrokeAndAChangedFileComesWhole) {
  SetupLog log{nullptr};
  Downloader retrying{window, net, {.idleLimit = kIdleLimit, .retryWaits = {0ms, 0ms, 0ms}}, Clock::now, {}, &log};
  ASSERT_NO_THROW(retrying.DownloadFile(Url("/breaks/2/300000/a"), target));
  EXPECT_TRUE(temp.Read("package.exe") == ServedBytes(300000)) << "the resumed file is not the one served";
  // Each try asks for the rest from where the last one broke: half of it comes each time.
  ASSERT_EQ(log.Events().size(), 3u);
  EXPECT_THAT(log.Events()[0], HasSubstr(" from byte 0: status 200, 150000 bytes"));
  EXPECT_THAT(log.Events()[1], HasSubstr(" from byte 150000: status 206, 75000 bytes"));
  EXPECT_THAT(log.Events()[2], HasSubstr(" from byte 225000: status 206, 75000 bytes, complete"));
  EXPECT_EQ(window.DownloadLines().back(), Progress(300000, 300000));

  ASSERT_NO_THROW(retrying.DownloadFile(Url("/changes/200000/b"), target));
  EXPECT_TRUE(temp.Read("package.exe") == ServedBytes(200001).substr(1)) << "not the file as it is now";
  ASSERT_EQ(log.Events().size(), 5u);
  EXPECT_THAT(log.Events()[4], HasSubstr(" from byte 100000: status 200, 200000 bytes, complete"));
}

// Sets the current user's proxy for as long as it lives, as the Internet settings do.
class UserProxy {
 public:
  explicit UserProxy(const std::string& server) {
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    const DWORD enable = 1;
    const std::wstring wide = Widen(server);
    RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
    RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  }
  ~UserProxy() {
    RegDeleteValueW(key_, L"ProxyEnable");
    RegDeleteValueW(key_, L"ProxyServer");
    RegCloseKey(key_);
  }
  UserProxy(const UserProxy&) = delete;
  UserProxy& operator=(const UserProxy&) = delete;

 private:
  static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  HKEY key_ = nullptr;
};

TEST_F(WineDownload, UsersProxyIsHonoured) {
  // The server answers this path only when asked as a proxy, and the host does not exist.
  const std::string url = "http://kelvano-proxy-test.invalid/proxied/4000";
  {
    UserProxy proxy("127.0.0.1:" + port_);
    ExpectSuccess(url, ServedBytes(4000));
  }
  ExpectFailure(url);
}

}  // namespace
}  // namespace kelvano::test
