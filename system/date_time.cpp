#include "system/date_time.h"

#include <cmath>

namespace kelvano {

long DaysFromCivil(int year, int month, int day) {
  // Days from 1970-01-01 (proleptic Gregorian), shifted to the automation epoch.
  year -= month <= 2;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yearOfEra = year - era * 400;
  const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468 + 25569;
}

DateTime DateFromSerial(double serial) {
  long days = static_cast<long>(std::floor(serial));
  double fraction = serial - static_cast<double>(days);
  long seconds = std::lround(fraction * 86400.0);
  if (seconds >= 86400) {
    ++days;
    seconds -= 86400;
  }
  // Inverse of DaysFromCivil.
  const long z = days - 25569 + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long dayOfEra = z - era * 146097;
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long mp = (5 * dayOfYear + 2) / 153;
  DateTime date;
  date.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2));
  date.hour = static_cast<int>(seconds / 3600);
  date.minute = static_cast<int>(seconds / 60 % 60);
  date.second = static_cast<int>(seconds % 60);
  return date;
}

int DayOfWeek(const DateTime& date) {
  // 30 December 1899 was a Saturday.
  const long days = DaysFromCivil(date.year, date.month, date.day);
  return static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
}

bool IsValidDate(const DateTime& date) {
  if (date.year < 100 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) {
    return false;
  }
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  const int last = kDays[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
  return date.day <= last && date.hour >= 0 && date.hour < 24 && date.minute >= 0 && date.minute < 60 &&
         date.second >= 0 && date.second < 60;
}

}  // namespace kelvano
