#pragma once
// Transfers for every download address a settings file may hold: files on a local disk
// or a file share (file: and plain paths) are copied here, resuming as HTTP does (the
// file's size and time of last change name it), everything else goes to the network
// seam (http, https, ftp).

#include "packages/transfer_seam.h"

namespace kelvano {

class UrlTransfers : public TransferSeam {
 public:
  explicit UrlTransfers(TransferSeam& network) : network_(network) {}
  std::unique_ptr<Transfer> Start(const std::string& url, std::chrono::milliseconds idleLimit,
                                  const TransferRange& range) override;

 private:
  TransferSeam& network_;
};

}  // namespace kelvano
