#pragma once
// What every download test expects of a failure, natively and under Wine alike.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "packages/download.h"
#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/setup_error.h"
#include "tests/support/temp_folder.h"

namespace kelvano::test {

// The bytes the test servers send: byte i is (i * 31 + i / 251) mod 256, no short
// period, so a misplaced block shows.
inline std::string ServedBytes(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 31 + i / 251);
  return body;
}

// Downloads expecting the one download error, naming the URL as passed, and nothing
// left in the target's folder.
inline void ExpectDownloadFailure(Downloader& downloader, const std::string& url, const std::string& target,
                                  const TempFolder& folder) {
  try {
    downloader.DownloadFile(url, target);
    ADD_FAILURE() << "the download of " << url << " succeeded";
  } catch (const SetupError& error) {
    EXPECT_EQ(error.Number(), static_cast<std::int32_t>(0x80040001u));
    EXPECT_EQ(error.Source(), "download");
    // A file that could not be written adds the system's words.
    EXPECT_THAT(error.Description(), ::testing::StartsWith(FormatText(LoadMessage(128), url)));
  }
  EXPECT_THAT(folder.Contents(), ::testing::IsEmpty()) << url;
}

}  // namespace kelvano::test
