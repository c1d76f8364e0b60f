// kunzip ARCHIVE FOLDER [PATTERN]: extracts a zip archive with the setup's own reader.
// Exit code 0 when every selected entry was extracted, 1 when some failed, 2 when the
// archive could not be read.

#include <string>
#include <vector>

#include "unzip/extract_command.h"
#include "unzip/zip_file_system.h"

#ifdef _WIN32
#include <windows.h>

#include "system/win32/dll_search.h"
#include "system/win32/wide_text.h"

namespace {

// A console shows the text in full through the wide call; a pipe or file gets UTF-8.
void PrintError(const std::string& line) {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode, written;
  if (GetConsoleMode(error, &mode)) {
    const std::wstring wide = kelvano::Widen(line + "\r\n");
    WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    const std::string bytes = line + "\r\n";
    WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  kelvano::RestrictDllSearchToSystemFolder();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(kelvano::Narrow(argv[i]));
  const auto files = kelvano::MakeSystemZipFileSystem();
  return kelvano::RunExtractCommand(arguments, *files, PrintError);
}

#else
#include <cstdio>

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const auto files = kelvano::MakeSystemZipFileSystem();
  return kelvano::RunExtractCommand(arguments, *files,
                                    [](const std::string& line) { std::fputs((line + "\n").c_str(), stderr); });
}
#endif
