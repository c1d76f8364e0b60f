#pragma once
// A transfer seam for native tests: every URL plays a script of what its server does,
// one step per poll, on a clock of its own that moves only while a transfer waits, so
// a test of a stalled server runs in no time and to the millisecond.
//
//   ScriptedTransfers net;
//   net.Serve("http://host/a.exe", body);                    // 200, length, body, end
//   net.On("http://host/b.exe").Answer(200, 100).Data(half).Stall();
//   net.Next("http://host/b.exe").Answer(206, 50, "\"v1\"", "bytes 50-99/100").Data(rest).End();
//   Downloader downloader(window, net, {}, net.Clock(), net.Sleeper());

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "packages/transfer_seam.h"

namespace kelvano::test {

class ScriptedTransfers : public TransferSeam {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  // What one server does, in order. A script that runs out stays silent for ever.
  class Script {
   public:
    // With what names the file (ETag or Last-Modified) and a 206's Content-Range.
    Script& Answer(int status, std::optional<std::uint64_t> length, std::string validator = "",
                   std::string contentRange = "");
    // The bytes in pieces of pieceSize (0: one piece), one piece per poll.
    Script& Data(const std::string& bytes, std::size_t pieceSize = 0);
    // Nothing arrives for this long.
    Script& Silence(std::chrono::milliseconds duration);
    Script& End();
    Script& Fail(long error);

   private:
    friend class ScriptedTransfers;
    struct Silent {
      std::chrono::milliseconds duration;
    };
    struct Ended {};
    struct Broke {
      long error;
    };
    struct Answered {
      int status;
      std::optional<std::uint64_t> length;
      std::string validator, contentRange;
    };
    using Step = std::variant<Answered, std::string, Silent, Ended, Broke>;
    std::vector<Step> steps_;
  };

  ScriptedTransfers();
  ~ScriptedTransfers() override;

  // The script for url, replacing an earlier one. A URL without a script fails at once
  // as a host that does not resolve.
  Script& On(const std::string& url);
  // A script for one start of url, played before the one of On; several play in order.
  Script& Next(const std::string& url);
  // Shorthands for the usual servers.
  void Serve(const std::string& url, const std::string& body, std::size_t pieceSize = 4096);
  void ServeWithoutLength(const std::string& url, const std::string& body, std::size_t pieceSize = 4096);
  void AnswerStatus(const std::string& url, int status);  // with a small error page
  void CutOff(const std::string& url, const std::string& body, std::size_t delivered);
  void StallAfter(const std::string& url, const std::string& body, std::size_t delivered);
  void Refuse(const std::string& url);

  std::unique_ptr<Transfer> Start(const std::string& url, std::chrono::milliseconds idleLimit,
                                  const TransferRange& range) override;

  // The clock for the code under test, and the wait on it: time passes at once.
  std::function<TimePoint()> Clock();
  std::function<void(std::chrono::milliseconds)> Sleeper();
  TimePoint Now() const { return now_; }
  // URLs started, in order, and the range each asked for.
  const std::vector<std::string>& Started() const { return started_; }
  const std::vector<TransferRange>& Ranges() const { return ranges_; }
  // Transfers started and not yet given up.
  int Running() const { return running_; }

  static constexpr long kCannotConnect = 12029;    // ERROR_INTERNET_CANNOT_CONNECT
  static constexpr long kNameNotResolved = 12007;  // ERROR_INTERNET_NAME_NOT_RESOLVED

 private:
  class Playing;

  std::map<std::string, Script> scripts_;
  std::map<std::string, std::vector<Script>> next_;
  std::vector<std::string> started_;
  std::vector<TransferRange> ranges_;
  TimePoint now_;
  int running_ = 0;
};

}  // namespace kelvano::test
