#include "system/win32/win32_message_box.h"

#include <windows.h>

#include <string>

#include "system/win32/wide_text.h"

namespace kelvano {

MessageAnswer Win32MessageBox::Show(const MessageBoxRequest& request) {
  UINT style = 0;
  switch (request.icon) {
    case MessageIcon::None: break;
    case MessageIcon::Information: style |= MB_ICONINFORMATION; break;
    case MessageIcon::Warning: style |= MB_ICONWARNING; break;
    case MessageIcon::Question: style |= MB_ICONQUESTION; break;
    case MessageIcon::Error: style |= MB_ICONERROR; break;
  }
  switch (request.buttons) {
    case MessageButtons::Ok: style |= MB_OK; break;
    case MessageButtons::YesNo: style |= MB_YESNO; break;
    case MessageButtons::RetryCancel: style |= MB_RETRYCANCEL; break;
  }
  if (request.secondButtonDefault) style |= MB_DEFBUTTON2;
  const int answer =
      MessageBoxW(static_cast<HWND>(owner_), Widen(request.text).c_str(), Widen(request.caption).c_str(), style);
  const DWORD error = GetLastError();
  switch (answer) {
    case IDOK: return MessageAnswer::Ok;
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    case IDRETRY: return MessageAnswer::Retry;
    case IDCANCEL: return MessageAnswer::Cancel;
    default: break;
  }
  const MessageAnswer unattended = UnattendedAnswer(request.buttons);
  if (log_ != nullptr) {
    log_->Write("message box could not be shown (error " + std::to_string(error) + "), taken as " +
                AnswerName(unattended) + ": " + request.text);
  }
  return unattended;
}

}  // namespace kelvano
