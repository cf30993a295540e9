// The console program on prefixes as users have them: made by wineboot,
// with an Outlook 2003 profile that Wine's own reg.exe wrote (in the Latin
// and in the Japanese code page), with Wine programs running in it, and
// without a Z: drive.
#include <filesystem>

#include "app/Session.h"
#include "app/Startup.h"
#include "platform/OpenPlatform.h"
#include "support/SampleFixture.h"
#include "support/WinePrefixFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

const std::string kProfiles =
    "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";

struct Ran {
    int status = -1;
    std::string out, err;
};

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", c);
        out += two;
    }
    return out;
}

// How Outlook 2003 left its profile: the names in the prefix's code page.
struct Outlook2003 {
    const char* locale;   // the Wine programs' locale, which makes Wine's code page
    const char* profile;  // UTF-8
    const char* dataFile;
};

class RealPrefix : public WinePrefixTest {
protected:
    void SetUp() override {
        WinePrefixTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const auto& e : fs::directory_iterator(prefix + "/drive_c/users"))
            if (e.path().filename() != "Public") user = e.path().filename().string();
        ASSERT_FALSE(user.empty());
        home = prefix + "/drive_c/users/" + user;
        state = dir / "state";
        fs::create_directories(state);
    }

    // `wine <args>` in the locale given; `output` gets what it printed on
    // standard output (Wine's own notes go to standard error).
    int wineIn(const std::string& locale, const std::string& args, std::string* output = nullptr) const {
        const std::string file = dir / "wine-out.txt";
        int status = 0;
        capture(env() + "LC_ALL=" + locale + " wine " + args + " </dev/null >" + shq(file) + " 2>/dev/null", &status);
        if (output) *output = readHostFile(file);
        return status;
    }

    Ran run(const std::string& arguments) const {
        Ran ran;
        const std::string err = dir / "stderr.txt";
        ran.out = capture("env -u DISPLAY -u WAYLAND_DISPLAY WINEDEBUG=-all XDG_STATE_HOME=" + shq(state) + " " +
                              shq(binaryPath()) + " --prefix " + shq(prefix) + " --user " + shq(user) + " " +
                              arguments + " </dev/null 2>" + shq(err),
                          &ran.status);
        ran.err = readHostFile(err);
        return ran;
    }

    // An Outlook 2003 profile with something in every item, its registry
    // written by reg.exe (a 32-bit Outlook registers in the 32-bit view).
    void addOutlook2003(const Outlook2003& o) {
        platform::CodePage cp;
        ASSERT_TRUE(cp.select(std::string(o.locale).rfind("ja", 0) == 0 ? "932" : "1252"));
        const std::string local = "C:\\users\\" + user + "\\AppData\\Local\\Microsoft\\Outlook";
        const std::string data = local + "\\" + cp.fromUtf8(o.dataFile);
        const std::string profile = kProfiles + "\\" + o.profile;
        const std::vector<std::string> adds = {
            "'" + kProfiles + "' /v DefaultProfile /d '" + o.profile + "'",
            "'" + profile + "\\0a0d020000000000c000000000000046' /v 1102039b /t REG_BINARY /d 0100",
            "'" + profile + "\\0a0d020000000000c000000000000046' /v 001e023d /t REG_BINARY /d " +
                hex(std::string(o.profile) + '\0'),
            "'" + profile + "\\8a4e1c2b93d64f0e9a5b7c6d5e4f3a21' /v 01020fff /t REG_BINARY /d " +
                hex(sample::pstStoreEntryId(data, false, cp)),
            "'" + profile + "\\8a4e1c2b93d64f0e9a5b7c6d5e4f3a21' /v 001e6700 /t REG_BINARY /d " + hex(data + '\0'),
            "'" + profile + "\\5b3c2d1e0f9a8b7c6d5e4f3a2b1c0d9e' /v 001e6600 /d '" + cp.toUtf8(local) +
                "\\Contacts.pab'",
            "'HKCU\\Software\\Microsoft\\Office\\Outlook\\OMI Account Manager\\Accounts\\00000001' "
            "/v 'SMTP Email Address' /d someone@example.org",
            "'HKCU\\Software\\Microsoft\\Office\\11.0\\Outlook\\Options\\Mail' /v 'Send Mail Immediately' "
            "/t REG_DWORD /d 1",
            "'HKCR\\Outlook.Application\\CurVer' /ve /d Outlook.Application.11 /reg:32",
            "'HKLM\\Software\\Microsoft\\Office\\11.0\\Outlook\\InstallRoot' /v Path "
            "/d 'C:\\Program Files (x86)\\Microsoft Office\\OFFICE11\\' /reg:32",
        };
        startServer();
        for (const auto& add : adds) {
            std::string said;
            ASSERT_EQ(wineIn(o.locale, "reg add " + add + " /f", &said), 0) << add << "\n" << said;
        }
        stopServer();  // the server writes the registry files as it ends

        const std::string roaming = home + "/AppData/Roaming/Microsoft";
        dataBytes = "!BDN Outlook 2003 data file of " + std::string(o.profile) + "\r\n";
        writeAt(home + "/AppData/Local/Microsoft/Outlook/" + o.dataFile, dataBytes);
        writeAt(home + "/AppData/Local/Microsoft/Outlook/Contacts.pab", "!BDN address book\r\n");
        writeAt(roaming + "/Outlook/" + o.profile + ".RWZ", "rules\r\n");
        writeAt(roaming + "/Outlook/outcmd.dat", "commands\r\n");
        writeAt(roaming + "/Signatures/Mine.htm", "<p>signature</p>\r\n");
        writeAt(roaming + "/Stationery/Memo.htm", "<p>memo</p>\r\n");
        writeAt(roaming + "/Templates/Normal.dot", "template\r\n");
    }
    static void writeAt(const std::string& host, const std::string& bytes) {
        fs::create_directories(fs::path(host).parent_path());
        writeHostFile(host, bytes);
    }

    // The data-file path the profile's store names now, read as the
    // program reads it.
    std::string storedPath(const std::string& profileUtf8) {
        platform::Platform platform;
        platform::PlatformOptions options;
        options.prefix = prefix;
        options.userName = user;
        options.workRoot = state;
        std::string error;
        EXPECT_TRUE(platform::openPlatform(options, platform, error)) << error;
        app::Session s(platform);
        const std::string key =
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
            "Windows Messaging Subsystem\\Profiles\\" +
            platform.codePage->fromUtf8(profileUtf8) + "\\8a4e1c2b93d64f0e9a5b7c6d5e4f3a21";
        return platform.codePage->toUtf8(s.reg.ReadAnsiPathFromBinaryValue(key, "01020fff"));
    }
    std::string registryFiles() const {
        return readHostFile(prefix + "/user.reg") + readHostFile(prefix + "/system.reg");
    }

    std::string user, home, state, dataBytes;
};

