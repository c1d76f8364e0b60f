#pragma once
// The registry rules, written once and run against every registry seam: the in-memory
// one natively, and Wine's real registry as well in the Windows tests. A test file
// includes this header and instantiates RegistryManagerRules with its seams.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/support/memory_registry.h"
#include "system/registry_manager.h"
#include "system/setup_error.h"

namespace kelvano::test {

// A registry to test against, with a key of its own that nothing else uses.
struct RegistryUnderTest {
  std::unique_ptr<RegistrySeam> seam;
  std::string base;                          // under HKEY_CURRENT_USER, not created yet
  std::function<void()> cleanup;             // removes what the test wrote
  std::function<std::size_t()> openHandles;  // null when the seam cannot count them
};

struct RegistryKind {
  const char* name;
  RegistryUnderTest (*make)();
};
inline void PrintTo(const RegistryKind& kind, std::ostream* out) { *out << kind.name; }
inline std::string RegistryKindName(const ::testing::TestParamInfo<RegistryKind>& info) { return info.param.name; }

inline RegistryUnderTest MakeMemoryRegistry() {
  auto memory = std::make_unique<MemoryRegistry>();
  MemoryRegistry* raw = memory.get();
  return RegistryUnderTest{std::move(memory), "Software\\KelvanoTests\\Rules", [] {},
                           [raw] { return raw->OpenHandleCount(); }};
}

class RegistryManagerRules : public ::testing::TestWithParam<RegistryKind> {
 protected:
  void SetUp() override { registry_ = GetParam().make(); }
  void TearDown() override {
    if (registry_.openHandles) {
      EXPECT_EQ(registry_.openHandles(), 0u) << "a registry handle was left open";
    }
    registry_.cleanup();
  }

  RegistryManager Manager() { return RegistryManager(*registry_.seam); }
  std::string Key(const std::string& sub = "") const {
    return sub.empty() ? registry_.base : registry_.base + "\\" + sub;
  }
  // Writes a value of any type straight through the seam, as another program would.
  void Plant(const std::string& key, const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data) {
    RegistryHandle handle = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(registry_.seam->CreateKey(registry::kCurrentUser, key, registry::kWrite, handle, disposition), 0);
    ASSERT_EQ(registry_.seam->SetValue(handle, name, type, data.data(), static_cast<std::uint32_t>(data.size())), 0);
    registry_.seam->CloseKey(handle);
  }
  static std::vector<std::uint8_t> Utf16z(const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
      bytes.push_back(static_cast<std::uint8_t>(c));
      bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
  }

  RegistryUnderTest registry_;
};

constexpr RegistryHandle kUser = registry::kCurrentUser;

TEST_P(RegistryManagerRules, MissingKeyOrValueGivesTheDefaultAndCreatesNothing) {
  RegistryManager manager = Manager();
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key("Missing"), "v", std::string("fallback")),
            RegistryValue(std::string("fallback")));
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key("Missing"), "v"), RegistryValue());
  EXPECT_FALSE(manager.CheckRegistryKey(kUser, Key("Missing")));

  ASSERT_EQ(manager.CreateRegistryKey(kUser, Key()), 0);
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "absent", std::int32_t{7}), RegistryValue(std::int32_t{7}));
}

TEST_P(RegistryManagerRules, CreatingAKeyAnswersZeroWhetherNewOrExisting) {
  RegistryManager manager = Manager();
  EXPECT_EQ(manager.CreateRegistryKey(kUser, Key("A\\B\\C")), 0);
  EXPECT_TRUE(manager.CheckRegistryKey(kUser, Key("A\\B\\C")));
  EXPECT_EQ(manager.CreateRegistryKey(kUser, Key("A\\B\\C")), 0);
  EXPECT_TRUE(manager.CheckRegistryKey(kUser, Key("a\\b\\c"))) << "key names ignore case";
}

TEST_P(RegistryManagerRules, TextValuesReadBackWithoutTheirTerminator) {
  RegistryManager manager = Manager();
  ASSERT_EQ(manager.CreateRegistryKey(kUser, Key()), 0);
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key(), "Text", 1, std::string("Sala Giochi è aperta")), 0);
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key(), "Empty", 1, std::string()), 0);
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key(), "Expand", 2, std::string("%TEMP%\\x")), 0);
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key(), "FromNumber", 1, std::int32_t{-42}), 0);

  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Text"), RegistryValue(std::string("Sala Giochi è aperta")));
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Empty", std::string("d")), RegistryValue(std::string()));
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Expand"), RegistryValue(std::string("%TEMP%\\x")))
      << "expandable text is returned unexpanded";
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "FromNumber"), RegistryValue(std::string("-42")));
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "text"), RegistryValue(std::string("Sala Giochi è aperta")))
      << "value names ignore case";
}

