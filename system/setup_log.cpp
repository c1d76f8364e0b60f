#include "system/setup_log.h"

#include <cstdio>

namespace kelvano {

void SetupLog::Conceal(std::string secret) {
  if (!secret.empty()) secrets_.push_back(std::move(secret));
}

void SetupLog::Write(std::string_view event) {
  std::string text(event);
  for (const std::string& secret : secrets_) {
    for (std::size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + secret.size())) {
      text.replace(at, secret.size(), secret.size(), '*');
    }
  }
  events_.push_back(text);
  if (given_up_) return;
  std::string line = timestamp_ ? timestamp_() : std::string();
  line += "  ";
  line += text;
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

}  // namespace kelvano
