#include "ui/run_rules.h"

#include "startup/format_text.h"
#include "startup/messages.h"
#include "startup/settings.h"

namespace kelvano {

void RunRules::SetInstallationProgress(bool visible, const std::string& description) {
  progressVisible_ = visible;
  description_ = description;
  downloadLine_.clear();
  received_ = total_ = 0;
}

RunRules::ProgressBar RunRules::Bar() const {
  if (!progressVisible_) return {};
  if (total_ == 0) return {true, true, 0};
  if (received_ >= total_) return {true, false, 1000};
  return {true, false, static_cast<int>(static_cast<double>(received_) * 1000 / static_cast<double>(total_))};
}

RunRules::CloseDecision RunRules::DecideClose(CloseRequest request) const {
  const bool refused = installationRunning_ || (request == CloseRequest::ByUser && runs_ > 0);
  if (!refused) return {};
  return {false, SetupMessageBox(FormatText(LoadMessage(message::kCannotClose)), MessageIcon::Warning)};
}

bool RunRules::StartRun() {
  if (runs_ > 0) return false;
  ++runs_;
  return true;
}

bool RunRules::EndRun() {
  if (runs_ > 0) --runs_;
  return runs_ == 0 && unloadRequested_;
}

bool RunRules::Unload() {
  if (runs_ == 0) return true;
  unloadRequested_ = true;
  return false;
}

std::optional<MessageAnswer> RunRules::AnswerWithoutABox(const MessageBoxRequest& request) const {
  if (!suppressMessageBoxes_) return std::nullopt;
  return UnattendedAnswer(request.buttons);
}

MessageBoxRequest RunRules::BusyMessage() {
  return SetupMessageBox(FormatText(LoadMessage(message::kBusy)), MessageIcon::Warning);
}

}  // namespace kelvano
