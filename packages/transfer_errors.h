#pragma once
// What the error of a broken transfer means, in words for the log: WinINet's errors of a
// download (12xxx) and the file errors of a file: or UNC copy.

#include <string>

namespace kelvano {

// "error 12157: a secure-channel failure (...)"; "error N" for one without words.
std::string DescribeTransferError(long error);

// An error that another try would meet again: an address that names nothing that can
// be fetched (not a URL, a scheme the download does not know, a file that is not
// there). Everything else, a refused or broken connection first, may pass.
bool IsPermanentTransferError(long error);

}  // namespace kelvano
