#pragma once
// The one error type of the setup: a number, the source that raised it and the text
// that the user may be shown. The package runner is the place that catches it.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kelvano {

class SetupError : public std::runtime_error {
 public:
  SetupError(std::int32_t number, std::string source, std::string description)
      : std::runtime_error(description),
        number_(number),
        source_(std::move(source)),
        description_(std::move(description)) {}

  std::int32_t Number() const { return number_; }
  const std::string& Source() const { return source_; }
  const std::string& Description() const { return description_; }

 private:
  std::int32_t number_;
  std::string source_;
  std::string description_;
};

// The text a user is shown for an error: a SetupError's description, else what() says.
inline std::string ErrorDescription(const std::exception& failure) {
  const auto* error = dynamic_cast<const SetupError*>(&failure);
  return error != nullptr ? error->Description() : std::string(failure.what());
}

// Inside a catch block: the description of the error being handled, of any type.
inline std::string DescribeCurrentError() {
  try {
    throw;
  } catch (const std::exception& failure) {
    return ErrorDescription(failure);
  } catch (...) {
    return "Unknown error";
  }
}

// A step of a clean-up, which must reach its end: what it throws is only logged, as
// "<what> failed: <description>".
template <typename Step, typename Log>
void CleanUpLogged(const std::string& what, const Step& step, const Log& log) {
  try {
    step();
  } catch (...) {
    log(what + " failed: " + DescribeCurrentError());
  }
}

// Numbers of the run-time errors that several layers raise.
namespace error_number {
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kSubscriptOutOfRange = 9;
inline constexpr std::int32_t kTypeMismatch = 13;
}  // namespace error_number

}  // namespace kelvano
