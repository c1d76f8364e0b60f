// The registry rules against Wine's real registry, through the Win32 seam.
#include <windows.h>
#include <shlwapi.h>

#include "system/win32/wide_text.h"
#include "system/win32/win32_registry.h"
#include "tests/cases/registry_manager_cases.h"

namespace kelvano::test {
namespace {

RegistryUnderTest MakeWineRegistry() {
  const std::string base =
      "Software\\KelvanoTests\\Rules" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
  return RegistryUnderTest{std::make_unique<Win32Registry>(), base,
                           [base] { SHDeleteKeyW(HKEY_CURRENT_USER, Widen(base).c_str()); }, nullptr};
}

INSTANTIATE_TEST_SUITE_P(Registry, RegistryManagerRules,
                         ::testing::Values(RegistryKind{"InMemory", MakeMemoryRegistry},
                                           RegistryKind{"Wine", MakeWineRegistry}),
                         RegistryKindName);

}  // namespace
}  // namespace kelvano::test
