#include <algorithm>

#include "contract/RegistryFixture.h"

namespace qm::test {
namespace {

using namespace qm::platform;

const std::string kDemo = "HKEY_CURRENT_USER\\Software\\Demo";

TEST_F(RegistryTest, PathSplittingAndRootKeys) {
    std::string path = "HKEY_LOCAL_MACHINE\\Software\\A\\B";
    EXPECT_EQ(reg->SplitKeyPath(path), RootKey::LocalMachine);
    EXPECT_EQ(path, "Software\\A\\B");
    path = "HKEY_DYN_DATA";
    EXPECT_EQ(reg->SplitKeyPath(path), RootKey::DynData);
    EXPECT_EQ(path, "");
    EXPECT_TRUE(notices().empty());

    // The prefix test is case-sensitive and shows the format message; a
    // wrong-case root passes it and fails silently.
    EXPECT_FALSE(reg->KeyExists("hkey_current_user\\Software"));
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0], "Incorrect Format:\n\nhkey_current_user\\Software");
    EXPECT_FALSE(reg->KeyExists("HKEY_Current_User\\Software"));
    EXPECT_EQ(notices().size(), 1u);

    setValue(kDemo, "x", RegType::Sz, std::string("1\0", 2));
    reg->SetStringValue("HKEY_LOCAL_MACHINE\\Software\\", "v", "t");
    ASSERT_EQ(notices().size(), 2u);
    EXPECT_EQ(notices()[1], "Incorrect Format:\n\nHKEY_LOCAL_MACHINE\\Software\\");
    EXPECT_EQ(reg->GetStringValue("HKEY_LOCAL_MACHINE\\Software", "v"), "Error");

    // A root alone addresses the root key itself.
    EXPECT_TRUE(reg->KeyExists("HKEY_CURRENT_USER"));
    auto roots = reg->EnumSubKeys("HKEY_CURRENT_USER");
    EXPECT_NE(std::find(roots.begin(), roots.end(), "Software"), roots.end());
    EXPECT_EQ(reg->GetStringValue("HKEY_NOWHERE\\x", "v"), "");
    EXPECT_TRUE(reg->EnumSubKeys(kDemo + "\\Missing").empty());
}

TEST_F(RegistryTest, StringValuesReadWriteAndLimits) {
    reg->SetStringValue(kDemo, "v", "never");  // the key does not exist: silent
    EXPECT_EQ(reg->GetStringValue(kDemo, "v"), "Error");

    setValue(kDemo, "seed", RegType::Sz, std::string("\0", 1));
    reg->SetStringValue(kDemo, "empty", "");
    RegType type = RegType::None;
    std::string bytes;
    ASSERT_TRUE(getValue(kDemo, "empty", type, bytes));
    EXPECT_EQ(type, RegType::Sz);
    EXPECT_EQ(bytes.size(), 0u);
    EXPECT_EQ(reg->GetStringValue(kDemo, "empty"), "");

    // Written without a terminator, read back whole.
    reg->SetStringValue(kDemo, "path", "C:\\Mail\\a.pab");
    EXPECT_EQ(reg->GetStringValue(kDemo, "path"), "C:\\Mail\\a.pab");

    setValue(kDemo, "s254", RegType::Sz, std::string(254, 'a') + '\0');
    setValue(kDemo, "s255", RegType::Sz, std::string(255, 'a') + '\0');
    EXPECT_EQ(reg->GetStringValue(kDemo, "s254"), std::string(254, 'a'));
    EXPECT_EQ(reg->GetStringValue(kDemo, "s255"), "Error");
    EXPECT_EQ(reg->GetStringValue(kDemo, "missing"), "Error");

    reg->DeleteValue(kDemo, "path");
    EXPECT_EQ(reg->GetStringValue(kDemo, "path"), "Error");
}

TEST_F(RegistryTest, DeleteKeyTreeRemovesEveryLevelAndIgnoresMissingKeys) {
    for (auto sub : {"\\A\\B\\C", "\\A\\B\\D", "\\A\\E", "\\F"}) setValue(kDemo + sub, "v", RegType::Dword, "1234");
    reg->DeleteKey(kDemo + "\\A");  // still has subkeys: refused silently
    EXPECT_TRUE(reg->KeyExists(kDemo + "\\A\\B\\C"));

    reg->DeleteKeyTree(kDemo + "\\A");
    EXPECT_FALSE(reg->KeyExists(kDemo + "\\A"));
    EXPECT_TRUE(reg->KeyExists(kDemo + "\\F"));
    reg->DeleteKeyTree(kDemo + "\\Missing");
    EXPECT_TRUE(notices().empty());
    EXPECT_EQ(reg->EnumSubKeys(kDemo), std::vector<std::string>{"F"});
}

}  // namespace
}  // namespace qm::test
