// The console program on a prefix made by wineboot that holds Outlook 2016
// as Click-to-Run and Outlook lay it out (a 32-bit Office in the 64-bit
// prefix, Microsoft 365's products): a profile with a data file named by
// 001f6700, an IMAP account's offline cache and UTF-16 account names, an
// Exchange profile with only its cache, and a profile Wine's own reg.exe
// wrote and made the default. Every item backs up and restores, the cache
// is named and not stored, a signature's pictures come back, and profiles
// of Outlook 2003 and 2010 restored into it land under its profiles key,
// where Wine's reg.exe reads them.
#include <cctype>
#include <filesystem>

#include "base/WinPath.h"
#include "platform/OpenPlatform.h"
#include "support/SampleFixture.h"
#include "support/WinePrefixFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

const std::string kProfiles16 = "HKCU\\Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles";

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", c);
        out += two;
    }
    return out;
}

std::string bareName(const std::string& path) { return base::bareName(path, base::singleByte()); }

struct Ran {
    int status = -1;
    std::string out, err;
};

class RealPrefixOutlook2016 : public WinePrefixTest {
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

        // Outlook 2016's profiles and files, written into the prefix's own
        // registry files and folders.
        platform::Platform platform;
        platform::PlatformOptions options;
        options.prefix = prefix;
        options.userName = user;
        options.workRoot = state;
        std::string error;
        ASSERT_TRUE(platform::openPlatform(options, platform, error)) << error;
        sample::SampleOptions o;
        o.stock = true;
        o.outlook = "16.0";
        o.user = user;
        o.secondProfile = "Work";
        o.codePage = platform.codePage->name();
        ASSERT_TRUE(sample::buildSample(o, platform, made, error)) << error;
    }

    Ran run(const std::string& prefixDir, const std::string& userName, const std::string& arguments) const {
        Ran ran;
        const std::string err = dir / "stderr.txt";
        ran.out = capture("env -u DISPLAY -u WAYLAND_DISPLAY WINEDEBUG=-all XDG_STATE_HOME=" + shq(state) + " " +
                              shq(binaryPath()) + " --prefix " + shq(prefixDir) + " --user " + shq(userName) + " " +
                              arguments + " </dev/null 2>" + shq(err),
                          &ran.status);
        ran.err = readHostFile(err);
        return ran;
    }
    Ran run(const std::string& arguments) const { return run(prefix, user, arguments); }

    // What Wine's reg.exe says a REG_BINARY value holds (hex), or "" when it
    // finds none.
    std::string query(const std::string& key, const std::string& value) const {
        std::string said;
        if (wine("reg query " + shq(key) + " /v " + shq(value), &said) != 0) return {};
        const auto type = said.find("REG_BINARY");
        if (type == std::string::npos) return {};
        std::string digits;
        for (std::size_t i = type + 10; i < said.size() && said[i] != '\n'; ++i)
            if (std::isxdigit(static_cast<unsigned char>(said[i]))) digits += static_cast<char>(std::toupper(said[i]));
        return digits;
    }
    bool keyThere(const std::string& key) const { return wine("reg query " + shq(key), nullptr) == 0; }

    // The host file behind a Windows path of the prefix.
    std::string hostOf(const std::string& windowsPath) const { return sample::sampleHostPath(prefix, windowsPath); }

    // An installation of an older Outlook in a sample prefix of its own
    // (no Wine needed), backed up whole by the program.
    std::string oldBackup(const std::string& version, sample::SampleInstallation& old) {
        sample::SampleOptions o;
        o.outlook = version;
        o.user = "carol";
        o.prefix = dir / ("p" + version.substr(0, 2));
        std::string error;
        EXPECT_TRUE(sample::buildSampleInstallation(o, old, error)) << error;
        const std::string archive = dir / ("old" + version.substr(0, 2) + ".qmk");
        const Ran ran = run(
            o.prefix, "carol",
            "--backup " + shq(archive) + " --profile Outlook --items " + (version == "11.0" ? "11111111" : "11110111"));
        EXPECT_EQ(ran.status, 0) << ran.out << ran.err;
        return archive;
    }

    std::string user, home, state;
    sample::SampleInstallation made;
};

