#include "packages/win32/wininet_transfers.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "packages/http_fields.h"
#include "packages/win32/ftp_transfers.h"
#include "packages/win32/wininet_api.h"
#include "system/text_encoding.h"
#include "system/win32/wide_text.h"

namespace kelvano {
namespace {

// Up to this much is handed on at a time: a read without waiting takes all that the
// connection holds. On a fast network each step costs more than its bytes; 1 MiB steps
// took 200 MB from a local server in less than half the time of 256 KiB ones.
constexpr DWORD kBufferSize = 1024 * 1024;
constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; Setup)";

// What WinINet's worker threads share with the UI thread: the completion of the call
// that went asynchronous, and the places that call writes to. The request handle holds
// a share until WinINet says the handle is closing, so that a completion arriving after
// the transfer was abandoned still finds everything alive.
class Completion {
 public:
  Completion() : buffer(kBufferSize), event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  Completion(const Completion&) = delete;
  Completion& operator=(const Completion&) = delete;

  // Before a call that may complete later, so that only its completion wakes the wait.
  void Arm() { ResetEvent(event_.Get()); }
  // dwResult is non-zero on success; dwError then holds no error (after a query of the
  // available data, the number of bytes), so only a zero dwResult tells a failure.
  void Complete(const INTERNET_ASYNC_RESULT& result) {
    const DWORD error = result.dwError != ERROR_SUCCESS ? result.dwError : ERROR_INTERNET_INTERNAL_ERROR;
    error_.store(result.dwResult != 0 ? ERROR_SUCCESS : error);
    SetEvent(event_.Get());
  }
  // Waits for the completion, or until window input arrives, at most `wait`.
  bool WaitFor(std::chrono::milliseconds wait) const {
    const DWORD milliseconds = static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0));
    const HANDLE event = event_.Get();
    return event != nullptr && MsgWaitForMultipleObjects(1, &event, FALSE, milliseconds, QS_ALLINPUT) == WAIT_OBJECT_0;
  }
  DWORD Error() const { return error_.load(); }

  // Written by WinINet, also after the call that passed them has returned. The ANSI
  // form: the WinINet of Internet Explorer 5.01 and 6 (Windows 2000, a stock XP) has
  // InternetReadFileExW only as a stub that fails with ERROR_CALL_NOT_IMPLEMENTED.
  INTERNET_BUFFERSA read = {};
  std::vector<char> buffer;

 private:
  std::atomic<DWORD> error_{ERROR_SUCCESS};
  unique_handle event_;
};

// The request handle's context: its share of the completion.
using HandleShare = std::shared_ptr<Completion>;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD) {
  auto* share = reinterpret_cast<HandleShare*>(context);
  if (share == nullptr) return;
  if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
    (*share)->Complete(*static_cast<const INTERNET_ASYNC_RESULT*>(information));
  } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
    delete share;  // the last word about the handle
  }
}

// The request headers that ask for the rest of a file, when it is still the same one.
std::wstring RangeHeaders(const TransferRange& range) {
  if (range.offset == 0) return {};
  // Through to_string: to_wstring would bring the C library's wide printf along.
  std::wstring headers = L"Range: bytes=" + Widen(std::to_string(range.offset)) + L"-\r\n";
  if (!range.validator.empty()) headers += L"If-Range: " + Widen(range.validator) + L"\r\n";
  return headers;
}

// A header of the answer as text; empty when the server sent none.
std::string QueryText(HINTERNET request, DWORD info) {
  wchar_t text[512] = {};
  DWORD bytes = sizeof text - sizeof(wchar_t);
  if (!WinInet().HttpQueryInfoW(request, info, text, &bytes, nullptr)) return {};
  return Narrow(std::wstring_view(text, bytes / sizeof(wchar_t)));
}

class WinInetTransfer final : public Transfer {
 public:
  WinInetTransfer(const std::string& url, std::chrono::milliseconds idleLimit, const TransferRange& range);
  ~WinInetTransfer() override;
  TransferStep Next(std::chrono::milliseconds wait) override;

 private:
  enum class Stage { Sending, Reading, Over };
  enum class Call { None, Send, Wait };

