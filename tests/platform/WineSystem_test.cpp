#include "platform/wine/WineSystem.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>

#include "platform/wine/WineOutlookProbe.h"
#include "platform/wine/WineRegistry.h"
#include "support/MiniPrefix.h"
#include "support/TempDir.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using namespace qm::platform;
using namespace qm::platform::wine;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class WineSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = dir / "prefix";
        ASSERT_TRUE(MiniPrefix::make(prefix, "tester"));
        std::string error;
        registry = WineRegistry::open(prefix, false, testCodePage(), error);
        ASSERT_TRUE(registry) << error;
        files = std::make_unique<WineFileSystem>(WinePrefix(prefix), testCodePage());
        system = make("tester", dir / "work", dir / "program");
    }
    std::unique_ptr<WineSystem> make(const std::string& user, const std::string& work, const std::string& program) {
        return std::make_unique<WineSystem>(*registry, *files, user, work, program);
    }
    void setString(KeyHandle root, const std::string& sub, const std::string& name, const std::string& value) {
        KeyHandle key = 0;
        ASSERT_EQ(registry->RegCreateKeyA(root, sub, &key), RegStatus::Success);
        const std::string data = value + '\0';
        ASSERT_EQ(registry->RegSetValueExA(key, name, RegType::Sz, reinterpret_cast<const std::uint8_t*>(data.data()),
                                           static_cast<std::uint32_t>(data.size())),
                  RegStatus::Success);
        registry->RegCloseKey(key);
    }
    void setDword(const std::string& name, std::uint32_t value) {
        KeyHandle key = 0;
        ASSERT_EQ(registry->RegCreateKeyA(RootKey::LocalMachine, kVersionKey, &key), RegStatus::Success);
        const std::uint8_t data[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        ASSERT_EQ(registry->RegSetValueExA(key, name, RegType::Dword, data, 4), RegStatus::Success);
        registry->RegCloseKey(key);
    }
    OsVersion version() const {
        OsVersion v;
        EXPECT_TRUE(system->GetVersionExA(v));
        return v;
    }
    static std::string zPath(const std::string& host) {
        std::string p = "Z:" + host;
        for (auto& ch : p)
            if (ch == '/') ch = '\\';
        return p;
    }

    static constexpr const char* kVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
    TempDir dir;
    std::string prefix;
    std::unique_ptr<WineRegistry> registry;
    std::unique_ptr<WineFileSystem> files;
    std::unique_ptr<WineSystem> system;
};

TEST(WineComputerName, FirstLabelInCapitalsCutToFifteen) {
    EXPECT_EQ(WineSystem::computerNameFor("averyveryverylonghostname.example.com"), "AVERYVERYVERYLO");
    EXPECT_EQ(WineSystem::computerNameFor("my-box.local"), "MY-BOX");
    EXPECT_EQ(WineSystem::computerNameFor("vm"), "VM");
}

TEST_F(WineSystemTest, NamesAndFoldersAsWineReportsThem) {
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string name = "unchanged";
    ASSERT_TRUE(system->GetComputerNameA(name));
    EXPECT_EQ(name, WineSystem::computerNameFor(host));

    ASSERT_TRUE(system->GetUserNameA(name));
    EXPECT_EQ(name, "tester");
    {
        ScopedEnv user("USER", "alice");
        ASSERT_TRUE(make("", dir / "work", "")->GetUserNameA(name));
        EXPECT_EQ(name, "alice");
    }
    ASSERT_TRUE(system->GetWindowsDirectoryA(name));
    EXPECT_EQ(name, "C:\\windows");
    EXPECT_EQ(system->processId(), static_cast<std::uint32_t>(getpid()));
}

TEST_F(WineSystemTest, VersionComesFromThePrefixRegistry) {
    // A prefix without the values: what a fresh one says.
    OsVersion v = version();
    EXPECT_EQ(v.major, 6u);
    EXPECT_EQ(v.minor, 1u);
    EXPECT_EQ(v.build, 7601u);

    setString(RootKey::LocalMachine, kVersionKey, "CurrentVersion", "5.1");
    setString(RootKey::LocalMachine, kVersionKey, "CurrentBuildNumber", "2600");
    v = version();
    EXPECT_EQ(v.major, 5u);
    EXPECT_EQ(v.minor, 1u);
    EXPECT_EQ(v.build, 2600u);

    setString(RootKey::LocalMachine, kVersionKey, "CurrentVersion", "6.0");
    setString(RootKey::LocalMachine, kVersionKey, "CurrentBuildNumber", "6002");
    v = version();
    EXPECT_EQ(v.major * 100 + v.minor, 600u);
    EXPECT_EQ(v.build, 6002u);

    // The number values, where present, win over the text.
    setDword("CurrentMajorVersionNumber", 5);
    setDword("CurrentMinorVersionNumber", 2);
    v = version();
    EXPECT_EQ(v.major * 100 + v.minor, 502u);
}

