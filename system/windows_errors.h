#pragma once
// The Windows error codes that the setup tells apart, as the seams and the system
// return them: one list for every seam.

namespace kelvano::windows_error {

inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kSharingViolation = 32;
inline constexpr long kLockViolation = 33;
inline constexpr long kInvalidParameter = 87;
inline constexpr long kDiskFull = 112;
inline constexpr long kCallNotImplemented = 120;  // tokens on Windows 95/98/Me
inline constexpr long kInvalidName = 123;
inline constexpr long kProcNotFound = 127;
inline constexpr long kEnvironmentVariableNotFound = 203;  // ERROR_ENVVAR_NOT_FOUND
inline constexpr long kMoreData = 234;
inline constexpr long kDirectoryInvalid = 267;  // ERROR_DIRECTORY
inline constexpr long kServiceAlreadyRunning = 1056;
inline constexpr long kServiceDisabled = 1058;
inline constexpr long kServiceDoesNotExist = 1060;
inline constexpr long kDatabaseDoesNotExist = 1065;
inline constexpr long kNotAllAssigned = 1300;  // the token lacks the privilege
inline constexpr long kNoSuchPrivilege = 1313;
inline constexpr long kPrivilegeNotHeld = 1314;
inline constexpr long kServerUnavailable = 1722;  // RPC_S_SERVER_UNAVAILABLE

}  // namespace kelvano::windows_error
