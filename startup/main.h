#pragma once
// The setup's entry: one instance at a time, settings loaded, then the main window.

#include <functional>
#include <string>

#include "startup/picture.h"
#include "startup/settings.h"
#include "system/message_box.h"
#include "system/registry_seam.h"

namespace kelvano {

class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // True when another instance of this setup already runs; otherwise this instance
  // holds the lock from now on.
  virtual bool AnotherInstanceRuns() = 0;
};

struct StartupSeams {
  InstanceLock& instance;
  RegistrySeam& registry;
  PictureLoader& pictures;
  MessageBoxSeam& messages;
  std::string appFolder;
  std::string commandLine;  // the arguments after the program path
};

// Shows the main window and returns when it has been unloaded. May raise.
using ShowMainWindow = std::function<void(const SetupContext&)>;

// Returns the process exit code. A failure while starting is shown in a message box.
int Main(StartupSeams& seams, const ShowMainWindow& showMainWindow);

// The text of the start-up failure message.
std::string StartupFailureText(const std::string& productName, const std::string& technicalDescription);

// The arguments part of a full Windows command line: the program path (quoted or not)
// and the blank after it are removed.
std::string CommandLineArguments(std::string_view fullCommandLine);

}  // namespace kelvano
