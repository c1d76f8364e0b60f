#pragma once
// The setup's log for administrators and deployment tools: one line per event, after
// its local time. Lines wait in memory until the log has its file; a file that cannot
// be opened or written is given up, and the setup goes on as if there were none.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "system/date_time.h"

namespace kelvano {

class LogFile {
 public:
  virtual ~LogFile() = default;
  // False when the bytes could not be written.
  virtual bool Append(std::string_view bytes) = 0;
};

// Opens (or creates) a file to append to; null when that is not possible.
std::unique_ptr<LogFile> OpenLogFile(const std::string& path);
// The local time now, "YYYY-MM-DD hh:mm:ss.mmm".
std::string LogTimestamp();
// The form of a log line's time: "YYYY-MM-DD hh:mm:ss.mmm".
std::string FormatLogTimestamp(const DateTime& at, int millisecond);

class SetupLog {
 public:
  using Timestamp = std::function<std::string()>;
  explicit SetupLog(Timestamp timestamp = LogTimestamp) : timestamp_(std::move(timestamp)) {}

  void Write(std::string_view event);
  // From now on the secret (a password on an installer's command line) is written as
  // asterisks wherever it appears.
  void Conceal(std::string secret);
  // From now on lines go to this file, the ones written so far first.
  void WriteTo(std::unique_ptr<LogFile> file);
  // Every event written, without times: what tests read.
  const std::vector<std::string>& Events() const { return events_; }

 private:
  // A file that cannot be written is given up: the log never stops the setup.
  void Append(std::string_view lines);

  Timestamp timestamp_;
  std::unique_ptr<LogFile> file_;
  std::vector<std::string> events_;
  std::vector<std::string> waiting_;
  std::vector<std::string> secrets_;  // lines written before the file was known
  bool given_up_ = false;
};

}  // namespace kelvano
