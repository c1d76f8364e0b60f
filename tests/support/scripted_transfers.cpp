#include "tests/support/scripted_transfers.h"

#include <algorithm>

namespace kelvano::test {

ScriptedTransfers::Script& ScriptedTransfers::Script::Answer(int status, std::optional<std::uint64_t> length,
                                                             std::string validator, std::string contentRange) {
  steps_.push_back(Answered{status, length, std::move(validator), std::move(contentRange)});
  return *this;
}

ScriptedTransfers::Script& ScriptedTransfers::Script::Data(const std::string& bytes, std::size_t pieceSize) {
  const std::size_t piece = pieceSize == 0 ? std::max<std::size_t>(bytes.size(), 1) : pieceSize;
  for (std::size_t at = 0; at < bytes.size(); at += piece) steps_.push_back(bytes.substr(at, piece));
  return *this;
}

ScriptedTransfers::Script& ScriptedTransfers::Script::Silence(std::chrono::milliseconds duration) {
  steps_.push_back(Silent{duration});
  return *this;
}

ScriptedTransfers::Script& ScriptedTransfers::Script::End() {
  steps_.push_back(Ended{});
  return *this;
}

ScriptedTransfers::Script& ScriptedTransfers::Script::Fail(long error) {
  steps_.push_back(Broke{error});
  return *this;
}

// One transfer playing its script; it holds a copy, so the script may change meanwhile.
class ScriptedTransfers::Playing : public Transfer {
 public:
  Playing(ScriptedTransfers& owner, Script script) : owner_(owner), steps_(std::move(script.steps_)) {
    ++owner_.running_;
  }
  ~Playing() override { --owner_.running_; }

  TransferStep Next(std::chrono::milliseconds wait) override {
    TransferStep step;
    while (next_ < steps_.size()) {
      Script::Step& current = steps_[next_];
      if (auto* silent = std::get_if<Script::Silent>(&current)) {
        if (silent->duration > wait) {
          silent->duration -= wait;
          owner_.now_ += wait;
          return step;
        }
        owner_.now_ += silent->duration;
        ++next_;
        continue;
      }
      ++next_;
      if (const auto* answer = std::get_if<Script::Answered>(&current)) {
        step.kind = TransferStep::Kind::Answer;
        step.status = answer->status;
        step.length = answer->length;
        step.validator = answer->validator;
        step.contentRange = answer->contentRange;
      } else if (const auto* data = std::get_if<std::string>(&current)) {
        step.kind = TransferStep::Kind::Data;
        step.data = *data;
      } else if (std::holds_alternative<Script::Ended>(current)) {
        step.kind = TransferStep::Kind::End;
      } else {
        step.kind = TransferStep::Kind::Failed;
        step.error = std::get<Script::Broke>(current).error;
      }
      return step;
    }
    owner_.now_ += wait;  // nothing more arrives
    return step;
  }

 private:
  ScriptedTransfers& owner_;
  std::vector<Script::Step> steps_;
  std::size_t next_ = 0;
};

ScriptedTransfers::ScriptedTransfers() : now_(std::chrono::hours(1)) {}
ScriptedTransfers::~ScriptedTransfers() = default;

ScriptedTransfers::Script& ScriptedTransfers::On(const std::string& url) { return scripts_[url] = Script(); }

ScriptedTransfers::Script& ScriptedTransfers::Next(const std::string& url) { return next_[url].emplace_back(); }

void ScriptedTransfers::Serve(const std::string& url, const std::string& body, std::size_t pieceSize) {
  On(url).Answer(200, body.size()).Data(body, pieceSize).End();
}

void ScriptedTransfers::ServeWithoutLength(const std::string& url, const std::string& body, std::size_t pieceSize) {
  On(url).Answer(200, std::nullopt).Data(body, pieceSize).End();
}

void ScriptedTransfers::AnswerStatus(const std::string& url, int status) {
  const std::string page = "<html><body>" + std::to_string(status) + "</body></html>";
  On(url).Answer(status, page.size()).Data(page).End();
}

void ScriptedTransfers::CutOff(const std::string& url, const std::string& body, std::size_t delivered) {
  On(url).Answer(200, body.size()).Data(body.substr(0, delivered), 4096).End();
}

void ScriptedTransfers::StallAfter(const std::string& url, const std::string& body, std::size_t delivered) {
  On(url).Answer(200, body.size()).Data(body.substr(0, delivered), 4096);
}

void ScriptedTransfers::Refuse(const std::string& url) { On(url).Fail(kCannotConnect); }

std::unique_ptr<Transfer> ScriptedTransfers::Start(const std::string& url, std::chrono::milliseconds,
                                                   const TransferRange& range) {
  started_.push_back(url);
  ranges_.push_back(range);
  if (auto queued = next_.find(url); queued != next_.end() && !queued->second.empty()) {
    Script script = std::move(queued->second.front());
    queued->second.erase(queued->second.begin());
    return std::make_unique<Playing>(*this, std::move(script));
  }
  const auto found = scripts_.find(url);
  Script script = found != scripts_.end() ? found->second : Script().Fail(kNameNotResolved);
  return std::make_unique<Playing>(*this, std::move(script));
}

std::function<ScriptedTransfers::TimePoint()> ScriptedTransfers::Clock() {
  return [this] { return now_; };
}

std::function<void(std::chrono::milliseconds)> ScriptedTransfers::Sleeper() {
  return [this](std::chrono::milliseconds duration) { now_ += duration; };
}

}  // namespace kelvano::test
