// What a person does with the setup's message boxes and window, for the e2e tests, in
// the prefix of the setup under test:
//   box_helper answer SECONDS BUTTON  waits for a message box captioned "Setup", prints
//                                     its text and presses BUTTON (OK, Yes, No, Retry, Cancel)
//   box_helper none SECONDS           exit code 0 when no such box shows within SECONDS
//   box_helper close TITLE            the system's close command (as Alt+F4) to the window
//   box_helper exists TITLE           exit code 0 while a window of that title exists
//   box_helper children TITLE           prints "class|text" of each visible child window of
//                                     the window TITLE, as screen readers find them
//   box_helper exitcode FOLDER COMMAND  runs COMMAND in FOLDER and prints its whole exit
//                                     code (a Unix parent sees only its low 8 bits)
// Boxes are told apart by their Windows handle: one answered is never answered again.
#include <windows.h>

#include <cwchar>
#include <string>

#include "tests/support/win32/run_program.h"

namespace {

struct Search {
  HWND found = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
  wchar_t className[32] = {}, title[64] = {};
  GetClassNameW(window, className, 32);
  GetWindowTextW(window, title, 64);
  if (IsWindowVisible(window) && std::wcscmp(className, L"#32770") == 0 && std::wcscmp(title, L"Setup") == 0) {
    reinterpret_cast<Search*>(parameter)->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForBox(double seconds) {
  for (DWORD waited = 0; waited <= seconds * 1000; waited += 50) {
    Search search;
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(50);
  }
  return nullptr;
}

void PrintUtf8(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  bytes += '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int ButtonId(const wchar_t* name) {
  const std::pair<const wchar_t*, int> buttons[] = {
      {L"OK", IDOK}, {L"Yes", IDYES}, {L"No", IDNO}, {L"Retry", IDRETRY}, {L"Cancel", IDCANCEL}};
  for (const auto& [label, id] : buttons) {
    if (_wcsicmp(label, name) == 0) return id;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring command = argv[1];
  if (command == L"answer" && argc >= 4) {
    const HWND box = WaitForBox(std::wcstod(argv[2], nullptr));
    if (box == nullptr) return 1;
    wchar_t text[2048] = {};
    GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 2048);
    PrintUtf8(text);
    const int id = ButtonId(argv[3]);
    const HWND button = GetDlgItem(box, id);
    if (button == nullptr) return 3;
    SendMessageW(button, BM_CLICK, 0, 0);
    // Until the box is gone, so that the next question is another box.
    for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(50);
    return 0;
  }
  if (command == L"exitcode" && argc >= 4) {
    std::wstring line = argv[3];
    for (int i = 4; i < argc; ++i) line += std::wstring(L" ") + argv[i];
    const std::optional<DWORD> exitCode = kelvano::test::RunProgram(line, argv[2]);
    if (!exitCode) {
      PrintUtf8(L"not started");
      return 1;
    }
    PrintUtf8(std::to_wstring(*exitCode));
    return 0;
  }
  if (command == L"none") return WaitForBox(std::wcstod(argv[2], nullptr)) == nullptr ? 0 : 1;
  const HWND window = FindWindowW(nullptr, argv[2]);
  if (command == L"exists") return window != nullptr ? 0 : 1;
  if (command == L"children") {
    if (window == nullptr) return 1;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM) -> BOOL {
          wchar_t className[64] = {}, text[1024] = {};
          GetClassNameW(child, className, 64);
          GetWindowTextW(child, text, 1024);
          if (IsWindowVisible(child)) PrintUtf8(std::wstring(className) + L"|" + text);
          return TRUE;
        },
        0);
    return 0;
  }
  if (command == L"close") {
    if (window == nullptr) return 1;
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  return 2;
}