  DWORD Open(const std::string& url, DWORD timeout);
  // Makes the next call; nothing when it went asynchronous (pending_ tells which).
  std::optional<TransferStep> Issue();
  // Reads what is there without waiting, until the buffer is full; nothing when it had
  // to wait for the first bytes.
  std::optional<TransferStep> Gather();
  std::optional<TransferStep> WentAsynchronous(Call call);
  TransferStep Answer();
  TransferStep Gathered();
  TransferStep Failed(DWORD error);

  const std::shared_ptr<Completion> completion_ = std::make_shared<Completion>();
  DWORD_PTR context_ = 0;  // the request handle's share, which its calls name too
  unique_hinternet session_;
  unique_hinternet connection_;
  unique_hinternet request_;
  DWORD openError_ = ERROR_SUCCESS;
  const std::wstring headers_;  // kept for the send, which may complete later
  Stage stage_ = Stage::Sending;
  Call pending_ = Call::None;
  DWORD gathered_ = 0;  // bytes of the buffer read for the next step
};

WinInetTransfer::WinInetTransfer(const std::string& url, std::chrono::milliseconds idleLimit,
                                 const TransferRange& range)
    : headers_(RangeHeaders(range)) {
  const auto limit = std::clamp<std::chrono::milliseconds::rep>(idleLimit.count(), 1, 0x7FFFFFFF);
  openError_ = Open(url, static_cast<DWORD>(limit));
}

WinInetTransfer::~WinInetTransfer() {
  // Closing cancels a pending call; its completion may still arrive on a worker thread.
  request_.Reset();
  connection_.Reset();
  session_.Reset();
}

DWORD WinInetTransfer::Open(const std::string& url, DWORD timeout) {
  DWORD loadError = ERROR_SUCCESS;
  if (LoadWinInet(&loadError) == nullptr) return loadError;
  const std::wstring wideUrl = Widen(url);
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  // Non-zero lengths with null buffers: the parts are pointed at inside wideUrl.
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  parts.dwUserNameLength = parts.dwPasswordLength = 1;
  if (!WinInet().InternetCrackUrlW(wideUrl.c_str(), 0, 0, &parts)) return GetLastError();
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
    return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
  object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (object.empty()) object = L"/";
  const std::wstring user(parts.lpszUserName ? parts.lpszUserName : L"", parts.dwUserNameLength);
  const std::wstring password(parts.lpszPassword ? parts.lpszPassword : L"", parts.dwPasswordLength);

  // The system's proxy settings, as every other program of the user's sees them.
  session_.Reset(
      WinInet().InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC));
  if (!session_) return GetLastError();
  for (DWORD option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    WinInet().InternetSetOptionW(session_.Get(), option, &timeout, sizeof timeout);
  }
  if (WinInet().InternetSetStatusCallbackW(session_.Get(), OnStatus) == INTERNET_INVALID_STATUS_CALLBACK) {
    return GetLastError();
  }
  // Context 0: WinINet reports nothing about the connection handle.
  connection_.Reset(
      WinInet().InternetConnectW(session_.Get(), host.c_str(), parts.nPort, user.empty() ? nullptr : user.c_str(),
                                 password.empty() ? nullptr : password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection_) return GetLastError();

  const wchar_t* accept[] = {L"*/*", nullptr};
  DWORD flags =
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  // The request handle's share, handed over first: a failing open may already report
  // the handle closing. Should it fail without that, a little memory stays behind.
  context_ = reinterpret_cast<DWORD_PTR>(new HandleShare(completion_));
  request_.Reset(
      WinInet().HttpOpenRequestW(connection_.Get(), L"GET", object.c_str(), nullptr, nullptr, accept, flags, context_));
  if (!request_) return GetLastError();
  return ERROR_SUCCESS;
}

TransferStep WinInetTransfer::Next(std::chrono::milliseconds wait) {
  if (openError_ != ERROR_SUCCESS) return Failed(openError_);
  for (;;) {
    if (pending_ != Call::None) {
      if (!completion_->WaitFor(wait)) return {};
      const Call finished = std::exchange(pending_, Call::None);
      if (completion_->Error() != ERROR_SUCCESS) return Failed(completion_->Error());
      if (finished == Call::Send) return Answer();

      // Data has come: the read made again takes it at once.
    }
    if (std::optional<TransferStep> step = Issue()) return *step;
  }
}