TEST_F(WineSystemTest, NewerWindowsReadsAsWindows8ToAProgramWithoutAManifest) {
    setDword("CurrentMajorVersionNumber", 10);
    setDword("CurrentMinorVersionNumber", 0);
    setString(RootKey::LocalMachine, kVersionKey, "CurrentVersion", "6.3");
    setString(RootKey::LocalMachine, kVersionKey, "CurrentBuildNumber", "19045");
    OsVersion v = version();
    EXPECT_EQ(v.major, 6u);
    EXPECT_EQ(v.minor, 2u);
    EXPECT_EQ(v.build, 9200u);
}

TEST_F(WineSystemTest, VersionChosenInWinecfgWins) {
    setString(RootKey::LocalMachine, kVersionKey, "CurrentVersion", "6.1");
    setString(RootKey::CurrentUser, "Software\\Wine", "Version", "winxp");
    OsVersion v = version();
    EXPECT_EQ(v.major * 100 + v.minor, 501u);
    EXPECT_EQ(v.build, 2600u);
    setString(RootKey::CurrentUser, "Software\\Wine\\AppDefaults\\quillmark.exe", "Version", "vista");
    EXPECT_EQ(version().major * 100 + version().minor, 600u);
    // A name Wine does not know is passed over.
    setString(RootKey::CurrentUser, "Software\\Wine\\AppDefaults\\quillmark.exe", "Version", "win31");
    EXPECT_EQ(version().major * 100 + version().minor, 501u);
}

TEST_F(WineSystemTest, MalformedVersionTextFallsBackToWindows7) {
    setString(RootKey::LocalMachine, kVersionKey, "CurrentVersion", "seven");
    OsVersion v = version();
    EXPECT_EQ(v.major * 100 + v.minor, 601u);
    EXPECT_EQ(v.build, 7601u);
}

TEST_F(WineSystemTest, EnvironmentStringsExpandLikeWine) {
    EXPECT_EQ(system->ExpandEnvironmentStringsA("%UserProfile%"), "C:\\users\\tester");
    EXPECT_EQ(system->ExpandEnvironmentStringsA("%USERPROFILE%\\AppData"), "C:\\users\\tester\\AppData");
    EXPECT_EQ(system->ExpandEnvironmentStringsA("%appdata%|%LocalAppData%|%temp%|%USERNAME%"),
              "C:\\users\\tester\\AppData\\Roaming|C:\\users\\tester\\AppData\\Local|C:\\users\\tester\\Temp|tester");
    EXPECT_EQ(system->ExpandEnvironmentStringsA("%SystemRoot%;%windir%;%ProgramFiles%;%ALLUSERSPROFILE%;%ProgramData%"),
              "C:\\windows;C:\\windows;C:\\Program Files;C:\\ProgramData;C:\\ProgramData");
    std::string computer;
    ASSERT_TRUE(system->GetComputerNameA(computer));
    EXPECT_EQ(system->ExpandEnvironmentStringsA("%ComputerName%"), computer);
    // What is not a known variable is copied as written.
    EXPECT_EQ(system->ExpandEnvironmentStringsA("%NOPE%\\x"), "%NOPE%\\x");
    EXPECT_EQ(system->ExpandEnvironmentStringsA("%NOPE%USERNAME%"), "%NOPE%USERNAME%");
    EXPECT_EQ(system->ExpandEnvironmentStringsA("100% sure"), "100% sure");
    EXPECT_EQ(system->ExpandEnvironmentStringsA("%%"), "%%");
    EXPECT_EQ(system->ExpandEnvironmentStringsA(""), "");
    EXPECT_EQ(system->ExpandEnvironmentStringsA("a%USERNAME%%USERNAME%b"), "atestertesterb");
}

TEST_F(WineSystemTest, UserNamesAreAnsiInsideAndUtf8Outside) {
    auto s = make("j\xC3\xBCrgen", dir / "work", "");
    std::string name;
    ASSERT_TRUE(s->GetUserNameA(name));
    EXPECT_EQ(name, "j\xFCrgen");
    EXPECT_EQ(s->ExpandEnvironmentStringsA("%UserProfile%"), "C:\\users\\j\xFCrgen");
}

