#pragma once
// WinINet, loaded from the system folder at its first use rather than imported: it is no
// KnownDLL on today's Windows, so an import would load a wininet.dll planted beside
// Setup.exe, as administrator, before the program's first line. Each function here
// exists in the WinINet of Internet Explorer 5.01 (Windows 2000); InternetReadFileExA,
// not W: the W form there is a stub that fails with ERROR_CALL_NOT_IMPLEMENTED.

#include <windows.h>
#include <wininet.h>

#include "system/win32/unique_handle.h"

namespace kelvano {

struct WinInetApi {
  decltype(&::FtpGetFileSize) FtpGetFileSize;
  decltype(&::HttpOpenRequestW) HttpOpenRequestW;
  decltype(&::HttpQueryInfoW) HttpQueryInfoW;
  decltype(&::HttpSendRequestW) HttpSendRequestW;
  decltype(&::InternetCloseHandle) InternetCloseHandle;
  decltype(&::InternetConnectW) InternetConnectW;
  decltype(&::InternetCrackUrlW) InternetCrackUrlW;
  decltype(&::InternetOpenUrlW) InternetOpenUrlW;
  decltype(&::InternetOpenW) InternetOpenW;
  decltype(&::InternetReadFile) InternetReadFile;
  decltype(&::InternetReadFileExA) InternetReadFileExA;
  decltype(&::InternetSetOptionW) InternetSetOptionW;
  decltype(&::InternetSetStatusCallbackW) InternetSetStatusCallbackW;
};

// The functions, loaded at the first call; later calls give the same answer. Null when
// WinINet or one of its functions is missing, with the Windows error in *error.
const WinInetApi* LoadWinInet(DWORD* error = nullptr);

// The loaded functions, for code that holds a WinINet handle (so LoadWinInet succeeded).
inline const WinInetApi& WinInet() { return *LoadWinInet(); }

inline void CloseInternetHandle(HINTERNET handle) { WinInet().InternetCloseHandle(handle); }
using unique_hinternet = UniqueHandle<HINTERNET, CloseInternetHandle>;

}  // namespace kelvano
