#include "tests/cases/registry_manager_cases.h"

namespace kelvano::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Registry, RegistryManagerRules,
                         ::testing::Values(RegistryKind{"InMemory", MakeMemoryRegistry}), RegistryKindName);

TEST(RunOnceEntry, IsWrittenUnderTheCurrentUsersRunOnceKey) {
  MemoryRegistry memory;
  RegistryManager manager(memory);
  manager.AddCmdLine2RunOnce("Kelvano Setup", "C:\\Kit\\SETUP.EXE /S");
  EXPECT_EQ(manager.GetRegistryValue(registry::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                     "Kelvano Setup"),
            RegistryValue(std::string("C:\\Kit\\SETUP.EXE /S")));
  EXPECT_EQ(memory.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace kelvano::test
