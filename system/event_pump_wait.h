#pragma once
// A pause that keeps the window alive: its events are processed at least every slice.

#include <chrono>
#include <functional>

#include "system/event_pump.h"

namespace kelvano {

using WaitClock = std::function<std::chrono::steady_clock::time_point()>;
using WaitSleep = std::function<void(std::chrono::milliseconds)>;

// Waits duration on clock, sleeping through sleep; without a sleep it only processes
// the events once.
void WaitProcessingEvents(EventPump& pump, const WaitClock& clock, const WaitSleep& sleep,
                          std::chrono::milliseconds duration, std::chrono::milliseconds slice);

}  // namespace kelvano
