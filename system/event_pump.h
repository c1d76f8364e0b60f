#pragma once

namespace kelvano {

// Lets the window process its pending events (repaint, input) while the one thread is
// busy waiting for a download or a process.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessPendingEvents() = 0;
};

}  // namespace kelvano
