#pragma once
// What the error of a broken transfer means, in words for the log: WinINet's errors of a
// download (12xxx) and the file errors of a file: or UNC copy.

#include <string>

namespace kelvano {

// "error 12157: a secure-channel failure (...)"; "error N" for one without words.
std::string DescribeTransferError(long error);

}  // namespace kelvano
