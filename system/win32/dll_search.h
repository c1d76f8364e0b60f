#pragma once

#include <windows.h>

namespace kelvano {

// Limits where DLLs are looked for to the system folder, so that a DLL planted beside
// the setup (a Downloads folder, say) is never loaded into a program that runs with
// administrator rights. Returns which protection was applied. Called first thing in
// every program's entry.
enum class DllSearchProtection { SystemFolderOnly, CurrentFolderRemoved, None };
DllSearchProtection RestrictDllSearchToSystemFolder();

// Loads a DLL of Windows from the system folder by its full path, and its own
// dependencies from there too; null (GetLastError tells why) when it cannot. Every DLL
// that is not a KnownDLL comes through here rather than through an import: on Windows
// 2000 and XP the search restriction does not keep the program's own folder out.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace kelvano
