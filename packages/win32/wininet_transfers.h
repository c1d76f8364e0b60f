#pragma once
// The transfer seam over WinINet in asynchronous mode: the one UI thread starts each
// step and then waits for its completion while it watches for window input, so a
// silent server never freezes the window and can be abandoned at any moment. The
// system's proxy settings apply. A range asks for the rest of a file as HTTP does; ftp:
// addresses go to the FTP transfer, which always starts at the beginning.

#include "packages/transfer_seam.h"

namespace kelvano {

class WinInetTransfers : public TransferSeam {
 public:
  std::unique_ptr<Transfer> Start(const std::string& url, std::chrono::milliseconds idleLimit,
                                  const TransferRange& range) override;
};

}  // namespace kelvano
