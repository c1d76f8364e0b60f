// Download addresses of a kit on a local disk or a file share.
#include "packages/file_url.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "packages/download.h"
#include "packages/url_transfers.h"
#include "tests/cases/download_expectations.h"
#include "tests/support/recording_run_state.h"
#include "tests/support/scripted_transfers.h"

namespace kelvano::test {
namespace {

TEST(FileUrl, EveryFormOfAFileAddressNamesItsWindowsPath) {
  const std::pair<const char*, const char*> forms[] = {
      {"file:///C:/Kit/Prerequisites/dotnetfx48setup.exe", "C:\\Kit\\Prerequisites\\dotnetfx48setup.exe"},
      {"FILE:///c:/My%20Kit/setup.exe", "c:\\My Kit\\setup.exe"},
      {"file://localhost/C:/kit/a.exe", "C:\\kit\\a.exe"},
      {"file://C:/kit/a.exe", "C:\\kit\\a.exe"},
      {"file:C:/kit/a.exe", "C:\\kit\\a.exe"},
      {"file://fileserver/kits/kelvano/a.exe", "\\\\fileserver\\kits\\kelvano\\a.exe"},
      {"file:////fileserver/kits/a.exe", "\\\\fileserver\\kits\\a.exe"},
      {"file:///kits/a%zz.exe", "\\kits\\a%zz.exe"},
      {"C:\\Kit\\a.exe", "C:\\Kit\\a.exe"},
      {"\\\\fileserver\\kits\\a.exe", "\\\\fileserver\\kits\\a.exe"},
  };
  for (const auto& [url, path] : forms) {
    EXPECT_TRUE(NamesLocalFile(url)) << url;
    EXPECT_EQ(LocalFilePath(url), std::optional<std::string>(path)) << url;
  }
  for (const char* network : {"http://kit.example/a.exe", "ftp://kit.example/a.exe", "kit\\a.exe", "C:a.exe"}) {
    EXPECT_FALSE(NamesLocalFile(network)) << network;
  }
  EXPECT_EQ(LocalFilePath("file:///C:/a%00.exe"), std::nullopt) << "a NUL would cut the path short";
}

TEST(FileUrl, AFileIsCopiedWithTheCounterAndAMissingOneIsTheDownloadError) {
  TempFolder kit, temp;
  kit.Write("a.exe", ServedBytes(150000));
  RecordingRunState window;
  ScriptedTransfers network;
  UrlTransfers transfers(network);
  Downloader downloader(window, transfers);
  downloader.DownloadFile("file://" + kit.Path() + "/a.exe", temp / "a.exe");
  EXPECT_EQ(temp.Read("a.exe"), ServedBytes(150000));
  EXPECT_EQ(window.DownloadLines().size(), 4u) << "the answer and three pieces";
  EXPECT_TRUE(network.Started().empty()) << "no network for a file";

  TempFolder failures;
  ExpectDownloadFailure(downloader, "file://" + kit.Path() + "/missing.exe", failures / "b.exe", failures);
  ExpectDownloadFailure(downloader, "file://" + kit.Path(), failures / "b.exe", failures);  // a folder
}

TEST(FileUrl, ACopyResumesWhereItBrokeWhileTheFileIsTheSame) {
  TempFolder kit;
  kit.Write("a.exe", ServedBytes(150000));
  ScriptedTransfers network;
  UrlTransfers transfers(network);
  const auto answer = [&](const TransferRange& range, std::string* rest = nullptr) {
    const auto transfer = transfers.Start("file://" + kit.Path() + "/a.exe", std::chrono::seconds(1), range);
    TransferStep step = transfer->Next(std::chrono::milliseconds(0));
    if (rest != nullptr) {
      for (TransferStep data = transfer->Next({}); data.kind == TransferStep::Kind::Data; data = transfer->Next({})) {
        rest->append(data.data);
      }
    }
    return step;
  };
  const TransferStep whole = answer({});
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(whole.length, 150000u);
  std::string rest;
  const TransferStep resumed = answer({100000, whole.validator}, &rest);
  EXPECT_EQ(resumed.status, 206);
  EXPECT_EQ(resumed.contentRange, "bytes 100000-149999/150000");
  EXPECT_TRUE(rest == ServedBytes(150000).substr(100000)) << "the last 50000 bytes, not " << rest.size();
  EXPECT_EQ(answer({100000, "another file"}).status, 0) << "a changed file is copied whole";
}

}  // namespace
}  // namespace kelvano::test
