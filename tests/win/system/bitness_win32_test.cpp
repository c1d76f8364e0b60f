// What changes for the setup between 64-bit and 32-bit Windows: the answer to "64-bit
// Windows?", what the system folder holds for it, and the registry view it sees. The
// 64-bit build must see all of it as the 32-bit one does under WOW64; only the folder
// redirection is the 32-bit program's alone. Run in every prefix of the build; each
// expectation names the Windows it holds on.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "system/registry_manager.h"
#include "system/system_info.h"
#include "system/text_encoding.h"
#include "system/win32/wide_text.h"
#include "system/win32/win32_registry.h"
#include "system/win32/win32_system_info.h"
#include "tests/win/system/wine_test_helpers.h"

namespace kelvano::test {
namespace {

// The machine field of a program's PE header: 0x14c i386, 0x8664 x86-64; 0 when the
// file cannot be read.
unsigned ProgramMachine(const std::string& path) {
  std::ifstream file(Widen(path).c_str(), std::ios::binary);
  IMAGE_DOS_HEADER dos = {};
  if (!file.read(reinterpret_cast<char*>(&dos), sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return 0;
  DWORD signature = 0;
  IMAGE_FILE_HEADER header = {};
  file.seekg(dos.e_lfanew);
  if (!file.read(reinterpret_cast<char*>(&signature), sizeof signature) || signature != IMAGE_NT_SIGNATURE ||
      !file.read(reinterpret_cast<char*>(&header), sizeof header)) {
    return 0;
  }
  return header.Machine;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

class Bitness : public ::testing::Test {
 protected:
  Bitness() : info_(seam_) {}
  Win32SystemInfo seam_;
  SystemInfo info_;
  const bool sixtyFourBit_ = OnSixtyFourBitWindows();
};

TEST_F(Bitness, TheSetupKnowsWhetherWindowsIsSixtyFourBit) {
  EXPECT_EQ(info_.IsWow64(), sixtyFourBit_);
  SYSTEM_INFO native = {};
  GetNativeSystemInfo(&native);
  EXPECT_EQ(native.wProcessorArchitecture, sixtyFourBit_ ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL);
}

TEST_F(Bitness, TheSystemFolderHoldsProgramsOfTheSetupsOwnKind) {
  const std::string system = info_.SystemFolder();
  EXPECT_TRUE(EqualsIgnoreAsciiCase(system, "C:\\windows\\system32")) << system;
  // netsh.exe, which the setup starts from there, is of the setup's own kind: on 64-bit
  // Windows, system32 shows a 32-bit process syswow64.
  EXPECT_EQ(ProgramMachine(system + "\\netsh.exe"),
            sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(IsFolder(L"C:\\windows\\syswow64"), sixtyFourBit_);
}

#ifndef _WIN64
TEST_F(Bitness, AFileWrittenToTheSystemFolderLandsInTheFolderOfThirtyTwoBitPrograms) {
  const std::string name = "kelvano-bitness-" + std::to_string(GetCurrentProcessId()) + ".txt";
  const std::wstring written = Widen(info_.SystemFolder() + "\\" + name);
  {
    std::ofstream file(written.c_str());
    ASSERT_TRUE(file << "x");
  }
  const bool inSysWow64 =
      GetFileAttributesW((L"C:\\windows\\syswow64\\" + Widen(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
  const bool inSysNative =
      GetFileAttributesW((L"C:\\windows\\sysnative\\" + Widen(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
  DeleteFileW(written.c_str());
  EXPECT_EQ(inSysWow64, sixtyFourBit_);
  EXPECT_FALSE(inSysNative) << "nothing reaches the 64-bit system folder";
  if (sixtyFourBit_) {
    EXPECT_EQ(ProgramMachine("C:\\windows\\sysnative\\netsh.exe"), IMAGE_FILE_MACHINE_AMD64)
        << "the 64-bit system folder is reached only through sysnative";
  }
}
#endif

// A key under HKLM\Software of this test's own, removed in both views afterwards.
class RegistryViews : public Bitness {
 protected:
  RegistryViews()
      : key_("Software\\KelvanoViews" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount())) {}
  ~RegistryViews() override {
    // RegDeleteKeyEx takes the view; it is newer than the headers of an XP build.
    using DeleteInView = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    const auto deleteInView = reinterpret_cast<DeleteInView>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32"), "RegDeleteKeyExW")));
    if (deleteInView == nullptr) {
      ADD_FAILURE() << "no RegDeleteKeyExW to clean up with";
      return;
    }
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
      deleteInView(HKEY_LOCAL_MACHINE, Widen(key_).c_str(), view, 0);
  }
  // Writes a text value straight into one view.
  void WriteInView(REGSAM view, const std::string& subKey, const std::wstring& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(subKey).c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Where", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  std::string ReadThroughTheSetup(const std::string& subKey) {
    return RegistryValueToText(
        RegistryManager(registry_).GetRegistryValue(registry::kLocalMachine, subKey, "Where", std::string("missing")));
  }
  bool KeyExistsInView(REGSAM view, const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(subKey).c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  Win32Registry registry_;
  const std::string key_;
};

TEST_F(RegistryViews, AValueInTheSixtyFourBitViewIsNotSeenByTheSetup) {
  WriteInView(KEY_WOW64_64KEY, key_, L"64-bit view");
  // 32-bit Windows has one view, whatever the flag asks for.
  EXPECT_EQ(ReadThroughTheSetup(key_), sixtyFourBit_ ? "missing" : "64-bit view");
  WriteInView(KEY_WOW64_32KEY, key_, L"32-bit view");
  EXPECT_EQ(ReadThroughTheSetup(key_), "32-bit view");
}

TEST_F(RegistryViews, WhatTheSetupWritesUnderSoftwareLandsInWow6432NodeOnSixtyFourBitWindows) {
  ASSERT_EQ(RegistryManager(registry_).CreateRegistryKey(registry::kLocalMachine, key_), 0);
  const std::string redirected = "Software\\Wow6432Node\\" + key_.substr(sizeof "Software");
  EXPECT_EQ(KeyExistsInView(KEY_WOW64_64KEY, redirected), sixtyFourBit_);
  EXPECT_EQ(KeyExistsInView(KEY_WOW64_64KEY, key_), !sixtyFourBit_);
  EXPECT_EQ(KeyExistsInView(KEY_WOW64_64KEY, "Software\\Wow6432Node"), sixtyFourBit_)
      << "32-bit Windows has no Wow6432Node";
}

}  // namespace
}  // namespace kelvano::test
