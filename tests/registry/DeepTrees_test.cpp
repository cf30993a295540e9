// Key trees far deeper than Windows allows (a damaged or hostile prefix):
// exported and imported only as deep as Windows keeps them, deleted at any
// depth, and never at the cost of the stack.
#include <gtest/gtest.h>

#include "platform/memory/MemoryPlatform.h"
#include "registry/ModReg.h"

namespace qm::test {
namespace {

using namespace qm::platform;

const std::string kDeep = "HKEY_CURRENT_USER\\Software\\Deep";
const std::string kCopy = "HKEY_CURRENT_USER\\Software\\Copy";

class DeepTrees : public ::testing::Test {
protected:
    // Software\Deep\k\k\...: `levels` keys below Deep, a value at the bottom.
    void makeChain(const std::string& under, std::size_t levels) {
        std::string sub = under.substr(std::string("HKEY_CURRENT_USER\\").size());
        for (std::size_t i = 0; i < levels; ++i) sub += "\\k";
        KeyHandle key = 0;
        ASSERT_EQ(platform.registry->RegCreateKeyA(RootKey::CurrentUser, sub, &key), RegStatus::Success);
        const std::uint8_t one[4] = {1, 0, 0, 0};
        ASSERT_EQ(platform.registry->RegSetValueExA(key, "bottom", RegType::Dword, one, 4), RegStatus::Success);
        platform.registry->RegCloseKey(key);
    }
    std::string file(const std::string& name) const {
        std::string bytes;
        platform.files->readFile("C:\\" + name, bytes);
        return bytes;
    }
    static std::string chainText(std::size_t levels) {
        std::string text = "\\\r\n";
        std::string header;
        for (std::size_t i = 0; i < levels; ++i) {
            header += "\\k";
            text += header + "\r\n";
        }
        return text + "\"bottom\"= dw:1\r\n";
    }

    Platform platform;
    memory::MemoryInstallation mem = memory::openMemoryPlatform(platform);
    registry::ModReg reg{*platform.registry, *platform.files, "C:\\"};
};

TEST_F(DeepTrees, AsDeepAsWindowsGoesExportsAndComesBack) {
    makeChain(kDeep, registry::kMaxKeyDepth);
    ASSERT_TRUE(reg.ExportKey(kDeep, "", "C:\\deep.txt"));
    EXPECT_EQ(file("deep.txt"), chainText(registry::kMaxKeyDepth));
    ASSERT_TRUE(reg.ImportKey(kCopy, "C:\\deep.txt"));
    ASSERT_TRUE(reg.ExportKey(kCopy, "", "C:\\copy.txt"));
    EXPECT_EQ(file("copy.txt"), file("deep.txt"));
    EXPECT_TRUE(reg.takeNotices().empty());
}

TEST_F(DeepTrees, ADeeperTreeIsRefusedWithANotice) {
    // Deep enough to overflow the stack of a recursive export.
    makeChain(kDeep, 20000);
    EXPECT_FALSE(reg.ExportKey(kDeep, "", "C:\\deep.txt"));
    const auto notices = reg.takeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("more than 512 levels"), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find(kDeep), std::string::npos) << notices[0];

    // A file that nests one level too deep changes nothing.
    makeChain(kCopy, 2);
    platform.files->writeFile("C:\\deeper.txt", chainText(registry::kMaxKeyDepth + 1));
    EXPECT_FALSE(reg.ImportKey(kCopy, "C:\\deeper.txt"));
    EXPECT_EQ(reg.takeNotices().size(), 1u);
    EXPECT_TRUE(reg.KeyExists(kCopy + "\\k\\k"));
    EXPECT_FALSE(reg.KeyExists(kCopy + "\\k\\k\\k"));
}

TEST_F(DeepTrees, AnImportReplacesATreeOfAnyDepth) {
    // The tree an import replaces is deleted key by key, whatever its depth.
    makeChain(kCopy, 100000);
    platform.files->writeFile("C:\\small.txt", chainText(1));
    ASSERT_TRUE(reg.ImportKey(kCopy, "C:\\small.txt"));
    EXPECT_EQ(reg.EnumSubKeys(kCopy), std::vector<std::string>{"k"});
    EXPECT_TRUE(reg.EnumSubKeys(kCopy + "\\k").empty());
    EXPECT_EQ(reg.GetStringValue(kCopy, "missing"), "Error");
    EXPECT_TRUE(reg.DeleteKeyTree(kCopy));
    EXPECT_FALSE(reg.KeyExists(kCopy));
}

TEST_F(DeepTrees, AnInstallationHoldingADeepTreeClosesCleanly) {
    // Destroying the tree in memory must not recurse once per level either.
    makeChain(kDeep, 400000);
    EXPECT_TRUE(reg.KeyExists(kDeep + "\\k\\k\\k"));
}

}  // namespace
}  // namespace qm::test