TEST_F(WineSystemTest, ProgramFolderIsAWindowsPath) {
    EXPECT_EQ(system->programFolder(), zPath(dir / "program"));
    EXPECT_EQ(make("tester", "", prefix + "/drive_c/Program Files/Quillmark")->programFolder(),
              "C:\\Program Files\\Quillmark");
    // By default the folder of the running executable.
    const std::string exe = fs::read_symlink("/proc/self/exe").parent_path().string();
    EXPECT_EQ(make("tester", "", "")->programFolder(), files->windowsPath(exe));
}

TEST_F(WineSystemTest, WorkFolderRootIsMadeOnFirstUse) {
    auto s = make("tester", dir / "deep/er/state", "");
    EXPECT_FALSE(fs::exists(dir / "deep"));
    EXPECT_EQ(s->workFolderRoot(), zPath(dir / "deep/er/state"));
    EXPECT_TRUE(fs::is_directory(dir / "deep/er/state"));
    {
        ScopedEnv state("XDG_STATE_HOME", (dir / "xdg").c_str());
        EXPECT_EQ(make("tester", "", "")->workFolderRoot(), zPath(dir / "xdg/quillmark"));
        EXPECT_TRUE(fs::is_directory(dir / "xdg/quillmark"));
    }
    {
        ScopedEnv state("XDG_STATE_HOME", nullptr);
        ScopedEnv home("HOME", (dir / "home").c_str());
        EXPECT_EQ(make("tester", "", "")->workFolderRoot(), zPath(dir / "home/.local/state/quillmark"));
        EXPECT_TRUE(fs::is_directory(dir / "home/.local/state/quillmark"));
    }
}

TEST(WineTimeText, ShortDateAndLongTimeOfTheUnitedStates) {
    struct tm t {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 3;
    t.tm_min = 4;
    t.tm_sec = 5;
    EXPECT_EQ(WineSystem::formatTime(t), "12/8/2026 3:04:05 AM");
    t.tm_hour = 0;
    EXPECT_EQ(WineSystem::formatTime(t), "12/8/2026 12:04:05 AM");
    t.tm_hour = 12;
    EXPECT_EQ(WineSystem::formatTime(t), "12/8/2026 12:04:05 PM");
    t.tm_mon = 0;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 9;
    EXPECT_EQ(WineSystem::formatTime(t), "1/31/2026 11:59:09 PM");
}

TEST_F(WineSystemTest, NowTextHasTheSameForm) {
    EXPECT_TRUE(std::regex_match(system->nowText(), std::regex(R"(\d{1,2}/\d{1,2}/\d{4} \d{1,2}:\d\d:\d\d [AP]M)")))
        << system->nowText();
}

// ---- Outlook ----------------------------------------------------------------------

TEST_F(WineSystemTest, OutlookVersionFromItsRegisteredClass) {
    WineOutlookProbe probe(*registry);
    std::string text = "kept";
    EXPECT_FALSE(probe.outlookVersion(text));
    EXPECT_EQ(text, "kept");

    // A 32-bit Outlook's installer writes it in the 32-bit view of a 64-bit prefix.
    setString(RootKey::LocalMachine, "Software\\Classes\\Wow6432Node\\Outlook.Application\\CurVer", "",
              "Outlook.Application.11");
    ASSERT_TRUE(probe.outlookVersion(text));
    EXPECT_EQ(text, "11.0");
    setString(RootKey::LocalMachine, "Software\\Classes\\Outlook.Application\\CurVer", "", "Outlook.Application.14");
    ASSERT_TRUE(probe.outlookVersion(text));
    EXPECT_EQ(text, "14.0");
    // A registration for the user alone comes first, as in HKEY_CLASSES_ROOT.
    setString(RootKey::CurrentUser, "Software\\Classes\\Outlook.Application\\CurVer", "", "Outlook.Application.12");
    ASSERT_TRUE(probe.outlookVersion(text));
    EXPECT_EQ(text, "12.0");
}

TEST(WineOutlookProgId, NumberAfterTheLastPoint) {
    std::string text;
    EXPECT_TRUE(WineOutlookProbe::versionFromProgId("Outlook.Application.9", text));
    EXPECT_EQ(text, "9.0");
    EXPECT_FALSE(WineOutlookProbe::versionFromProgId("Outlook.Application", text));
    EXPECT_FALSE(WineOutlookProbe::versionFromProgId("Outlook.Application.", text));
    EXPECT_FALSE(WineOutlookProbe::versionFromProgId("Outlook", text));
    EXPECT_FALSE(WineOutlookProbe::versionFromProgId("", text));
    EXPECT_EQ(text, "9.0");
}

}  // namespace
}  // namespace qm::test
