#pragma once
// Message boxes: the one way the setup tells the user about failures and asks questions.

#include <string>

namespace kelvano {

enum class MessageIcon { None, Information, Warning, Question, Error };
enum class MessageButtons { Ok, YesNo, RetryCancel };
enum class MessageAnswer { Ok, Yes, No, Retry, Cancel };

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
  bool secondButtonDefault = false;  // No of Yes/No, Cancel of Retry/Cancel
};

// "OK", "Yes", "No", "Retry", "Cancel": the button's name, for logs and test reports.
inline const char* AnswerName(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok: return "OK";
    case MessageAnswer::Yes: return "Yes";
    case MessageAnswer::No: return "No";
    case MessageAnswer::Retry: return "Retry";
    case MessageAnswer::Cancel: return "Cancel";
  }
  return "?";
}

// The answer where nobody can give one (message boxes suppressed, or a box that Windows
// could not show): Cancel, No, OK, so that a run never waits and never takes a question
// as agreed to.
inline MessageAnswer UnattendedAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::RetryCancel: return MessageAnswer::Cancel;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::Ok: break;
  }
  return MessageAnswer::Ok;
}

class MessageBoxSeam {
 public:
  virtual ~MessageBoxSeam() = default;
  virtual MessageAnswer Show(const MessageBoxRequest& request) = 0;
};

}  // namespace kelvano
