#include <cstdio>

#include "system/date_time.h"

namespace kelvano {
namespace {

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

std::string ShortDate(const DateTime& d) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", d.day, d.month, d.year);
  return buffer;
}

std::string Time(const DateTime& d, bool seconds) {
  char buffer[32];
  if (seconds) {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", d.hour, d.minute, d.second);
  } else {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", d.hour, d.minute);
  }
  return buffer;
}

}  // namespace

// Fixed forms: there are no Windows regional settings here.
std::string FormatDate(const DateTime& date, DateForm form) {
  switch (form) {
    case DateForm::General: {
      const bool noDate = date.year == 1899 && date.month == 12 && date.day == 30;
      const bool noTime = date.hour == 0 && date.minute == 0 && date.second == 0;
      if (noDate) return Time(date, true);
      if (noTime) return ShortDate(date);
      return ShortDate(date) + " " + Time(date, true);
    }
    case DateForm::ShortDate: return ShortDate(date);
    case DateForm::LongDate:
      return std::to_string(date.day) + " " + kMonths[(date.month - 1) % 12] + " " + std::to_string(date.year);
    case DateForm::LongTime: return Time(date, true);
    case DateForm::ShortTime: return Time(date, false);
  }
  return {};
}

}  // namespace kelvano
