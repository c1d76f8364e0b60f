#include "packages/busy_files.h"

#include "system/system_error_text.h"
#include "system/windows_errors.h"

namespace kelvano {

BusyRetry BusyFileWaits(std::function<void(std::chrono::milliseconds)> sleep,
                        std::function<void(const std::string&)> log) {
  return {20, std::chrono::milliseconds(250), std::move(sleep), std::move(log)};
}

bool IsBusyFileError(long error) {
  return error == windows_error::kSharingViolation || error == windows_error::kLockViolation;
}

long RetryWhileBusy(const std::string& what, const BusyRetry& retry, const std::function<long()>& attempt) {
  for (int done = 1;; ++done) {
    const long error = attempt();
    if (!IsBusyFileError(error) || done >= retry.tries || !retry.sleep) return error;
    if (retry.log) {
      retry.log(what + ": the file is busy (" + SystemErrorText(error) + "); try " + std::to_string(done + 1) + " of " +
                std::to_string(retry.tries) + " in " + std::to_string(retry.pause.count()) + " ms");
    }
    retry.sleep(retry.pause);
  }
}

}  // namespace kelvano
