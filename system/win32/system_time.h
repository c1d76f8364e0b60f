#pragma once
// DateTime to and from the SYSTEMTIME of Windows (milliseconds and day of week unset).

#include <windows.h>

#include "system/date_time.h"

namespace kelvano {

SYSTEMTIME ToSystemTime(const DateTime& date);
DateTime FromSystemTime(const SYSTEMTIME& time);

}  // namespace kelvano
