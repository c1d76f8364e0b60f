#pragma once
// The contract between the installation logic and the main window: the run flag, the
// two pages, the download line, the close request, message boxes, the busy pointer and
// event pumping.
// The main window implements it; tests use a recording double.

#include <cstdint>
#include <string>

#include "system/event_pump.h"
#include "system/message_box.h"

namespace kelvano {

class RunState : public EventPump {
 public:
  // True while the package runner is inside a package.
  virtual bool InstallationRunning() const = 0;
  virtual void SetInstallationRunning(bool running) = 0;

  // true: the progress page shows with this description and an empty download line;
  // false: the option page shows. Pending events are processed once afterwards.
  virtual void SetInstallationProgress(bool bVisible, const std::string& sInstallationDescription) = 0;

  // The progress page's one-line download counter, and the byte counts it shows (total
  // 0: not known), which the progress bar follows.
  virtual void SetDownloadProgress(const std::string& text, std::uint64_t received, std::uint64_t total) = 0;

  // The main window's close request: refused (message 104) while a package runs.
  virtual void CloseMainWindow() = 0;

  // A message box owned by the main window, captioned with the application title.
  virtual MessageAnswer ShowMessage(const MessageBoxRequest& request) = 0;

  // The hourglass over the whole application while a package runs; false restores the
  // default pointer.
  virtual void SetBusyPointer(bool busy) = 0;
};

}  // namespace kelvano
