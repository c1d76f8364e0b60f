#pragma once
// Helpers of the Windows tests: the test programs built beside this one, the id behind
// a handle, the environment.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "startup/path_helpers.h"
#include "system/win32/wide_text.h"

namespace kelvano::test {

// The full path of a file in the folder of the running test program.
inline std::string BesideTest(const std::string& fileName) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.erase(folder.find_last_of(L'\\') + 1);
  return Narrow(folder) + fileName;
}

// The id of the process or thread that a handle stands for; 0 when it stands for none.
// A closed handle's value may soon stand for something else, so a test that checks a
// handle was closed compares ids rather than asking whether the value is open.
inline DWORD IdBehindHandle(std::uintptr_t handle, bool isThread) {
  using IdFunction = DWORD(WINAPI*)(HANDLE);
  const auto function = reinterpret_cast<IdFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), isThread ? "GetThreadId" : "GetProcessId")));
  return function == nullptr ? 0 : function(reinterpret_cast<HANDLE>(handle));
}

// An environment variable of this process; empty when it is not set.
inline std::string Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? Narrow(value) : std::string();
}

// TEMP names the test's folder for as long as this lives. The setup reads TEMP when its
// machine is made, so this comes before the machine.
class TempVariable {
 public:
  explicit TempVariable(const std::string& folder) { SetEnvironmentVariableW(L"TEMP", Widen(folder).c_str()); }
  ~TempVariable() { SetEnvironmentVariableW(L"TEMP", Widen(saved_).c_str()); }
  TempVariable(const TempVariable&) = delete;
  TempVariable& operator=(const TempVariable&) = delete;

 private:
  const std::string saved_ = Environment(L"TEMP");
};

// Whether the test runs in the 64-bit Windows prefix (KELVANO_WINE_ARCH "win64"), where
// the 32-bit build's test programs run under WOW64 and the 64-bit build's natively,
// rather than in the 32-bit one ("win32").
inline bool OnSixtyFourBitWindows() {
  const std::string arch = Environment(L"KELVANO_WINE_ARCH");
  EXPECT_FALSE(arch.empty()) << "CTest names the prefix in KELVANO_WINE_ARCH";
  return arch == "win64";
}

}  // namespace kelvano::test
