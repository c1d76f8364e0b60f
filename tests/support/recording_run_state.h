#pragma once
// A run state for tests, standing in for the main window: it records what the logic
// shows and asks, answers message boxes as scripted, and delivers window events (a
// click, a close request) from inside ProcessPendingEvents, where the real window
// would deliver them while the logic waits.
//
//   RecordingRunState window;
//   window.SetInstallationRunning(true);
//   window.RequestCloseAtNextPump();           // the user presses Esc meanwhile
//   window.AnswerMessages({MessageAnswer::Retry, MessageAnswer::Cancel});
//   ... run the logic ...
//   EXPECT_THAT(window.Log(), ElementsAre("progress: Download di ...", "close: refused", ...));

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "system/run_state.h"
#include "ui/run_rules.h"

namespace kelvano::test {

class RecordingRunState : public RunState {
 public:
  struct PageSwitch {
    bool visible;  // true: the progress page
    std::string description;
    bool operator==(const PageSwitch&) const = default;
  };

  // The contract, by the window's rules.
  bool InstallationRunning() const override { return rules_.InstallationRunning(); }
  void SetInstallationRunning(bool running) override;
  void SetInstallationProgress(bool bVisible, const std::string& sInstallationDescription) override;
  void SetDownloadProgress(const std::string& text, std::uint64_t received, std::uint64_t total) override;
  // The logic's close request, decided as the window decides it.
  void CloseMainWindow() override;
  MessageAnswer ShowMessage(const MessageBoxRequest& request) override;
  void SetBusyPointer(bool busy) override;
  // Counts the pump and runs the window events due now.
  void ProcessPendingEvents() override;

  // What the window shows now.
  bool ProgressPageVisible() const { return rules_.ProgressVisible(); }  // false: the option page
  const std::string& Description() const { return rules_.Description(); }
  const std::string& DownloadLine() const { return rules_.DownloadLine(); }
  bool Closed() const { return closed_; }
  bool BusyPointer() const { return busy_; }

  // What happened, in order.
  const std::vector<PageSwitch>& PageSwitches() const { return pageSwitches_; }
  const std::vector<std::string>& DownloadLines() const { return downloadLines_; }
  const std::vector<MessageBoxRequest>& Messages() const { return messages_; }
  const std::vector<bool>& CloseRequests() const { return closeRequests_; }  // accepted or not
  int Pumps() const { return pumps_; }
  // All of it but the pumps, as readable lines: "progress: TEXT", "options", "download:
  // TEXT", "message: TEXT", "close: accepted|refused", "click: N", "running: true|false",
  // "pointer: busy|default".
  const std::vector<std::string>& Log() const { return log_; }

  // Answers for the next message boxes, in order. A box without one gets OK, or its
  // second button (No, Cancel) when it asks something.
  void AnswerMessages(std::initializer_list<MessageAnswer> answers);

  // Runs while each message box is shown, before it is answered: what the user does
  // meanwhile (copies an installer in place, plugs the network back in).
  void WhileMessageShown(std::function<void(const MessageBoxRequest&)> action) { whileShown_ = std::move(action); }

  // Window events. An event runs inside a later ProcessPendingEvents: AtNextPump at the
  // next one, AtPump at the given one (counted from 1 since this object was made). An
  // event that queues another makes it run at the pump after.
  void AtNextPump(std::function<void()> event);
  void AtPump(int pumpNumber, std::function<void()> event);
  // What a click on an option does (the window's OptionClick); unset, a click does nothing.
  void OnOptionClick(std::function<void(int option)> handler) { clickHandler_ = std::move(handler); }
  void ClickAtNextPump(int option);
  // The user presses Esc: accepted (the window unloads), or refused with message 104.
  void RequestCloseAtNextPump();

 private:
  void RequestClose(RunRules::CloseRequest request);

  struct Event {
    int pump;
    std::function<void()> run;
  };

  RunRules rules_;
  bool closed_ = false;
  bool busy_ = false;
  int pumps_ = 0;
  std::vector<PageSwitch> pageSwitches_;
  std::vector<std::string> downloadLines_;
  std::vector<MessageBoxRequest> messages_;
  std::vector<bool> closeRequests_;
  std::vector<std::string> log_;
  std::vector<MessageAnswer> answers_;
  std::vector<Event> events_;
  std::function<void(int)> clickHandler_;
  std::function<void(const MessageBoxRequest&)> whileShown_;
};

}  // namespace kelvano::test
