#pragma once
// The transfer seam over WinINet in asynchronous mode: the one UI thread starts each
// step and then waits for its completion while it watches for window input, so a
// silent server never freezes the window and can be abandoned at any moment. The
// system's proxy settings apply. ftp: addresses go to the FTP transfer.

#include "packages/transfer_seam.h"

namespace kelvano {

class WinInetTransfers : public TransferSeam {
 public:
  std::unique_ptr<Transfer> Start(const std::string& url, std::chrono::milliseconds idleLimit) override;
};

}  // namespace kelvano
