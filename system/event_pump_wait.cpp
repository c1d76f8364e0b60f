#include "system/event_pump_wait.h"

#include <algorithm>

namespace kelvano {

void WaitProcessingEvents(EventPump& pump, const WaitClock& clock, const WaitSleep& sleep,
                          std::chrono::milliseconds duration, std::chrono::milliseconds slice) {
  const auto until = clock() + duration;
  const auto longest = std::max(slice, std::chrono::milliseconds(1));
  for (;;) {
    pump.ProcessPendingEvents();
    const auto now = clock();
    if (now >= until || !sleep) return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
    sleep(std::clamp(left, std::chrono::milliseconds(1), longest));
  }
}

}  // namespace kelvano
