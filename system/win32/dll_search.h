#pragma once

namespace kelvano {

// Limits where DLLs are looked for to the system folder, so that a DLL planted beside
// the setup (a Downloads folder, say) is never loaded into a program that runs with
// administrator rights. Returns which protection was applied.
enum class DllSearchProtection { SystemFolderOnly, CurrentFolderRemoved, None };
DllSearchProtection RestrictDllSearchToSystemFolder();

}  // namespace kelvano