TEST_P(RegistryManagerRules, TextOfTheBufferSizeOrLongerGivesTheDefault) {
  RegistryManager manager = Manager();
  ASSERT_EQ(manager.CreateRegistryKey(kUser, Key()), 0);
  const std::string fits(RegistryManager::kTextBufferCharacters - 1, 'x');
  const std::string tooLong(RegistryManager::kTextBufferCharacters, 'x');
  manager.SetRegistryValue(kUser, Key(), "Fits", 1, fits);
  manager.SetRegistryValue(kUser, Key(), "TooLong", 1, tooLong);
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Fits", std::string("d")), RegistryValue(fits));
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "TooLong", std::string("d")), RegistryValue(std::string("d")));
}

TEST_P(RegistryManagerRules, TextStoredWithoutTerminatorKeepsItsLastCharacter) {
  std::vector<std::uint8_t> bytes = Utf16z(u"abc");
  bytes.resize(bytes.size() - 2);
  Plant(Key(), "Bare", registry::kString, bytes);
  EXPECT_EQ(Manager().GetRegistryValue(kUser, Key(), "Bare"), RegistryValue(std::string("abc")));
}

TEST_P(RegistryManagerRules, BinaryAndNumberValuesRoundTrip) {
  RegistryManager manager = Manager();
  ASSERT_EQ(manager.CreateRegistryKey(kUser, Key()), 0);
  const std::vector<std::uint8_t> bytes = {0, 1, 2, 0xFF, 0x80};
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key(), "Bytes", 3, bytes), 0);
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key(), "Number", 4, std::int32_t{-2}), 0);
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key(), "NumberText", 4, std::string(" 528040 ")), 0);
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Bytes"), RegistryValue(bytes));
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Number"), RegistryValue(std::int32_t{-2}));
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "NumberText"), RegistryValue(std::int32_t{528040}));
}

TEST_P(RegistryManagerRules, ValueThatCannotBeConvertedRaisesTypeMismatch) {
  RegistryManager manager = Manager();
  ASSERT_EQ(manager.CreateRegistryKey(kUser, Key()), 0);
  try {
    manager.SetRegistryValue(kUser, Key(), "Number", 4, std::string("not a number"));
    FAIL() << "expected an error";
  } catch (const SetupError& error) {
    EXPECT_EQ(error.Number(), 13);
  }
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Number", std::string("unset")),
            RegistryValue(std::string("unset")));
}

TEST_P(RegistryManagerRules, MultiStringAndQwordValuesRaiseUnsupportedType) {
  Plant(Key(), "Multi", registry::kMultiString, Utf16z(u"a\0b"));
  Plant(Key(), "Qword", registry::kQword, {1, 0, 0, 0, 0, 0, 0, 0});
  for (const char* name : {"Multi", "Qword"}) {
    try {
      Manager().GetRegistryValue(kUser, Key(), name, std::string("d"));
      FAIL() << name << ": expected error 1001";
    } catch (const SetupError& error) {
      EXPECT_EQ(error.Number(), 1001) << name;
      EXPECT_EQ(error.Description(), "Tipo non supportato.") << name;
    }
  }
}

TEST_P(RegistryManagerRules, WritingToAMissingKeyAnswersOneAndCreatesNothing) {
  RegistryManager manager = Manager();
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key("Missing"), "v", 1, std::string("x")), 1);
  EXPECT_FALSE(manager.CheckRegistryKey(kUser, Key("Missing")));
  EXPECT_EQ(manager.DeleteValue(kUser, Key("Missing"), "v"), 1);
}

TEST_P(RegistryManagerRules, UnknownTypeWritesNothingAndAnswersZero) {
  RegistryManager manager = Manager();
  ASSERT_EQ(manager.CreateRegistryKey(kUser, Key()), 0);
  EXPECT_EQ(manager.SetRegistryValue(kUser, Key(), "Seven", 7, std::string("x")), 0);
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Seven", std::string("none")), RegistryValue(std::string("none")));
}

TEST_P(RegistryManagerRules, DeletingAValueAnswersZeroThenTwo) {
  RegistryManager manager = Manager();
  ASSERT_EQ(manager.CreateRegistryKey(kUser, Key()), 0);
  manager.SetRegistryValue(kUser, Key(), "Network", 1, std::string("LAN"));
  EXPECT_EQ(manager.DeleteValue(kUser, Key(), "Network"), 0);
  EXPECT_EQ(manager.GetRegistryValue(kUser, Key(), "Network", std::string("gone")), RegistryValue(std::string("gone")));
  EXPECT_EQ(manager.DeleteValue(kUser, Key(), "Network"), 2);
}

}  // namespace kelvano::test
