#pragma once
// The operating system's own words for an error code, for the boxes and the log: a full
// disk says why, in the user's language where Windows has it.

#include <string>

namespace kelvano {

// The code of the calling thread's last failed system call (GetLastError, errno).
long LastSystemError();

// "error 112: <the system's text>", or "error N" when the system has no text for it.
std::string SystemErrorText(long error);

}  // namespace kelvano
