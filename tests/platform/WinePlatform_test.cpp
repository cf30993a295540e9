#include "platform/wine/WinePlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/CodePage.h"
#include "platform/RegistryAccess.h"
#include "platform/wine/WineRegistry.h"
#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using namespace qm::platform;
using namespace qm::platform::wine;

class WinePlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = dir / "prefix";
        ASSERT_TRUE(MiniPrefix::make(prefix, "tester"));
        options.prefix = prefix;
        options.userName = "tester";
        options.workRoot = dir / "work";
    }
    bool open(std::string& error) { return openWinePlatform(options, platform, error); }

    TempDir dir;
    std::string prefix;
    WineOptions options;
    Platform platform;
};

TEST_F(WinePlatformTest, OpensAllFourServicesOverThePrefix) {
    std::string error;
    ASSERT_TRUE(open(error)) << error;
    ASSERT_TRUE(platform.registry && platform.files && platform.system && platform.outlook);
    EXPECT_EQ(platform.files->hostPath("C:\\users\\TESTER"), prefix + "/drive_c/users/tester");
    EXPECT_EQ(platform.system->ExpandEnvironmentStringsA("%UserProfile%"), "C:\\users\\tester");
    // The services share the one registry: what is written is read back.
    KeyHandle key = 0;
    ASSERT_EQ(platform.registry->RegCreateKeyA(RootKey::ClassesRoot, "Outlook.Application\\CurVer", &key), RegStatus::Success);
    const std::string id = "Outlook.Application.14";
    platform.registry->RegSetValueExA(key, "", RegType::Sz, reinterpret_cast<const std::uint8_t*>(id.c_str()),
                                      static_cast<std::uint32_t>(id.size() + 1));
    platform.registry->RegCloseKey(key);
    std::string version;
    ASSERT_TRUE(platform.outlook->outlookVersion(version));
    EXPECT_EQ(version, "14.0");
}

TEST_F(WinePlatformTest, TheEnvironmentNamesThePrefixWhenNoOptionDoes) {
    const char* old = std::getenv("WINEPREFIX");
    std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("WINEPREFIX", prefix.c_str(), 1);
    options.prefix.clear();
    std::string error;
    const bool opened = open(error);
    saved ? setenv("WINEPREFIX", saved->c_str(), 1) : unsetenv("WINEPREFIX");
    ASSERT_TRUE(opened) << error;
    EXPECT_EQ(platform.files->hostPath("C:\\"), prefix + "/drive_c");
}

TEST_F(WinePlatformTest, AFolderThatIsNoPrefixIsNamedInTheError) {
    std::string error;
    options.prefix = dir / "missing";
    EXPECT_FALSE(open(error));
    EXPECT_NE(error.find(dir / "missing"), std::string::npos) << error;

    fs::create_directories(dir / "empty");
    options.prefix = dir / "empty";
    EXPECT_FALSE(open(error));
    EXPECT_NE(error.find("dosdevices"), std::string::npos) << error;

    fs::remove(prefix + "/user.reg");
    options.prefix = prefix;
    EXPECT_FALSE(open(error));
    EXPECT_NE(error.find(prefix), std::string::npos) << error;
    EXPECT_NE(error.find("user.reg"), std::string::npos) << error;
    EXPECT_FALSE(platform.registry);
}

TEST_F(WinePlatformTest, ABrokenRegistryFileIsReportedWithThePrefix) {
    writeHostFile(prefix + "/user.reg", "this is not a registry file\n");
    std::string error;
    EXPECT_FALSE(open(error));
    EXPECT_NE(error.find(prefix), std::string::npos) << error;
    EXPECT_FALSE(platform.files);
}

TEST_F(WinePlatformTest, TheCodePageOptionIsApplied) {
    options.codePage = "1250";
    std::string error;
    ASSERT_TRUE(open(error)) << error;
    EXPECT_EQ(platform.codePage->name(), "1250");
    options.codePage = "no-such-page";
    EXPECT_FALSE(open(error));
    EXPECT_NE(error.find("no-such-page"), std::string::npos) << error;
    options.codePage.clear();
    ASSERT_TRUE(open(error)) << error;
    EXPECT_EQ(platform.codePage->name(), "1252");
}

TEST_F(WinePlatformTest, ThePrefixsOwnCodePageIsTakenUnlessTheOptionNamesAnother) {
    auto setAcp = [&](const std::string& acp) {
        const CodePage cp;
        std::string error;
        auto reg = WineRegistry::open(prefix, false, cp, error);
        ASSERT_TRUE(reg) << error;
        ASSERT_EQ(writeValue(*reg, RootKey::LocalMachine, "System\\CurrentControlSet\\Control\\Nls\\Codepage", "ACP",
                             RegType::Sz, acp + '\0'),
                  RegStatus::Success);
        ASSERT_TRUE(reg->flush(error)) << error;
    };
    setAcp("932");
    std::string error;
    ASSERT_TRUE(open(error)) << error;
    EXPECT_EQ(platform.codePage->name(), "932");
    // Names of the prefix read in it: a user named in Japanese.
    EXPECT_TRUE(platform.codePage->leadBytes().isLead(0x95));
    options.codePage = "1251";
    ASSERT_TRUE(open(error)) << error;
    EXPECT_EQ(platform.codePage->name(), "1251");

    // A code page this program cannot use is said, not replaced by another.
    options.codePage.clear();
    setAcp("65001");
    EXPECT_FALSE(open(error));
    EXPECT_NE(error.find("65001"), std::string::npos) << error;
    EXPECT_NE(error.find("--code-page"), std::string::npos) << error;
}

}  // namespace
}  // namespace qm::test