class RealPrefixOutlook2003 : public RealPrefix, public ::testing::WithParamInterface<Outlook2003> {};

TEST_P(RealPrefixOutlook2003, EveryItemBacksUpAndTheRestoredDataFileOpensUnderWine) {
    const Outlook2003 o = GetParam();
    // Wine takes a locale's character set from the C library (tools/install-deps makes it).
    int missing = 0;
    if (std::string(o.locale) != "C.UTF-8")
        capture("locale -a | grep -qi '^" + std::string(o.locale).substr(0, 5) + "\\.utf-\\?8$'", &missing);
    if (missing) GTEST_SKIP() << o.locale << " is not installed";
    addOutlook2003(o);
    const std::string archive = dir / "b.qmk";
    Ran ran = run("--backup " + shq(archive) + " --profile " + shq(o.profile) + " --items 11111111");
    EXPECT_EQ(ran.status, 0) << ran.out << ran.err;
    EXPECT_EQ(ran.out.find("Fail!"), std::string::npos) << ran.out;
    // Reading the prefix made nothing in it.
    for (const char* junction : {"/Application Data", "/Local Settings"}) EXPECT_FALSE(fs::exists(home + junction));

    fs::remove(home + "/AppData/Local/Microsoft/Outlook/" + o.dataFile);
    ran = run("--restore " + shq(archive) + " --profile " + shq(o.profile) + " --yes");
    EXPECT_EQ(ran.status, 0) << ran.out << ran.err;
    const std::string path = storedPath(o.profile);
    EXPECT_EQ(path, "C:\\users\\" + user + "\\Local Settings\\Application Data\\Microsoft\\Outlook\\" + o.dataFile);
    // Outlook under Wine opens the file by that path.
    std::string typed;
    EXPECT_EQ(wineIn(o.locale, "cmd /c type " + shq(path), &typed), 0) << typed;
    EXPECT_EQ(typed, dataBytes);
}

