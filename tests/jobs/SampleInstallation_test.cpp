// The sample installation: what the program finds in it, that Wine itself
// reads its registry, and that it never removes a folder it did not make.
#include <filesystem>

#include "app/Environment.h"
#include "jobs/ItemsFixture.h"
#include "support/WinePrefixFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

TEST(SampleInstallation, TheProgramFindsOutlookAndEveryItem) {
    struct Case {
        std::string outlook, windows, versionName, enabled, signatures;
    };
    for (const Case& c :
         {Case{"14.0", "6.1", "14.0", "11110111", "C:\\users\\alice\\AppData\\Roaming\\Microsoft\\Signatures"},
          Case{"11.0", "6.1", "11.0", "11111111", "C:\\users\\alice\\AppData\\Roaming\\Microsoft\\Signatures"},
          Case{"12.0", "5.1", "12.0", "11110111", "C:\\users\\alice\\Application Data\\Microsoft\\Signatures"}}) {
        auto o = sampleOptions("alice", c.outlook, "Work");
        o.windows = c.windows;
        Installation in(o, Backend::WinePrefix);
        ASSERT_TRUE(in.ok()) << in.error;
        const auto& st = in.s().state;
        EXPECT_EQ(st.OutlookVersion, c.versionName);
        EXPECT_EQ(st.WindowsVersion, c.windows);
        EXPECT_EQ(st.UserProfileFolder, "C:\\users\\alice");
        EXPECT_EQ(st.ProfileNames, (std::vector<std::string>{"Outlook", "Work"}));
        EXPECT_EQ(st.SignaturesFolder, c.signatures);
        EXPECT_EQ(in.availablePattern(), c.enabled) << c.outlook;
        for (const auto& data : in.profile(0).dataFiles) {
            const std::string bytes = in.readFile(data);
            ASSERT_GE(bytes.size(), 100u * 1024) << data;
            EXPECT_EQ(bytes.substr(0, 4), "!BDN");
            EXPECT_EQ(bytes.substr(8, 2), "SM");
        }
    }
}

TEST(SampleInstallation, OnlyASampleMadeBeforeIsReplaced) {
    TempDir dir;
    sample::SampleOptions o;
    o.prefix = dir / "p";
    std::string error;
    ASSERT_TRUE(sample::buildSampleInstallation(o, error)) << error;
    EXPECT_FALSE(sample::buildSampleInstallation(o, error)) << "made over itself without --force";
    o.force = true;
    o.user = "bob";
    ASSERT_TRUE(sample::buildSampleInstallation(o, error)) << error;
    EXPECT_FALSE(fs::exists(dir / "p/drive_c/users/alice"));
    EXPECT_TRUE(fs::exists(dir / "p/drive_c/users/bob"));

    // Somebody's folder (say a real prefix) stays, even with --force.
    fs::create_directories(dir / "mine");
    writeHostFile(dir / "mine/user.reg", "WINE REGISTRY Version 2\n");
    o.prefix = dir / "mine";
    EXPECT_FALSE(sample::buildSampleInstallation(o, error));
    EXPECT_NE(error.find("not made by this tool"), std::string::npos) << error;
    EXPECT_EQ(readHostFile(dir / "mine/user.reg"), "WINE REGISTRY Version 2\n");

    for (auto bad : {std::make_pair("--outlook", "13.0"), std::make_pair("--user", "a\\b")}) {
        sample::SampleOptions b;
        b.prefix = dir / "other";
        (std::string(bad.first) == "--outlook" ? b.outlook : b.user) = bad.second;
        EXPECT_FALSE(sample::buildSampleInstallation(b, error)) << bad.second;
        EXPECT_FALSE(fs::exists(dir / "other")) << bad.second;
    }
}

// Wine completes the prefix on first use (wineboot) and keeps our keys.
class SampleInWine : public WinePrefixTest {
protected:
    void SetUp() override {
        if (wineVersion().empty()) GTEST_SKIP() << "wine is not installed: the sample is not tried in Wine";
        prefix = dir / "prefix";
        sample::SampleOptions o;
        o.prefix = prefix;
        o.outlook = "14.0";
        o.secondProfile = "Work";
        std::string error;
        ASSERT_TRUE(sample::buildSampleInstallation(o, error)) << error;
    }
};

TEST_F(SampleInWine, WineReadsTheProfilesAndTheOutlookRegistration) {
    std::string out;
    ASSERT_EQ(wine("reg query \"HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging "
                   "Subsystem\\Profiles\" /s",
                   &out),
              0)
        << out;
    EXPECT_NE(out.find("Profiles\\Outlook\\0a0d020000000000c000000000000046"), std::string::npos) << out;
    EXPECT_NE(out.find("Profiles\\Work"), std::string::npos);
    EXPECT_NE(out.find("01020fff    REG_BINARY"), std::string::npos);
    EXPECT_NE(out.find("Profiles\\Outlook\\9375CFF0413111d3B88A00104B2A6676\\00000001"), std::string::npos);

    ASSERT_EQ(wine("reg query \"HKCR\\Outlook.Application\\CurVer\"", &out), 0) << out;
    EXPECT_NE(out.find("Outlook.Application.14"), std::string::npos) << out;
}

}  // namespace
}  // namespace qm::test
