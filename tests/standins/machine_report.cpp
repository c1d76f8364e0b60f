// For the demo: runs Setup.exe, then tells in a few lines what the machine holds, while
// the Wine session (and with it the SQL Server service) is still alive. Exit code 0
// only when Setup.exe ended with 0 and the Server installation is all there.
//   machine_report SETUP_EXE STANDIN_LOG [ARGUMENTS...]
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/win32/run_program.h"

namespace {

constexpr wchar_t kProduct[] = L"SOFTWARE\\Kelvano";
constexpr wchar_t kProductCode[] = L"{6A1F3C2E-8B4D-4E7A-9C5B-2D3E4F5A6B7C}";

// A value as the 32-bit setup sees it (its view is the 32-bit one, whichever build runs).
std::wstring Text(HKEY root, const std::wstring& key, const wchar_t* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &handle) != ERROR_SUCCESS) return L"";
  wchar_t value[1024] = {};
  DWORD size = sizeof value - sizeof(wchar_t), type = 0;
  DWORD number = 0;
  std::wstring result;
  if (RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS) {
    if (type == REG_DWORD) {
      number = *reinterpret_cast<DWORD*>(value);
      result = std::to_wstring(number);
    } else {
      result = value;
    }
  }
  RegCloseKey(handle);
  return result;
}

const wchar_t* ServiceState(const wchar_t* name) {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return L"unknown";
  SC_HANDLE service = OpenServiceW(manager, name, SERVICE_QUERY_STATUS);
  const wchar_t* state = L"missing";
  SERVICE_STATUS status = {};
  if (service != nullptr && QueryServiceStatus(service, &status)) {
    switch (status.dwCurrentState) {
      case SERVICE_RUNNING: state = L"running"; break;
      case SERVICE_START_PENDING: state = L"starting"; break;
      case SERVICE_STOPPED: state = L"stopped"; break;
      default: state = L"another state"; break;
    }
  }
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return state;
}

void Line(const std::wstring& text) {
  const std::wstring line = text + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size() - 1), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
  for (int i = 3; i < argc; ++i) commandLine += L" " + std::wstring(argv[i]);
  std::wstring folder = argv[1];
  folder.erase(folder.find_last_of(L'\\'));
  const std::optional<DWORD> exitCode = kelvano::test::RunProgram(commandLine, folder.c_str());
  if (!exitCode) {
    Line(L"Setup.exe could not be run");
    return 3;
  }

  const std::wstring ndp = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\";
  const std::wstring sp = Text(HKEY_LOCAL_MACHINE, ndp + L"v3.5", L"SP");
  const std::wstring release = Text(HKEY_LOCAL_MACHINE, ndp + L"v4\\Full", L"Release");
  const std::wstring setupType = Text(HKEY_LOCAL_MACHINE, kProduct, L"SetupType");
  const std::wstring network = Text(HKEY_LOCAL_MACHINE, kProduct, L"Network");
  const std::wstring uninstall =
      Text(HKEY_LOCAL_MACHINE,
           std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kProductCode, L"DisplayName");
  const std::wstring sql = ServiceState(L"MSSQL$KELVANO");
  Line(L"Setup.exe ended with exit code " + std::to_wstring(*exitCode));
  Line(L".NET Framework 3.5 SP 1:  " + (sp.empty() ? L"missing" : L"detected (SP " + sp + L")"));
  Line(L".NET Framework 4.8:       " + (release.empty() ? L"missing" : L"detected (Release " + release + L")"));
  Line(L"SQL Server MSSQL$KELVANO: " + sql);
  Line(L"Kelvano:                  " +
       (uninstall.empty() ? L"not installed"
                          : L"installed, SetupType " + setupType + L", Network \"" + network + L"\""));
  Line(L"netsh commands recorded:");
  std::wifstream log(argv[2]);
  std::wstring entry;
  int commands = 0;
  bool reservation = false;
  while (std::getline(log, entry)) {
    const std::size_t netsh = entry.find(L"netsh.exe\" ");
    if (netsh == std::wstring::npos) continue;
    const std::wstring arguments = entry.substr(netsh + 11, entry.rfind(L'|') - netsh - 11);
    Line(L"  " + arguments);
    ++commands;
    reservation = reservation || arguments.find(L"http add urlacl") == 0;
  }
  const bool complete = *exitCode == 0 && !sp.empty() && !release.empty() &&
                        (sql == std::wstring(L"running") || sql == std::wstring(L"starting")) &&
                        setupType == L"Server" && !uninstall.empty() && commands == 4 && reservation;
  Line(complete ? L"The Server installation is complete." : L"The Server installation is NOT complete.");
  return complete ? 0 : 1;
}
