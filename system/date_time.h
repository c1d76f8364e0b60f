#pragma once
// A calendar date and time of day, as the zip reader and the formatter use it.

#include <string>

namespace kelvano {

struct DateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;

  bool operator==(const DateTime&) const = default;
};

// The forms in which a date is shown: general, short date, long date, long time,
// short time. Windows follows the user's regional settings; elsewhere the forms are
// fixed: "dd/mm/yyyy hh:nn:ss", "dd/mm/yyyy", "d mmmm yyyy", "hh:nn:ss", "hh:nn".
enum class DateForm { General, ShortDate, LongDate, LongTime, ShortTime };

std::string FormatDate(const DateTime& date, DateForm form);

// The day of the week, 1 Sunday to 7 Saturday.
int DayOfWeek(const DateTime& date);
bool IsValidDate(const DateTime& date);
// Days since 30 December 1899 (the date serial of Windows automation) and back.
long DaysFromCivil(int year, int month, int day);
DateTime DateFromSerial(double serial);

}  // namespace kelvano
