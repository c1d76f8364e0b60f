#include "packages/win32/wininet_api.h"

#include "system/win32/dll_search.h"

namespace kelvano {
namespace {

template <typename Function>
bool Bind(HMODULE dll, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
  return function != nullptr;
}

struct LoadedWinInet {
  WinInetApi api = {};
  DWORD error = ERROR_SUCCESS;

  LoadedWinInet() {
    // Kept for the life of the process, as an import would be.
    const HMODULE dll = LoadSystemLibrary("wininet.dll");
    if (dll == nullptr) {
      error = GetLastError();
      return;
    }
    const bool complete =
        Bind(dll, "FtpGetFileSize", api.FtpGetFileSize) && Bind(dll, "HttpOpenRequestW", api.HttpOpenRequestW) &&
        Bind(dll, "HttpQueryInfoW", api.HttpQueryInfoW) && Bind(dll, "HttpSendRequestW", api.HttpSendRequestW) &&
        Bind(dll, "InternetCloseHandle", api.InternetCloseHandle) &&
        Bind(dll, "InternetConnectW", api.InternetConnectW) && Bind(dll, "InternetCrackUrlW", api.InternetCrackUrlW) &&
        Bind(dll, "InternetOpenUrlW", api.InternetOpenUrlW) && Bind(dll, "InternetOpenW", api.InternetOpenW) &&
        Bind(dll, "InternetReadFile", api.InternetReadFile) &&
        Bind(dll, "InternetReadFileExA", api.InternetReadFileExA) &&
        Bind(dll, "InternetSetOptionW", api.InternetSetOptionW) &&
        Bind(dll, "InternetSetStatusCallbackW", api.InternetSetStatusCallbackW);
    if (!complete) error = ERROR_PROC_NOT_FOUND;
  }
};

}  // namespace

const WinInetApi* LoadWinInet(DWORD* error) {
  static const LoadedWinInet loaded;
  if (error != nullptr) *error = loaded.error;
  return loaded.error == ERROR_SUCCESS ? &loaded.api : nullptr;
}

}  // namespace kelvano
