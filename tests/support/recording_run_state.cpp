#include "tests/support/recording_run_state.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvano::test {
namespace {

bool Offers(MessageButtons buttons, MessageAnswer answer) {
  switch (buttons) {
    case MessageButtons::Ok: return answer == MessageAnswer::Ok;
    case MessageButtons::YesNo: return answer == MessageAnswer::Yes || answer == MessageAnswer::No;
    case MessageButtons::RetryCancel: return answer == MessageAnswer::Retry || answer == MessageAnswer::Cancel;
  }
  return false;
}

}  // namespace

void RecordingRunState::SetInstallationRunning(bool running) {
  rules_.SetInstallationRunning(running);
  log_.push_back(running ? "running: true" : "running: false");
}

void RecordingRunState::SetInstallationProgress(bool bVisible, const std::string& sInstallationDescription) {
  rules_.SetInstallationProgress(bVisible, sInstallationDescription);
  pageSwitches_.push_back({bVisible, sInstallationDescription});
  log_.push_back(bVisible ? "progress: " + sInstallationDescription : "options");
  ProcessPendingEvents();  // as the window does, so that the change is painted
}

void RecordingRunState::SetDownloadProgress(const std::string& text, std::uint64_t received, std::uint64_t total) {
  rules_.SetDownloadProgress(text, received, total);
  downloadLines_.push_back(text);
  log_.push_back("download: " + text);
}

void RecordingRunState::CloseMainWindow() { RequestClose(RunRules::CloseRequest::ByLogic); }

void RecordingRunState::RequestClose(RunRules::CloseRequest request) {
  const RunRules::CloseDecision decision = rules_.DecideClose(request);
  closeRequests_.push_back(decision.accepted);
  if (decision.accepted) closed_ = true;
  log_.push_back(decision.accepted ? "close: accepted" : "close: refused");
  if (decision.refusal) ShowMessage(*decision.refusal);
}

MessageAnswer RecordingRunState::ShowMessage(const MessageBoxRequest& request) {
  messages_.push_back(request);
  log_.push_back("message: " + request.text);
  if (whileShown_) whileShown_(request);
  if (answers_.empty()) return UnattendedAnswer(request.buttons);
  const MessageAnswer answer = answers_.front();
  answers_.erase(answers_.begin());
  if (!Offers(request.buttons, answer)) {
    ADD_FAILURE() << "scripted answer " << AnswerName(answer) << " is not a button of the box \"" << request.text
                  << "\"";
  }
  return answer;
}

void RecordingRunState::SetBusyPointer(bool busy) {
  busy_ = busy;
  log_.push_back(busy ? "pointer: busy" : "pointer: default");
}

void RecordingRunState::ProcessPendingEvents() {
  ++pumps_;
  // One at a time, like a message queue: a handler that pumps again receives the
  // events still waiting.
  for (;;) {
    const auto due = std::find_if(events_.begin(), events_.end(), [this](const Event& e) { return e.pump <= pumps_; });
    if (due == events_.end()) return;
    const std::function<void()> run = std::move(due->run);
    events_.erase(due);
    run();
  }
}

void RecordingRunState::AnswerMessages(std::initializer_list<MessageAnswer> answers) {
  answers_.insert(answers_.end(), answers.begin(), answers.end());
}

void RecordingRunState::AtNextPump(std::function<void()> event) { AtPump(pumps_ + 1, std::move(event)); }

void RecordingRunState::AtPump(int pumpNumber, std::function<void()> event) {
  events_.push_back({std::max(pumpNumber, pumps_ + 1), std::move(event)});
}

void RecordingRunState::ClickAtNextPump(int option) {
  AtNextPump([this, option] {
    log_.push_back("click: " + std::to_string(option));
    if (clickHandler_) clickHandler_(option);
  });
}

void RecordingRunState::RequestCloseAtNextPump() {
  AtNextPump([this] { RequestClose(RunRules::CloseRequest::ByUser); });
}

}  // namespace kelvano::test
