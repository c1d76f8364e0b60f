#include "packages/win32/ftp_transfers.h"

#include <algorithm>
#include <optional>

#include "packages/win32/wininet_api.h"
#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

constexpr DWORD kPieceSize = 64 * 1024;
// The worker reads ahead at most this much before the UI thread has taken it.
constexpr std::size_t kReadAhead = 1024 * 1024;
constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; Setup)";

// A critical section, held for a scope.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  CRITICAL_SECTION& Get() { return section_; }

 private:
  CRITICAL_SECTION section_;
};

class Lock {
 public:
  explicit Lock(CriticalSection& section) : section_(section.Get()) { EnterCriticalSection(&section_); }
  ~Lock() { LeaveCriticalSection(&section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

// What the worker and the UI thread share. The transfer owns it and the worker, which it
// joins before this goes.
struct Shared {
  Shared(std::wstring url, DWORD timeout)
      : url(std::move(url)),
        timeout(timeout),
        arrived(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        taken(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

  const std::wstring url;
  const DWORD timeout;
  const unique_handle arrived;  // the worker moved on
  const unique_handle taken;    // the UI thread took data, or gave up
  CriticalSection lock;
  // Guarded by lock.
  unique_hinternet session;  // closed by whoever is first: the worker when done, the UI thread when it gives up
  bool abandoned = false;
  bool answered = false;
  std::optional<std::uint64_t> length;
  std::string data;
  bool ended = false;
  DWORD error = ERROR_SUCCESS;
};

void Finish(Shared& shared, DWORD error) {
  Lock lock(shared.lock);
  if (error != ERROR_SUCCESS) {
    shared.error = error;
  } else {
    shared.ended = true;
  }
  shared.session.Reset();
  SetEvent(shared.arrived.Get());
}

DWORD WINAPI Work(void* parameter) {
  Shared& shared = *static_cast<Shared*>(parameter);
  DWORD loadError = ERROR_SUCCESS;
  const WinInetApi* inet = LoadWinInet(&loadError);
  unique_hinternet opened(inet ? inet->InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)
                               : nullptr);
  const DWORD openError = inet ? GetLastError() : loadError;
  HINTERNET session = opened.Get();
  {
    Lock lock(shared.lock);
    if (!opened || shared.abandoned) {
      shared.error = !opened ? openError : ERROR_INTERNET_OPERATION_CANCELLED;
      SetEvent(shared.arrived.Get());
      return 0;
    }
    shared.session = std::move(opened);
  }
  for (DWORD option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    DWORD timeout = shared.timeout;
    WinInet().InternetSetOptionW(session, option, &timeout, sizeof timeout);
  }
  // Passive mode: the server does not connect back through the card room's firewall.
  unique_hinternet file(
      WinInet().InternetOpenUrlW(session, shared.url.c_str(), nullptr, 0,
                                 INTERNET_FLAG_PASSIVE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
  if (!file) {
    Finish(shared, GetLastError());
    return 0;
  }
  // Windows asks the server for the size; Wine's answer is always 0, taken as unknown
  // (the download then goes without its counter).
  DWORD high = 0;
  const DWORD low = WinInet().FtpGetFileSize(file.Get(), &high);
  {
    Lock lock(shared.lock);
    shared.answered = true;
    if (low != INVALID_FILE_SIZE && (low != 0 || high != 0)) {
      shared.length = (static_cast<std::uint64_t>(high) << 32) | low;
    }
    SetEvent(shared.arrived.Get());
  }
  std::string piece(kPieceSize, '\0');
  DWORD error = ERROR_SUCCESS;
  for (;;) {
    DWORD read = 0;
    if (!WinInet().InternetReadFile(file.Get(), piece.data(), kPieceSize, &read)) {
      error = GetLastError();
      break;
    }
    if (read == 0) break;
    Lock lock(shared.lock);
    if (shared.abandoned) break;
    shared.data.append(piece, 0, read);
    SetEvent(shared.arrived.Get());
    // Wait for the UI thread to take what is there before reading much further ahead.
    while (shared.data.size() >= kReadAhead && !shared.abandoned) {
      LeaveCriticalSection(&shared.lock.Get());
      WaitForSingleObject(shared.taken.Get(), 1000);
      EnterCriticalSection(&shared.lock.Get());
    }
  }
  file.Reset();  // before its session, whose closing would free its value for reuse
  Finish(shared, error);
  return 0;
}

class FtpTransfer final : public Transfer {
 public:
  FtpTransfer(const std::string& url, DWORD timeout) : shared_(std::make_unique<Shared>(Widen(url), timeout)) {
    thread_.Reset(CreateThread(nullptr, 0, Work, shared_.get(), 0, nullptr));
    if (!thread_) startError_ = GetLastError();
  }

  ~FtpTransfer() override {
    {
      Lock lock(shared_->lock);
      shared_->abandoned = true;
      shared_->session.Reset();  // ends a call that blocks in the worker
      SetEvent(shared_->taken.Get());
    }
    if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
  }

  TransferStep Next(std::chrono::milliseconds wait) override {
    TransferStep step;
    if (startError_ != ERROR_SUCCESS) {
      step.kind = TransferStep::Kind::Failed;
      step.error = static_cast<long>(startError_);
      return step;
    }
    if (Take(step)) return step;
    const DWORD milliseconds = static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0));
    const HANDLE arrived = shared_->arrived.Get();
    MsgWaitForMultipleObjects(1, &arrived, FALSE, milliseconds, QS_ALLINPUT);
    Take(step);
    return step;
  }

 private:
  // What has arrived since the last poll, in order: the answer, data, the end.
  bool Take(TransferStep& step) {
    Lock lock(shared_->lock);
    if (shared_->answered && !answerGiven_) {
      answerGiven_ = true;
      step.kind = TransferStep::Kind::Answer;
      step.length = shared_->length;
      return true;
    }
    if (!shared_->data.empty()) {
      received_.swap(shared_->data);
      shared_->data.clear();
      SetEvent(shared_->taken.Get());
      step.kind = TransferStep::Kind::Data;
      step.data = received_;
      return true;
    }
    if (shared_->error != ERROR_SUCCESS) {
      step.kind = TransferStep::Kind::Failed;
      step.error = static_cast<long>(shared_->error);
      return true;
    }
    if (shared_->ended) {
      step.kind = TransferStep::Kind::End;
      return true;
    }
    return false;
  }

  std::unique_ptr<Shared> shared_;
  unique_handle thread_;  // the worker, joined when the transfer goes
  DWORD startError_ = ERROR_SUCCESS;
  bool answerGiven_ = false;
  std::string received_;  // the data handed out last, valid until the next poll
};

}  // namespace

std::unique_ptr<Transfer> StartFtpTransfer(const std::string& url, std::chrono::milliseconds idleLimit) {
  const auto limit = std::clamp<std::chrono::milliseconds::rep>(idleLimit.count(), 1, 0x7FFFFFFF);
  return std::make_unique<FtpTransfer>(url, static_cast<DWORD>(limit));
}

}  // namespace kelvano
