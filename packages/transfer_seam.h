#pragma once
// The thinnest layer over a network transfer: start one GET, then poll it. Each poll
// waits a little for the transfer to move on and says what happened, with the OS's own
// error code when it broke. The download rules above it decide what counts as success.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelvano {

// Where a transfer starts: at the beginning, or (offset > 0) with the rest of the file
// that the server still holds as `validator` named it (its ETag, else its Last-Modified),
// asked for as HTTP does: "Range: bytes=offset-" and "If-Range: validator".
struct TransferRange {
  std::uint64_t offset = 0;
  std::string validator;
};

struct TransferStep {
  enum class Kind {
    Waiting,  // nothing new within the wait, or window input arrived meanwhile
    Answer,   // the head of the answer: status and announced length
    Data,     // the next bytes of the body
    End,      // the body ended; the connection may have closed early
    Failed,   // the transfer broke
  };
  Kind kind = Kind::Waiting;
  int status = 0;                       // Answer: HTTP status; 0 when the scheme has none
  std::optional<std::uint64_t> length;  // Answer: the announced length of the body
  std::string validator;                // Answer: what names this file for a resume; empty: nothing
  std::string contentRange;             // Answer: a 206's Content-Range, as the server wrote it
  std::string_view data;                // Data: valid until the next poll
  long error = 0;                       // Failed: the OS's error code
};

class Transfer {
 public:
  // Abandons the transfer when it is still running.
  virtual ~Transfer() = default;
  // Waits at most `wait` for the transfer to move on. After End or Failed nothing follows.
  virtual TransferStep Next(std::chrono::milliseconds wait) = 0;
};

class TransferSeam {
 public:
  virtual ~TransferSeam() = default;
  // Starts a GET of url, from where `range` says; every failure, a malformed URL
  // included, arrives as a Failed step. The OS may give up by itself on a connection
  // silent for `idleLimit`, so that nothing it does for an abandoned transfer outlives
  // the limit for long. A scheme that cannot resume answers with the whole file.
  virtual std::unique_ptr<Transfer> Start(const std::string& url, std::chrono::milliseconds idleLimit,
                                          const TransferRange& range) = 0;
};

}  // namespace kelvano
