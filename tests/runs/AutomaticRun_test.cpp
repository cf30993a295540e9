// The unattended backup: the built executable as a scheduled job starts it
// (no window, no display), and the selection rules of the run itself.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "archive/InfoFile.h"
#include "frontend/ExitStatus.h"
#include "frontend/Summaries.h"
#include "items/DataFileHeader.h"
#include "jobs/AutomaticBackup.h"
#include "jobs/KeepPolicy.h"
#include "platform/posix/HostFile.h"
#include "registry/ModReg.h"
#include "runs/MainPresenter.h"
#include "runs/RunsFixture.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class AutomaticRunTest : public RunsTest {
protected:
    void SetUp() override {
        sample::SampleOptions options;
        options.outlook = "11.0";
        inst = &install("sample", options, Backend::WinePrefix);
        out = dir / "out";
        fs::create_directories(out);
    }

    int run(const std::string& arguments, std::string* output = nullptr) {
        int status = -1;
        std::string text = capture(quillmark(*inst, arguments) + " 2>&1", &status);
        if (output) *output = text;
        return status;
    }
    static std::string job(const std::string& profile, const std::string& items, const std::string& password,
                           const std::string& file) {
        return shq("sf=" + profile + "xm=" + items + "ps=" + password + "bf=" + file);
    }
    // The runs' work folders left under the work root.
    std::vector<std::string> leftWorkFolders() const { return stateLeftovers(inst->workRoot + "/quillmark"); }

    Installation* inst = nullptr;
    std::string out;
};

TEST_F(AutomaticRunTest, AllItemsWithAndWithoutPassword) {
    const std::string plain = out + "/plain.qmk";
    const std::string locked = out + "/locked.qmk";
    std::string log;
    ASSERT_EQ(run(job("Outlook", "11111111", "", plain), &log), 0) << log;
    ASSERT_EQ(run(job("Outlook", "11111111", "Pw-2.x", locked), &log), 0) << log;

    InfoLines info = parseInfo(sevenZipRead(plain, archive::kInfoFileName));
    EXPECT_EQ(info["BackupItem"], "1111111111");
    EXPECT_EQ(info["BackupInformation"], "Automatic Backup");
    EXPECT_EQ(info["BackupIdentity"], "Outlook");
    EXPECT_EQ(info["Outlookversion"], "Outlook 2003");
    EXPECT_EQ(info.keys.back(), "BackupItem");
    EXPECT_EQ(sevenZipEntries(plain), recordedEntries(info));
    EXPECT_TRUE(sevenZipTests(plain));
    EXPECT_FALSE(sevenZipEncrypted(plain));

    EXPECT_TRUE(sevenZipEncrypted(locked));
    EXPECT_TRUE(sevenZipTests(locked, "Pw-2.x"));
    EXPECT_FALSE(sevenZipTests(locked, "wrong"));
    InfoLines lockedInfo = parseInfo(sevenZipRead(locked, archive::kInfoFileName, "Pw-2.x"));
    EXPECT_EQ(lockedInfo["BackupItem"], "1111111111");
    EXPECT_EQ(sevenZipEntries(locked, "Pw-2.x"), recordedEntries(lockedInfo));

    // Only the two archives, and no work folder left behind.
    EXPECT_EQ(hostFiles(out), (std::vector<std::string>{"locked.qmk", "plain.qmk"}));
    EXPECT_TRUE(leftWorkFolders().empty());

    // The program's own listing agrees.
    std::string listing;
    EXPECT_EQ(run("--list " + shq(plain), &listing), 0) << listing;
    for (const auto& name : recordedEntries(info)) EXPECT_NE(listing.find("  " + name + "\n"), std::string::npos) << name;
    EXPECT_NE(listing.find("BackupItem=1111111111"), std::string::npos);
    EXPECT_NE(listing.find("BackupInformation=Automatic Backup"), std::string::npos);
    EXPECT_NE(run("--list " + shq(locked), &listing), 0);
    EXPECT_NE(listing.find("Incorect Password or Invalid backup file"), std::string::npos) << listing;
    EXPECT_NE(run("--list " + shq(locked) + " --password wrong"), 0);
    EXPECT_EQ(run("--list " + shq(locked) + " --password Pw-2.x", &listing), 0) << listing;
    EXPECT_NE(listing.find("password protected"), std::string::npos);
    EXPECT_NE(run("--list " + shq(out + "/missing.qmk")), 0);
}

