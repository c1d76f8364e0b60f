// The command line's options for deployment tools, beside the ones the setup always had.
#include <gtest/gtest.h>

#include "startup/settings.h"
#include "tests/support/memory_registry.h"
#include "tests/support/staged_kit.h"

namespace kelvano::test {
namespace {

TEST(DeploymentOptions, LogLayoutSuppressAndHelpAreOptionWordsLikeTheOthers) {
  MemoryRegistry registry;
  StagedKit kit(registry, "PRODUCT=Kelvano\r\n");
  kit.Reload("PRODUCT=Kelvano\r\n", "/q /LOG \"C:\\Setup Logs\\kelvano.log\" /layout D:\\kit /SuppressMsgBoxes /nosql");
  const SetupSettings& settings = kit.Context().Settings();
  EXPECT_EQ(settings.LogPath, "C:\\Setup Logs\\kelvano.log");
  EXPECT_EQ(settings.LayoutFolder, "D:\\kit");
  EXPECT_TRUE(settings.SuppressMessageBoxes);
  EXPECT_TRUE(settings.QuietMode);
  EXPECT_TRUE(settings.SkipSql);
  EXPECT_FALSE(settings.ShowHelp);
  kit.Reload("PRODUCT=Kelvano\r\n", "/?");
  EXPECT_TRUE(kit.Context().Settings().ShowHelp);
  EXPECT_FALSE(kit.Context().Settings().QuietMode);
}

}  // namespace
}  // namespace kelvano::test
