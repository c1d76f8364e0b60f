// Stand-ins for the vendors' installers (which cannot be fetched here), for the Wine
// tests and the demo kit. One program; what it does depends on the name it is copied
// under, and each does what the setup's detection looks for afterwards:
//   dotnetfx35setup.exe, dotnetfx48setup.exe  the .NET Framework detection values (in
//       both registry views on 64-bit Windows, as the frameworks write them)
//   SQLEXPR_2017_ENU.EXE, SQLEXPR_x86_ITA.EXE  a SQL Server instance: the service
//       MSSQL$<instance> (this program again, as binn\sqlservr.exe) and its keys, where
//       SQL Server registers them (the 64-bit view on 64-bit Windows)
//   Setup.exe  the product's own setup: hands the text after /v to msiexec with the
//       Kelvano.msi beside it
//   sqlservr.exe /service  the SQL Server service
//   any other name (netsh.exe, VelmoraSupport.exe)  records only
// Every run appends "command line|working folder" to the file named by
// KELVANO_STANDIN_LOG. KELVANO_STANDIN_SQL=broken makes a service that cannot start;
// KELVANO_STANDIN_SLEEP=MS makes every installer take that long;
// KELVANO_STANDIN_NET48_EXIT=CODE makes .NET 4.8 end with that code (3010: a restart).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/support/win32/run_program.h"

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? value : L"";
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

void Record() {
  const std::wstring log = Environment(L"KELVANO_STANDIN_LOG");
  if (log.empty()) return;
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  if (FILE* out = _wfopen(log.c_str(), L"a, ccs=UTF-8")) {
    std::fwprintf(out, L"%ls|%ls\n", GetCommandLineW(), folder);
    std::fclose(out);
  }
}

// Built for the setup's bitness: a 64-bit stand-in runs on 64-bit Windows only.
bool OnSixtyFourBitWindows() {
  if (sizeof(void*) == 8) return true;
  BOOL wow64 = FALSE;
  using Function = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64 = reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
  return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

void SetValue(REGSAM view, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &handle,
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
  }
}

void SetNumber(const std::wstring& key, const wchar_t* name, DWORD number) {
  if (!OnSixtyFourBitWindows()) return SetValue(0, key, name, REG_DWORD, &number, sizeof number);
  for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
    SetValue(view, key, name, REG_DWORD, &number, sizeof number);
}

void SetText(REGSAM view, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  SetValue(view, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The value of NAME="value" in the command line.
std::wstring Argument(const std::wstring& line, const std::wstring& name) {
  const std::size_t at = line.find(name + L"=\"");
  if (at == std::wstring::npos) return L"";
  const std::size_t start = at + name.size() + 2;
  return line.substr(start, line.find(L'"', start) - start);
}

int InstallSqlServer(bool sql2017) {
  const std::wstring instance = Argument(GetCommandLineW(), L"/INSTANCENAME");
  if (instance.empty()) return 1;
  const std::wstring id = (sql2017 ? L"MSSQL14." : L"MSSQL10.") + instance;
  // A 64-bit SQL Server lives in the 64-bit Program Files and registry view.
  std::wstring programFiles = Environment(L"ProgramW6432");
  if (programFiles.empty()) programFiles = Environment(L"ProgramFiles");
  const std::wstring folder = programFiles + L"\\Microsoft SQL Server\\" + id + L"\\MSSQL";
  const std::wstring binn = folder + L"\\binn";
  for (std::size_t at = binn.find(L'\\', 3); at != std::wstring::npos; at = binn.find(L'\\', at + 1)) {
    CreateDirectoryW(binn.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(binn.c_str(), nullptr);
  const std::wstring server = binn + L"\\sqlservr.exe";
  CopyFileW(OwnPath().c_str(), server.c_str(), FALSE);

  const REGSAM view = OnSixtyFourBitWindows() ? KEY_WOW64_64KEY : 0;
  const std::wstring sql = L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\";
  SetText(view, sql + L"Instance Names\\SQL", instance.c_str(), id);
  SetText(view, sql + id + L"\\Setup", L"SQLPath", folder);

  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return 2;
  const bool broken = Environment(L"KELVANO_STANDIN_SQL") == L"broken";
  const std::wstring binary = L"\"" + (broken ? binn + L"\\missing.exe" : server) + L"\" /service";
  const std::wstring name = L"MSSQL$" + instance;
  SC_HANDLE service = CreateServiceW(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                     SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binary.c_str(), nullptr, nullptr,
                                     nullptr, nullptr, nullptr);
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return service != nullptr ? 0 : 3;
}

// The product's setup: "/S /v"TEXT"" runs msiexec /i Kelvano.msi TEXT.
int InstallProduct() {
  const std::wstring line = GetCommandLineW();
  const std::size_t v = Lower(line).find(L" /v");
  std::wstring properties = v == std::wstring::npos ? L"" : line.substr(v + 3);
  if (!properties.empty() && properties.front() == L'"') {
    properties.erase(0, 1);
    if (!properties.empty() && properties.back() == L'"') properties.pop_back();
  }
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring command =
      L"\"" + std::wstring(system) + L"\\msiexec.exe\" /i \"" + FolderOf(OwnPath()) + L"\\Kelvano.msi\" " + properties;
  return static_cast<int>(kelvano::test::RunProgram(command).value_or(1619));
}

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;

void Report(DWORD state) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(stopEvent);
  }
  return control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR
                                                                                   : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, wchar_t** argv) {
  statusHandle = RegisterServiceCtrlHandlerExW(argv[0], Control, nullptr);
  if (statusHandle == nullptr) return;
  stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Report(SERVICE_RUNNING);
  WaitForSingleObject(stopEvent, INFINITE);
  Report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring path = OwnPath();
  const std::wstring name = Lower(path.substr(path.find_last_of(L'\\') + 1));
  if (name == L"sqlservr.exe" && argc > 1 && std::wcscmp(argv[1], L"/service") == 0) {
    wchar_t service[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{service, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
  }
  Record();
  Sleep(static_cast<DWORD>(std::wcstoul(Environment(L"KELVANO_STANDIN_SLEEP").c_str(), nullptr, 10)));
  const std::wstring ndp = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\";
  if (name == L"dotnetfx35setup.exe") {
    SetNumber(ndp + L"v3.5", L"Install", 1);
    SetNumber(ndp + L"v3.5", L"SP", 1);
  } else if (name == L"dotnetfx48setup.exe") {
    SetNumber(ndp + L"v4\\Full", L"Release", 528040);
    return static_cast<int>(std::wcstoul(Environment(L"KELVANO_STANDIN_NET48_EXIT").c_str(), nullptr, 10));
  } else if (name == L"sqlexpr_2017_enu.exe" || name == L"sqlexpr_x86_ita.exe") {
    return InstallSqlServer(name == L"sqlexpr_2017_enu.exe");
  } else if (name == L"setup.exe") {
    return InstallProduct();
  }
  return 0;
}
