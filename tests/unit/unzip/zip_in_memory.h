#pragma once
// A reader over an in-memory file system with an "out" folder, recording every error
// it reports; nothing may be left open when the test ends.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "unzip/cunzip.h"
#include "tests/support/memory_zip_file_system.h"

namespace kelvano::test {

class InMemoryZip : public ::testing::Test {
 protected:
  InMemoryZip() {
    files_.AddFolder("out");
    zip_.Error = [this](std::int32_t index, const std::string& text) { errors_.emplace_back(index, text); };
  }
  ~InMemoryZip() override { EXPECT_EQ(files_.OpenObjects(), 0); }

  // Stores the bytes as "a.zip" and opens them.
  bool Init(const std::string& bytes) {
    files_.AddFile("a.zip", bytes);
    return zip_.Init("a.zip");
  }
  std::string Content(const std::string& path) const { return files_.Files().at(path).content; }

  MemoryZipFileSystem files_;
  cUnzip zip_{files_};
  std::vector<std::pair<std::int32_t, std::string>> errors_;
};

}  // namespace kelvano::test
