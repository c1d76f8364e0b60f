#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "system/native_path.h"
#include "system/platform_file.h"
#include "tests/support/temp_folder.h"

namespace kelvano::test {
namespace {

PlatformFile Create(const std::string& path) {
  return PlatformFile(open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

bool IsOpen(PlatformFileHandle file) { return fcntl(static_cast<int>(file), F_GETFD) != -1; }

TEST(PlatformFile, ItsOneOwnerClosesItWhereverItWasMoved) {
  TempFolder folder;
  PlatformFileHandle first, second;
  {
    PlatformFile a = Create(folder / "a.txt");
    PlatformFile b = Create(folder / "b.txt");
    ASSERT_TRUE(a && b);
    first = a.Get();
    second = b.Get();
    PlatformFile moved(std::move(a));
    EXPECT_FALSE(a);
    b = std::move(moved);  // b's own file is closed here
    EXPECT_FALSE(IsOpen(second));
    EXPECT_TRUE(IsOpen(first));
  }
  EXPECT_FALSE(IsOpen(first));
  EXPECT_FALSE(PlatformFile(open("/nonexistent/file", O_RDONLY))) << "a failed open holds nothing";
}

}  // namespace
}  // namespace kelvano::test
