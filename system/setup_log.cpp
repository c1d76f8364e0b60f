#include "system/setup_log.h"

#include <cstdio>

#include "system/text_encoding.h"

namespace kelvano {

void SetupLog::Write(std::string_view event) {
  events_.emplace_back(event);
  if (given_up_) return;
  std::string line = timestamp_ ? timestamp_() : std::string();
  line += "  ";
  line += event;
  line += "\r\n";
  if (!file_) {
    waiting_.push_back(std::move(line));
    return;
  }
  Append(line);
}

void SetupLog::WriteTo(std::unique_ptr<LogFile> file) {
  file_ = std::move(file);
  if (!file_) {
    given_up_ = true;
    waiting_.clear();
    return;
  }
  std::string lines;
  for (const std::string& line : waiting_) lines += line;
  waiting_.clear();
  Append(lines);
}

void SetupLog::Append(std::string_view lines) {
  if (file_->Append(lines)) return;
  file_.reset();
  given_up_ = true;
}

std::string FormatLogTimestamp(const DateTime& at, int millisecond) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", at.year, at.month, at.day, at.hour, at.minute,
                at.second, millisecond);
  return text;
}

std::string MaskSecrets(std::string_view commandLine) {
  std::string masked(commandLine);
  const std::string lowered = AsciiLower(commandLine);
  for (std::size_t at = lowered.find("/sapwd="); at != std::string::npos; at = lowered.find("/sapwd=", at + 1)) {
    std::size_t start = at + 7, end = start;
    // A quoted password may hold blanks; an unquoted one ends at the next blank.
    if (end < masked.size() && masked[end] == '"') {
      ++start;
      end = masked.find('"', start);
      if (end == std::string::npos) end = masked.size();
    } else {
      while (end < masked.size() && masked[end] != ' ' && masked[end] != '\t') ++end;
    }
    for (std::size_t i = start; i < end; ++i) masked[i] = '*';
  }
  return masked;
}

}  // namespace kelvano
