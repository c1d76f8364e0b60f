#include <windows.h>

#include "system/date_time.h"
#include "system/win32/system_time.h"
#include "system/win32/wide_text.h"

namespace kelvano {

SYSTEMTIME ToSystemTime(const DateTime& d) {
  SYSTEMTIME time = {};
  time.wYear = static_cast<WORD>(d.year);
  time.wMonth = static_cast<WORD>(d.month);
  time.wDay = static_cast<WORD>(d.day);
  time.wHour = static_cast<WORD>(d.hour);
  time.wMinute = static_cast<WORD>(d.minute);
  time.wSecond = static_cast<WORD>(d.second);
  return time;
}

DateTime FromSystemTime(const SYSTEMTIME& time) {
  return DateTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

namespace {

std::string DatePart(const SYSTEMTIME& time, DWORD flags) {
  wchar_t buffer[128];
  const int length = GetDateFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, buffer, 128);
  return length > 0 ? Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1))) : std::string();
}

std::string TimePart(const SYSTEMTIME& time, DWORD flags) {
  wchar_t buffer[128];
  const int length = GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, buffer, 128);
  return length > 0 ? Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1))) : std::string();
}

}  // namespace

// The user's regional settings decide the forms.
std::string FormatDate(const DateTime& date, DateForm form) {
  const SYSTEMTIME time = ToSystemTime(date);
  switch (form) {
    case DateForm::General: {
      const bool noDate = date.year == 1899 && date.month == 12 && date.day == 30;
      const bool noTime = date.hour == 0 && date.minute == 0 && date.second == 0;
      if (noDate) return TimePart(time, 0);
      if (noTime) return DatePart(time, DATE_SHORTDATE);
      return DatePart(time, DATE_SHORTDATE) + " " + TimePart(time, 0);
    }
    case DateForm::ShortDate: return DatePart(time, DATE_SHORTDATE);
    case DateForm::LongDate: return DatePart(time, DATE_LONGDATE);
    case DateForm::LongTime: return TimePart(time, 0);
    case DateForm::ShortTime: return TimePart(time, TIME_NOSECONDS);
  }
  return {};
}

}  // namespace kelvano