std::optional<TransferStep> WinInetTransfer::Issue() {
  completion_->Arm();
  switch (stage_) {
    case Stage::Sending:
      if (WinInet().HttpSendRequestW(request_.Get(), headers_.empty() ? nullptr : headers_.c_str(),
                                     static_cast<DWORD>(headers_.size()), nullptr, 0)) {
        return Answer();
      }
      return WentAsynchronous(Call::Send);
    case Stage::Reading: return Gather();
    case Stage::Over: break;
  }
  return Failed(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
}

std::optional<TransferStep> WinInetTransfer::Gather() {
  // Takes all that is there without waiting for more: a read of the whole buffer would
  // complete only once it is full, and a slow server would look silent, while reads of
  // what one query offers (8 KiB under Wine) cost more than the bytes. With nothing
  // there, the read goes asynchronous as a wait for data, and is made again after it.
  while (gathered_ < kBufferSize) {
    INTERNET_BUFFERSA& read = completion_->read;
    read = {};
    read.dwStructSize = sizeof read;
    read.lpvBuffer = completion_->buffer.data() + gathered_;
    read.dwBufferLength = kBufferSize - gathered_;
    completion_->Arm();
    if (!WinInet().InternetReadFileExA(request_.Get(), &read, IRF_NO_WAIT, context_)) {
      const DWORD error = GetLastError();
      if (gathered_ == 0) return WentAsynchronous(Call::Wait);
      // What is here goes on now; the wait for more is waited for at the next step.
      if (error == ERROR_IO_PENDING) pending_ = Call::Wait;
      return Gathered();
    }
    if (read.dwBufferLength == 0) break;  // the end, after what was gathered
    gathered_ += read.dwBufferLength;
  }
  return Gathered();
}

std::optional<TransferStep> WinInetTransfer::WentAsynchronous(Call call) {
  const DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) return Failed(error);
  pending_ = call;
  return std::nullopt;
}

TransferStep WinInetTransfer::Answer() {
  stage_ = Stage::Reading;
  TransferStep step;
  step.kind = TransferStep::Kind::Answer;
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinInet().HttpQueryInfoW(request_.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                nullptr)) {
    return Failed(GetLastError());
  }
  step.status = static_cast<int>(status);
  // As text: a length beyond 4 GiB does not fit the numeric form.
  step.length = ParseContentLength(QueryText(request_.Get(), HTTP_QUERY_CONTENT_LENGTH));
  step.validator = QueryText(request_.Get(), HTTP_QUERY_ETAG);
  if (step.validator.empty()) step.validator = QueryText(request_.Get(), HTTP_QUERY_LAST_MODIFIED);
  if (status == 206) step.contentRange = QueryText(request_.Get(), HTTP_QUERY_CONTENT_RANGE);
  return step;
}

TransferStep WinInetTransfer::Gathered() {
  TransferStep step;
  if (gathered_ == 0) {
    stage_ = Stage::Over;
    step.kind = TransferStep::Kind::End;
  } else {
    // Valid until the next poll, which gathers from the start of the buffer again.
    step.kind = TransferStep::Kind::Data;
    step.data = std::string_view(completion_->buffer.data(), gathered_);
    gathered_ = 0;
  }
  return step;
}

TransferStep WinInetTransfer::Failed(DWORD error) {
  stage_ = Stage::Over;
  TransferStep step;
  step.kind = TransferStep::Kind::Failed;
  step.error = static_cast<long>(error);
  return step;
}

}  // namespace

std::unique_ptr<Transfer> WinInetTransfers::Start(const std::string& url, std::chrono::milliseconds idleLimit,
                                                  const TransferRange& range) {
  if (url.size() >= 4 && EqualsIgnoreAsciiCase(std::string_view(url).substr(0, 4), "ftp:")) {
    return StartFtpTransfer(url, idleLimit);
  }
  return std::make_unique<WinInetTransfer>(url, idleLimit, range);
}

}  // namespace kelvano