// Flips one byte in the middle of an entry's stored data (found through its
// local header, which libzip writes with the final sizes).
void damageEntry(const std::string& archivePath, const std::string& name) {
    std::string bytes = readHostFile(archivePath);
    const std::size_t at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    auto le = [&](std::size_t offset, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
        return v;
    };
    const std::size_t header = at - 30;
    ASSERT_EQ(bytes.compare(header, 4, "PK\x03\x04"), 0);
    const std::size_t data = at + name.size() + le(header + 28, 2);
    bytes[data + le(header + 18, 4) / 2] ^= 0x04;
    writeHostFile(archivePath, bytes);
}

TEST_F(AutomaticRunTest, ListingReadsEveryEntryAndNamesTheDamagedOne) {
    const std::string plain = out + "/plain.qmk";
    const std::string locked = out + "/locked.qmk";
    std::string log;
    ASSERT_EQ(run(job("Outlook", "10000000", "", plain), &log), 0) << log;
    ASSERT_EQ(run(job("Outlook", "10000000", "Pw-2.x", locked), &log), 0) << log;
    const auto names = recordedEntries(parseInfo(sevenZipRead(plain, archive::kInfoFileName)));
    ASSERT_GE(names.size(), 3u);
    ASSERT_EQ(run("--list " + shq(plain), &log), 0) << log;
    EXPECT_NE(log.find("read back whole"), std::string::npos) << log;

    // A new archive is for its owner alone.
    EXPECT_EQ(fs::status(plain).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    const std::string dataFile = parseInfo(sevenZipRead(plain, archive::kInfoFileName))["BackupDatas"].substr(0, 11);
    ASSERT_EQ(dataFile, "Outlook.pst");
    for (const auto& [file, options] : {std::pair{plain, std::string()}, std::pair{locked, std::string(" --password Pw-2.x")}}) {
        SCOPED_TRACE(file);
        damageEntry(file, dataFile);
        EXPECT_EQ(run("--list " + shq(file) + options, &log), 1) << log;
        EXPECT_NE(log.find("damaged entry: " + dataFile), std::string::npos) << log;
        for (const auto& name : names) {
            if (name == dataFile) continue;
            EXPECT_EQ(log.find("damaged entry: " + name), std::string::npos) << name;
        }
    }
}

TEST_F(AutomaticRunTest, DataFilesWithBadHeadersAreStoredAndNamed) {
    const auto& profile = inst->made.profiles.front();
    ASSERT_GE(profile.dataFiles.size(), 2u);
    auto bare = [](const std::string& path) { return path.substr(path.rfind('\\') + 1); };
    // A Unicode file left open by Outlook: its allocation map is not valid
    // (its header's CRC written again, as Outlook does).
    const std::string unclean = bare(profile.dataFiles[0]);
    std::string open = sample::pstFileBytes(256 * 1024, 77, true);
    open[248] = 0;
    const auto crc = items::DataFileCrc(reinterpret_cast<const unsigned char*>(open.data() + 8), 471);
    for (std::size_t i = 0; i < 4; ++i) open[4 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    writeHostFile(hostOf(*inst, profile.dataFiles[0]), open);
    // A damaged one.
    const std::string damaged = bare(profile.dataFiles[1]);
    std::string bytes = readHostFile(hostOf(*inst, profile.dataFiles[1]));
    bytes[100] ^= 0x01;
    writeHostFile(hostOf(*inst, profile.dataFiles[1]), bytes);
    ASSERT_FALSE(unclean.empty());
    ASSERT_FALSE(damaged.empty());

    const std::string file = out + "/b.qmk";
    std::string log;
    ASSERT_EQ(run(job("Outlook", "10000000", "", file), &log), 0) << log;
    EXPECT_NE(log.find("warning: " + unclean + ": not closed cleanly: close Outlook before the backup"),
              std::string::npos) << log;
    EXPECT_NE(log.find("warning: " + damaged + ": the header is damaged"), std::string::npos) << log;
    EXPECT_NE(log.find("BackupItem=1110000000"), std::string::npos) << log;
    // Stored all the same: it may be the only copy.
    const auto entries = sevenZipEntries(file);
    EXPECT_NE(std::find(entries.begin(), entries.end(), unclean), entries.end());
    EXPECT_NE(std::find(entries.begin(), entries.end(), damaged), entries.end());
}

TEST_F(AutomaticRunTest, CommandLinesThatDoNotParseWriteNothing) {
    std::string log;
    // Without a command the program opens its windows, which need a display.
    EXPECT_EQ(run("", &log), 2);
    EXPECT_TRUE(log.find("this build has no windows") != std::string::npos ||
                log.find("the windows need a display") != std::string::npos)
        << log;
    EXPECT_EQ(run("hello world", &log), 1);
    EXPECT_NE(log.find("no backup written"), std::string::npos) << log;
    EXPECT_EQ(run(job("Outlook", "", "", out + "/a.qmk")), 1);
    EXPECT_EQ(run(job("", "11111111", "", out + "/a.qmk")), 1);
    EXPECT_EQ(run("sf=Outlookxm=11111111ps=bf="), 1);
    EXPECT_EQ(run("--bogus " + job("Outlook", "1", "", out + "/a.qmk")), 2);
    EXPECT_TRUE(hostFiles(out).empty());
    EXPECT_TRUE(leftWorkFolders().empty());

    // The arguments are joined by single blanks before they are read: an
    // unquoted path with a blank still arrives whole.
    EXPECT_EQ(run("sf=Outlookxm=00100000ps=bf=" + shq(out + "/two") + " words.qmk", &log), 0) << log;
    EXPECT_EQ(hostFiles(out), std::vector<std::string>{"two words.qmk"});
}

TEST_F(AutomaticRunTest, ReplacesAnOldArchiveOnlyWhenTheNewOneIsComplete) {
    const std::string file = out + "/b.qmk";
    writeHostFile(file, "the old backup");
    ASSERT_EQ(run(job("Outlook", "00100000", "", file)), 0);
    EXPECT_EQ(parseInfo(sevenZipRead(file, archive::kInfoFileName))["BackupItem"], "0000100000");
    const std::string good = readHostFile(file);

    // A run that cannot write the folder: an unprivileged user, a folder of root's.
    if (geteuid() != 0 || shell("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "needs root and setpriv";
    // The prefix is that user's (the program works in no other user's).
    shell("chmod -R a+rwX " + shq(dir.path()) + " && chmod 755 " + shq(out) + " && chmod 644 " + shq(file) +
          " && chown nobody " + shq(inst->made.prefix));
    std::string log;
    int status = -1;
    log = capture("setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/tmp " +
                      quillmark(*inst, job("Outlook", "11111111", "", file)) + " 2>&1",
                  &status);
    EXPECT_EQ(status, 1) << log;
    EXPECT_NE(log.find("no backup written"), std::string::npos) << log;
    EXPECT_EQ(readHostFile(file), good);
    EXPECT_EQ(hostFiles(out), std::vector<std::string>{"b.qmk"});
    EXPECT_TRUE(leftWorkFolders().empty());
}

// The selection rules, run in-process on the same installation.
TEST_F(AutomaticRunTest, SelectionPositions) {
    FakeView view;
    app::Session& s = start(*inst, view);
    auto result = [&](const std::string& selection) {
        const std::string file = out + "/sel.qmk";
        const jobs::BackupReport report = jobs::RunAutomaticBackup(s, {"Outlook", selection, "", file});
        EXPECT_TRUE(report.written) << report.failure;
        std::string stored = parseInfo(sevenZipRead(file, archive::kInfoFileName))["BackupItem"];
        EXPECT_EQ(stored, report.itemResult);
        return stored;
    };
    EXPECT_EQ(result("01000000"), "1001000000");
    EXPECT_EQ(result("10000000"), "1110000000");
    EXPECT_EQ(result("00000001"), "0000000001");
    EXPECT_EQ(result("x0y1"), "0000010000");
    EXPECT_EQ(result("111111111111"), result("11111111"));
    // No message, no busy panel: nobody watches.
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.statusHistory.empty());
    EXPECT_TRUE(workFiles(s).empty());

    // Nothing asked for, or a profile that is not there: the last good
    // backup stays.
    const std::string good = readHostFile(out + "/sel.qmk");
    jobs::BackupReport report = jobs::RunAutomaticBackup(s, {"Outlook", "000000001111", "", out + "/sel.qmk"});
    EXPECT_FALSE(report.written);
    EXPECT_EQ(report.itemResult, "0000000000");
    EXPECT_FALSE(report.failure.empty());
    EXPECT_EQ(readHostFile(out + "/sel.qmk"), good);
    report = jobs::RunAutomaticBackup(s, {"Gone", "10000000", "", out + "/sel.qmk"});
    EXPECT_FALSE(report.written);
    EXPECT_EQ(report.itemResult, "");  // refused before any part ran
    EXPECT_EQ(report.failure, "the profile Gone is not one of this installation's profiles (Outlook)");
    EXPECT_EQ(readHostFile(out + "/sel.qmk"), good);

    report = jobs::RunAutomaticBackup(s, {"Outlook", "1", "", out + "/missing/x.qmk"});
    EXPECT_FALSE(report.written);
    EXPECT_FALSE(report.failure.empty());
    EXPECT_FALSE(fs::exists(out + "/missing"));
    EXPECT_TRUE(workFiles(s).empty());
}

// A typo in the job's profile name used to write the parts that need no
// profile and replace a complete backup with that small one.
TEST_F(AutomaticRunTest, AProfileThatIsNotTheInstallationsWritesNothing) {
    FakeView view;
    app::Session& s = start(*inst, view);
    const std::string file = out + "/nightly.qmk";
    jobs::BackupReport report = jobs::RunAutomaticBackup(s, {"Outlook", "11111111", "", file});
    ASSERT_TRUE(report.written) << report.failure;
    EXPECT_EQ(frontend::ExitStatusOf(report), frontend::kExitDone);
    const std::string complete = readHostFile(file);

    for (const char* typo : {"Outlok", "Outlook ", ""}) {
        SCOPED_TRACE(typo);
        report = jobs::RunAutomaticBackup(s, {typo, "11111111", "", file});
        EXPECT_FALSE(report.written);
        EXPECT_EQ(frontend::ExitStatusOf(report), frontend::kExitFailed);
        for (const auto& part : report.parts) EXPECT_FALSE(part.ran);
        EXPECT_EQ(readHostFile(file), complete);
        EXPECT_TRUE(workFiles(s).empty());
    }

    // The registry ignores letter case in key names; the archive records the
    // profile as the installation spells it.
    report = jobs::RunAutomaticBackup(s, {"OUTLOOK", "10000000", "", file});
    ASSERT_TRUE(report.written) << report.failure;
    EXPECT_EQ(report.itemResult, "1110000000");
    EXPECT_EQ(parseInfo(sevenZipRead(file, archive::kInfoFileName))["BackupIdentity"], "Outlook");
}

TEST_F(AutomaticRunTest, AWrittenArchiveWithAFailedPartIsNotDone) {
    FakeView view;
    app::Session& s = start(*inst, view);
    removeTree(*inst, inst->made.signaturesFolder);
    const std::string file = out + "/partial.qmk";
    const jobs::BackupReport report = jobs::RunAutomaticBackup(s, {"Outlook", "00110000", "", file});
    ASSERT_TRUE(report.written) << report.failure;
    EXPECT_EQ(report.itemResult, "0000010000");
    EXPECT_EQ(frontend::ExitStatusOf(report), frontend::kExitPartsFailed);
    // The window's report tells the same.
    EXPECT_EQ(frontend::BackupReportText(report),
              "The Backup was Completed!\t\t\t\r\n"
              "\r\nBackup Signatures\t\tFail!\t"
              "\r\nBackup Stationeries\t\tsucceeded!\t");
}

TEST_F(AutomaticRunTest, AddressBookAloneOnOutlook2007) {
    sample::SampleOptions options;
    options.outlook = "12.0";
    Installation& i12 = install("o2007", options, Backend::WinePrefix);
    FakeView view;
    app::Session& s = start(i12, view);
    // The window offers no address book for this version...
    EXPECT_FALSE(view.backupItems[4].enabled);
    // ...but a profile may still carry one, and the scheduled job saves it.
    const std::string pab = i12.made.localOutlookFolder + "\\old.pab";
    writeHostFile(hostOf(i12, pab), "!BDN....AB");
    s.reg.SetStringValue(i12.made.profiles[0].storeSections[0], "001e6600", pab);

    const std::string file = out + "/pab.qmk";
    const jobs::BackupReport report = jobs::RunAutomaticBackup(s, {"Outlook", "00001000", "", file});
    ASSERT_TRUE(report.written) << report.failure;
    InfoLines info = parseInfo(sevenZipRead(file, archive::kInfoFileName));
    EXPECT_EQ(info["BackupItem"], "1000001000");
    EXPECT_EQ(info["BackupPab"], "old.pab");
    EXPECT_EQ(info["Outlookversion"], "Outlook 2007");
    EXPECT_EQ(sevenZipEntries(file), recordedEntries(info));
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

// Keeping versions moves files; a move that fails must lose neither the new
// backup nor the earlier one, and must not read as success.
// Outlook left running every night is no damage: the earlier backup is
// replaced as usual, or one more dated copy would stay each night.
TEST_F(AutomaticRunTest, ADataFileLeftOpenDoesNotHoldTheEarlierBackup) {
    const auto& profile = inst->made.profiles.front();
    std::string open = sample::pstFileBytes(256 * 1024, 77, true);
    open[248] = 0;
    const auto crc = items::DataFileCrc(reinterpret_cast<const unsigned char*>(open.data() + 8), 471);
    for (std::size_t i = 0; i < 4; ++i) open[4 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    writeHostFile(hostOf(*inst, profile.dataFiles[0]), open);
    const std::string file = out + "/b.qmk";
    std::string log;
    ASSERT_EQ(run(job("Outlook", "10000000", "", file), &log), 0) << log;
    ASSERT_EQ(run(job("Outlook", "10000000", "", file), &log), 0) << log;
    EXPECT_NE(log.find("not closed cleanly"), std::string::npos) << log;
    EXPECT_EQ(hostFiles(out), std::vector<std::string>{"b.qmk"});
}

// A run killed as the new backup takes the name must not leave the name
// empty: the earlier backup gets its dated name as a second one, and keeps
// the file's name until the new one replaces it in one step.
TEST_F(AutomaticRunTest, TheBackupFilesNameIsNeverEmptyWhileVersionsAreKept) {
    FakeView view;
    app::Session& s = start(*inst, view);
    const std::string file = out + "/nightly.qmk";
    const jobs::AutomaticSettings settings{"Outlook", "10100000", "", file};
    jobs::JobEvents quiet;
    ASSERT_TRUE(jobs::RunAutomaticBackup(s, settings, jobs::KeepPolicy{3, 0, 0}, quiet).written);
    const std::string earlier = readHostFile(file);
    bool checked = false;
    platform::posix::beforeRenameHook() = [&](const std::string& from) {
        if (from.find(".qmpart") != std::string::npos) {
            checked = true;
            EXPECT_EQ(readHostFile(file), earlier) << "the name was empty as the new backup took it";
        }
        return true;
    };
    const jobs::BackupReport report = jobs::RunAutomaticBackup(s, settings, jobs::KeepPolicy{3, 0, 0}, quiet);
    platform::posix::beforeRenameHook() = nullptr;
    ASSERT_TRUE(report.written) << report.failure;
    EXPECT_TRUE(checked);
    const auto names = hostFiles(out);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(readHostFile(out + "/" + (names[0] == "nightly.qmk" ? names[1] : names[0])), earlier);
}

TEST_F(AutomaticRunTest, ARenameThatFailsLosesNeitherBackup) {
    FakeView view;
    app::Session& s = start(*inst, view);
    const std::string file = out + "/nightly.qmk";
    const jobs::AutomaticSettings settings{"Outlook", "10100000", "", file};
    const jobs::KeepPolicy three{3, 0, 0};
    jobs::JobEvents quiet;
    ASSERT_TRUE(jobs::RunAutomaticBackup(s, settings, three, quiet).written);
    const std::string earlier = readHostFile(file);

    // The earlier backup cannot be moved aside: it stays, and the new one
    // goes beside it under its own time.
    platform::posix::beforeRenameHook() = [&](const std::string& from) { return from != file; };
    jobs::BackupReport report = jobs::RunAutomaticBackup(s, settings, three, quiet);
    platform::posix::beforeRenameHook() = nullptr;
    ASSERT_TRUE(report.written) << report.failure;
    EXPECT_EQ(frontend::ExitStatusOf(report), 3);
    EXPECT_NE(report.versionFailure.find("the earlier backup could not be renamed to "), std::string::npos)
        << report.versionFailure;
    EXPECT_EQ(readHostFile(file), earlier);
    ASSERT_FALSE(report.writtenAs.empty());
    const std::string beside = out + "/" + report.writtenAs.substr(report.writtenAs.rfind('\\') + 1);
    EXPECT_TRUE(sevenZipTests(beside)) << beside;
    EXPECT_EQ(hostFiles(out).size(), 2u);
    fs::remove(beside);

    // The earlier one was moved aside, but the new one cannot take the name:
    // the earlier one goes back, and nothing was written.
    platform::posix::beforeRenameHook() = [&](const std::string& from) {
        return from == file || from.find("/nightly 20") != std::string::npos;
    };
    report = jobs::RunAutomaticBackup(s, settings, three, quiet);
    platform::posix::beforeRenameHook() = nullptr;
    EXPECT_FALSE(report.written);
    EXPECT_EQ(readHostFile(file), earlier);
    EXPECT_EQ(hostFiles(out), std::vector<std::string>{"nightly.qmk"});
    EXPECT_TRUE(report.versionNotes.empty()) << report.versionNotes.front();
}

}  // namespace
}  // namespace qm::test