INSTANTIATE_TEST_SUITE_P(Locales, RealPrefixOutlook2003,
                         ::testing::Values(Outlook2003{"C.UTF-8", "Outlook", "Outlook.pst"},
                                           Outlook2003{"ja_JP.UTF-8", "予定表", "予定表.pst"}),
                         [](const auto& test) {
                             return std::string(test.param.locale).rfind("ja", 0) == 0 ? "Japanese" : "Latin";
                         });

TEST_F(RealPrefix, WithWineProgramsRunningABackupGoesOnAndSaysSoAndARestoreRefuses) {
    addOutlook2003({"C.UTF-8", "Outlook", "Outlook.pst"});
    const std::string archive = dir / "b.qmk";
    startServer();
    Ran ran = run("--backup " + shq(archive) + " --profile Outlook --items 11111111");
    EXPECT_EQ(ran.status, 0) << ran.err;
    for (const char* said : {"Wine programs are running", "up to 30 s old", "data files may be changing",
                             "close Outlook for a consistent backup"})
        EXPECT_NE(ran.err.find(said), std::string::npos) << said << "\n" << ran.err;
    ASSERT_TRUE(fs::exists(archive));

    const std::string before = registryFiles();
    ran = run("--restore " + shq(archive) + " --profile Outlook --yes");
    EXPECT_NE(ran.status, 0) << ran.out;
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_NE(ran.err.find("The Wine prefix"), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("wineserver -k"), std::string::npos) << ran.err;
    EXPECT_TRUE(registryFiles() == before);
    stopServer();
}

// No Wine needed: a prefix made as wineboot makes one, its Z: drive taken away.
class NoDriveZ : public SampleTest {};

TEST_F(NoDriveZ, APrefixWithoutZBacksUpAndLists) {
    sample::SampleOptions o;
    o.stock = true;
    o.outlook = "11.0";
    Installation& in = install("noz", o, Backend::WinePrefix);
    fs::remove(in.made.prefix + "/dosdevices/z:");
    const std::string archive = dir / "noz.qmk";
    int status = -1;
    const std::string err = dir / "err.txt";
    capture(quillmark(in, "--backup " + shq(archive) + " --profile Outlook --items 11111111 2>" + shq(err)), &status);
    EXPECT_EQ(status, 0) << readHostFile(err);
    ASSERT_TRUE(fs::exists(archive)) << readHostFile(err);
    const std::string listing = capture(quillmark(in, "--list " + shq(archive) + " 2>" + shq(err)), &status);
    EXPECT_EQ(status, 0) << readHostFile(err);
    EXPECT_NE(listing.find("Outlook.pst"), std::string::npos) << listing;
    EXPECT_NE(listing.find("BackupItem=1111111111"), std::string::npos) << listing;
    // The runs' work folders were reached and left clean.
    EXPECT_TRUE(hostFiles(in.workRoot + "/quillmark").empty());
}

}  // namespace
}  // namespace qm::test