TEST_F(RealPrefixOutlook2016, EveryItemBacksUpAndRestoresAndRegExeReadsTheRestoredProfile) {
    // A profile as Wine's reg.exe writes one: its data file named by
    // 001f6700 beside the entry identifier; made the default.
    const std::string regPst = "C:\\users\\" + user + "\\Documents\\Outlook Files\\Reg.pst";
    const std::string regSection = kProfiles16 + "\\Reg Profile\\5d1e2a3b4c6f7081928374655a4b3c2d";
    startServer();
    for (const std::string& add :
         {shq(regSection) + " /v 01020fff /t REG_BINARY /d " + hex(sample::pstStoreEntryId(regPst, true)),
          shq(regSection) + " /v 001f6700 /t REG_BINARY /d " + hex(sample::utf16Z(regPst)),
          shq("HKCU\\Software\\Microsoft\\Office\\16.0\\Outlook") + " /v DefaultProfile /d 'Reg Profile'"}) {
        std::string said;
        ASSERT_EQ(wine("reg add " + add + " /f", &said), 0) << add << "\n" << said;
    }
    stopServer();
    const std::string regBytes = sample::pstFileBytes(64 * 1024, 99, true);
    fs::create_directories(fs::path(hostOf(regPst)).parent_path());
    writeHostFile(hostOf(regPst), regBytes);

    Ran ran = run("--profiles");
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.out,
              "Outlook for Microsoft 365 (16.0)\nProfiles (HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\"
              "16.0\\Outlook\\Profiles):\n  Reg Profile\n  Outlook\n  Work\n");

    const std::string archive = dir / "b16.qmk";
    ran = run("--backup " + shq(archive) + " --profile Outlook --items 11110111");
    EXPECT_EQ(ran.status, 0) << ran.out << ran.err;
    EXPECT_NE(ran.out.find("\n" + user + "@imap.example.org.ost: a server mailbox's cache, Outlook rebuilds it\n"),
              std::string::npos)
        << ran.out;
    const auto entries = sevenZipEntries(archive);
    for (const auto& e : entries) EXPECT_EQ(e.find(".ost"), std::string::npos) << e;
    EXPECT_NE(std::find(entries.begin(), entries.end(), user + "_files/image001.png"), entries.end());
    EXPECT_TRUE(sevenZipTests(archive));

    // Into the profile reg.exe made, the signatures gone meanwhile.
    const std::string signatures = hostOf(made.signaturesFolder);
    const std::string picture = readHostFile(signatures + "/" + user + "_files/image001.png");
    fs::remove_all(signatures);
    ran = run("--restore " + shq(archive) + " --profile 'Reg Profile' --yes");
    EXPECT_EQ(ran.status, 0) << ran.out << ran.err;
    EXPECT_EQ(readHostFile(signatures + "/" + user + "_files/image001.png"), picture);

    const std::string local = "C:\\users\\" + user + "\\Local Settings\\Application Data\\Microsoft\\Outlook";
    const auto& src = made.profiles[0];
    for (std::size_t i = 0; i < src.dataFiles.size(); ++i) {
        const std::string section = kProfiles16 + "\\Reg Profile\\" + bareName(src.storeSections[i]);
        const std::string moved = local + "\\" + bareName(src.dataFiles[i]);
        EXPECT_EQ(query(section, "001f6700"), hex(sample::utf16Z(moved))) << section;
        EXPECT_NE(query(section, "01020fff").find(hex(sample::utf16Z(moved))), std::string::npos) << section;
        // The file is byte for byte where the value points (Local Settings is
        // a link into AppData\Local, as on Windows).
        EXPECT_EQ(readHostFile(home + "/AppData/Local/Microsoft/Outlook/" + bareName(moved)),
                  readHostFile(hostOf(src.dataFiles[i])));
    }
    // Its accounts, UTF-16 as Outlook keeps them, delivering into the moved file.
    const std::string account = kProfiles16 + "\\Reg Profile\\9375CFF0413111d3B88A00104B2A6676\\00000001";
    EXPECT_EQ(query(account, "Account Name"), hex(sample::utf16Z(user + "@example.org")));
    EXPECT_NE(
        query(account, "Delivery Store EntryID").find(hex(sample::utf16Z(local + "\\" + user + "@example.org.pst"))),
        std::string::npos);
}

