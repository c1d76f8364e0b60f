#pragma once
// GoogleTest's Notification is written with std::mutex, which the shipped build's win32
// thread model lacks; this one, with a Windows event, takes its place in every
// GoogleTest build of the Windows tests (forced include, GTEST_HAS_NOTIFICATION_).

#include <windows.h>

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
