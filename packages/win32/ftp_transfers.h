#pragma once
// ftp: downloads through WinINet. WinINet's FTP calls block, so a worker thread makes
// them while the UI thread polls for what arrived and keeps the window alive; an
// abandoned transfer closes its session, which ends the worker's blocked call, and joins
// the worker.

#include <memory>
#include <string>

#include "packages/transfer_seam.h"

namespace kelvano {

std::unique_ptr<Transfer> StartFtpTransfer(const std::string& url, std::chrono::milliseconds idleLimit);

}  // namespace kelvano
