#pragma once
// The run state's rules, apart from how a window shows them: which page shows with
// which texts, when a close request is refused (message 104) and a second run turned
// away (117), when the window may go, and what a message box answers where nobody may
// see it. The window paints and acts from here; the tests' stand-in records through it.

#include <cstdint>
#include <optional>
#include <string>

#include "system/message_box.h"

namespace kelvano {

class RunRules {
 public:
  explicit RunRules(bool suppressMessageBoxes = false) : suppressMessageBoxes_(suppressMessageBoxes) {}

  // The package runner's flag: true while it is inside a package.
  bool InstallationRunning() const { return installationRunning_; }
  void SetInstallationRunning(bool running) { installationRunning_ = running; }

  // true: the progress page with this description and an empty download line; false:
  // the option page.
  void SetInstallationProgress(bool visible, const std::string& description);
  void SetDownloadProgress(const std::string& text, std::uint64_t received, std::uint64_t total) {
    downloadLine_ = text;
    received_ = received;
    total_ = total;
  }
  bool ProgressVisible() const { return progressVisible_; }
  const std::string& Description() const { return description_; }
  const std::string& DownloadLine() const { return downloadLine_; }

  // The progress page's bar: the part of a download of known length that is here, in
  // thousandths; moving while nothing can be counted (an installer runs); hidden on the
  // option page.
  struct ProgressBar {
    bool visible = false;
    bool moving = false;
    int thousandths = 0;
    bool operator==(const ProgressBar&) const = default;
  };
  ProgressBar Bar() const;

  // Who asks the window to go: the logic (a refused Windows), or the user (Esc, the X,
  // Alt+F4, the option Exit, the end of the session).
  enum class CloseRequest { ByLogic, ByUser };
  // A close request is refused while a package runs, and the user's also while a run
  // waits between its packages; a refusal comes with the box that says so (104).
  struct CloseDecision {
    bool accepted = true;
    std::optional<MessageBoxRequest> refusal;
  };
  CloseDecision DecideClose(CloseRequest request) const;

  // A run of the sequence begins, inside the event handler that started it: false when
  // one runs already, and this one is turned away (BusyMessage).
  bool StartRun();
  // The run has ended; true when the window was unloaded meanwhile and goes now.
  bool EndRun();
  // The window is to go: true now, or false during a run, at whose end it goes.
  bool Unload();

  // The answer of a box that is not shown because message boxes are suppressed.
  std::optional<MessageAnswer> AnswerWithoutABox(const MessageBoxRequest& request) const;

  // The message of a run turned away.
  static MessageBoxRequest BusyMessage();

 private:
  bool suppressMessageBoxes_;
  bool installationRunning_ = false;
  bool progressVisible_ = false;
  std::string description_;
  std::string downloadLine_;
  std::uint64_t received_ = 0, total_ = 0;
  int runs_ = 0;  // event handlers running the sequence, one inside the other
  bool unloadRequested_ = false;
};

}  // namespace kelvano