TEST_F(RealPrefixOutlook2016, ProfilesOf2003And2010MoveInUnderItsProfilesKey) {
    const std::string work = kProfiles16 + "\\Work";
    const std::string cacheSection = work + "\\" + bareName(made.profiles[1].cacheSections[0]);
    const std::string cache = query(cacheSection, "001f6610");
    ASSERT_FALSE(cache.empty());
    // A restore is refused while Wine programs run.
    stopServer();
    const std::string local = "C:\\users\\" + user + "\\Local Settings\\Application Data\\Microsoft\\Outlook";

    for (const std::string version : {"11.0", "14.0"}) {
        sample::SampleInstallation old;
        const std::string archive = oldBackup(version, old);
        const Ran ran = run("--restore " + shq(archive) + " --profile Work --yes");
        // 2003's accounts are the account manager's, which Outlook 2016 does
        // not read: that item fails and says why.
        if (version == "11.0") {
            EXPECT_EQ(ran.status, 3) << ran.out << ran.err;
            EXPECT_NE(ran.err.find("the accounts of Outlook 2003 are kept in a form Outlook for Microsoft 365 does not "
                                   "read; set them up again in Outlook"),
                      std::string::npos)
                << ran.err;
        } else {
            EXPECT_EQ(ran.status, 0) << ran.out << ran.err;
        }
        const auto& src = old.profiles[0];
        for (std::size_t i = 0; i < src.dataFiles.size(); ++i) {
            const std::string section = work + "\\" + bareName(src.storeSections[i]);
            const std::string moved = local + "\\" + bareName(src.dataFiles[i]);
            EXPECT_EQ(query(section, "001f6700"), hex(sample::utf16Z(moved))) << version << " " << section;
            const std::string id = query(section, "01020fff");
            EXPECT_TRUE(id.find(hex(sample::utf16Z(moved))) != std::string::npos ||
                        id.find(hex(moved + '\0')) != std::string::npos)
                << version << " " << id;
            EXPECT_EQ(query(section, "001e6700"), "") << version;
            EXPECT_EQ(readHostFile(home + "/AppData/Local/Microsoft/Outlook/" + bareName(moved)),
                      readHostFile(sample::sampleHostPath(dir / ("p" + version.substr(0, 2)), src.dataFiles[i])));
        }
        // Never an old-layout profile, and the Exchange cache as it was.
        EXPECT_FALSE(
            keyThere("HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging "
                     "Subsystem\\Profiles\\Work"));
        EXPECT_EQ(query(cacheSection, "001f6610"), cache) << version;
        stopServer();
    }
}

TEST_F(RealPrefixOutlook2016, ABackupOf2016IsRefusedByOutlook2003BeforeAnythingChanges) {
    const std::string archive = dir / "b16.qmk";
    ASSERT_EQ(run("--backup " + shq(archive) + " --profile Outlook --items 11110111").status, 0);
    sample::SampleInstallation old;
    sample::SampleOptions o;
    o.outlook = "11.0";
    o.user = "carol";
    o.prefix = dir / "p11";
    std::string error;
    ASSERT_TRUE(sample::buildSampleInstallation(o, old, error)) << error;
    const std::string before = readHostFile(o.prefix + "/user.reg") + readHostFile(o.prefix + "/system.reg");
    const Ran ran = run(o.prefix, "carol", "--restore " + shq(archive) + " --profile Outlook --yes");
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.err.find("nothing was restored: The backup was made with Outlook for Microsoft 365, which keeps its "
                           "profiles where Outlook 2003 does not read them: it can be restored into Outlook 2013 or "
                           "later."),
              std::string::npos)
        << ran.err;
    EXPECT_EQ(readHostFile(o.prefix + "/user.reg") + readHostFile(o.prefix + "/system.reg"), before);
    EXPECT_FALSE(fs::exists(o.prefix + "/drive_c/users/carol/Local Settings/Application Data/Microsoft/Outlook/" +
                            made.profiles[0].dataFiles[0].substr(made.profiles[0].dataFiles[0].rfind('\\') + 1)));
}

}  // namespace
}  // namespace qm::test
