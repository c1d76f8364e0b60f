#include <gtest/gtest.h>

#include "system/setup_log.h"

namespace kelvano::test {
namespace {

TEST(SetupLog, TimesArePaddedToOneWidth) {
  EXPECT_EQ(FormatLogTimestamp({2026, 3, 9, 5, 4, 7}, 42), "2026-03-09 05:04:07.042");
  EXPECT_EQ(FormatLogTimestamp({1999, 12, 31, 23, 59, 59}, 999), "1999-12-31 23:59:59.999");
}

// Refuses one append, as a full disk may, and takes the others.
class FailingOnce final : public LogFile {
 public:
  FailingOnce(int refused, std::string& written) : refused_(refused), written_(written) {}
  bool Append(std::string_view bytes) override {
    if (++appends_ == refused_) return false;
    written_ += bytes;
    return true;
  }

 private:
  int refused_;
  int appends_ = 0;
  std::string& written_;
};

TEST(SetupLog, WaitsForItsFileAndGivesUpAFileThatFails) {
  std::string written;
  SetupLog log([] { return std::string("T"); });
  log.Write("before");
  log.WriteTo(std::make_unique<FailingOnce>(3, written));
  log.Write("after");
  log.Write("refused");
  log.Write("never tried");
  EXPECT_EQ(written, "T  before\r\nT  after\r\n");
  // The setup's own record of events goes on.
  EXPECT_EQ(log.Events(), (std::vector<std::string>{"before", "after", "refused", "never tried"}));
}

}  // namespace
}  // namespace kelvano::test
