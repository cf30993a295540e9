// The interactive backup run over a sample installation, seen through the
// recording view; archives checked with 7-Zip.
#include <algorithm>
#include <filesystem>

#include "archive/InfoFile.h"
#include "items/DataFileHeader.h"
#include "jobs/AutomaticBackup.h"
#include "runs/MainPresenter.h"
#include "runs/RunsFixture.h"

namespace qm::test {
namespace {

using app::Answer;
using app::Buttons;
using app::Icon;
namespace fs = std::filesystem;

class BackupRunTest : public RunsTest {
protected:
    void SetUp() override {
        sample::SampleOptions options;
        options.outlook = "11.0";
        inst = &install("sample", options);
        s = &start(*inst, view);
        target = dir / "out" ;
        fs::create_directories(target);
        target += "/b.qmk";
    }

    void check(const std::string& pattern) {
        for (int i = 0; i < 8; ++i) view.backupItems[i].checked = pattern[i] == '1';
    }
    void aim(const std::string& host) { s->state.TargetArchivePath = s->files.windowsPath(host); }

    // The last message before the disc offer.
    std::string summary() const {
        for (auto it = view.messages.rbegin(); it != view.messages.rend(); ++it)
            if (it->text.rfind("The Backup", 0) == 0) return it->text;
        return {};
    }
    // The status lines of the parts, the archive's long steps left out.
    std::vector<std::string> partStatuses() const {
        std::vector<std::string> parts;
        for (const auto& line : view.statusHistory)
            if (line.rfind("Writing the backup file ", 0) != 0 && line.rfind("Checking the backup file ", 0) != 0)
                parts.push_back(line);
        return parts;
    }
    InfoLines storedInfo(const std::string& password = "") {
        return parseInfo(sevenZipRead(target, archive::kInfoFileName, password));
    }

    Installation* inst = nullptr;
    FakeView view;
    app::Session* s = nullptr;
    std::string target;
};

TEST_F(BackupRunTest, ChecksRefuseInOrderAndTouchNothing) {
    struct Case {
        bool aimed;
        std::string items;
        bool protect;
        std::string pw1, pw2;
        std::string text;
        Icon icon;
    };
    const Case cases[] = {
        {false, "00100000", false, "", "", "Invalid backup file.", Icon::Exclamation},
        {true, "00000000", true, "", "", "Please select at least one item.", Icon::Exclamation},
        {true, "00100000", true, "", "", "Please enter Password!", Icon::Critical},
        {true, "00100000", true, "", "abc", "Incorect Password!", Icon::Critical},
        {true, "00100000", true, "abc", "", "Incorect Password!", Icon::Critical},
        {true, "00100000", true, "abc", "abd", "Incorect Password!", Icon::Critical},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " " + c.items);
        view.messages.clear();
        s->state.TargetArchivePath = c.aimed ? s->files.windowsPath(target) : "";
        check(c.items);
        view.protect = c.protect;
        view.passwordText = c.pw1;
        view.password2Text = c.pw2;
        main(*s).RunBackup();
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, c.text);
        EXPECT_EQ(view.messages[0].icon, c.icon);
        EXPECT_FALSE(fs::exists(target));
        EXPECT_TRUE(workFiles(*s).empty());
        EXPECT_FALSE(view.busy);
    }
}

TEST_F(BackupRunTest, OnlySignatures) {
    aim(target);
    check("00100000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();

    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].text, "The Backup was Completed!\t\t\t\r\n\r\nBackup Signatures\t\tsucceeded!\t");
    EXPECT_EQ(view.messages[0].icon, Icon::Information);
    EXPECT_EQ(view.messages[1].text, "Do you need to backup your data to CD-R/RW or DVD?");
    EXPECT_EQ(view.messages[1].icon, Icon::Information);
    EXPECT_EQ(view.messages[1].buttons, Buttons::OkCancel);
    EXPECT_TRUE(view.discCalls.empty());

    InfoLines info = storedInfo();
    EXPECT_EQ(info["BackupItem"], "0000100000");
    EXPECT_EQ(info.keys.back(), "BackupItem");
    EXPECT_EQ(sevenZipEntries(target), recordedEntries(info));
    EXPECT_EQ(info["BackupSignatures"].empty(), false);

    // The bar: 10 for the header, 10 for the row of signatures, the steps of
    // the rows that did not run; 90 before the write, then up with the
    // write to the maximum, then the minimum.
    std::vector<int> h = view.progressHistory;
    ASSERT_GE(h.size(), 3u);
    EXPECT_EQ(h[h.size() - 2], 100);
    EXPECT_EQ(h.back(), 0);
    EXPECT_EQ(view.progressAtFirstPercent, 90);
    EXPECT_EQ(partStatuses(), std::vector<std::string>{"Copying Signatures..."});
    EXPECT_EQ(view.busyHistory.back(), false);
    EXPECT_EQ(view.hourglassHistory, (std::vector<bool>{true, false}));
    EXPECT_TRUE(view.fileLine.empty());
    EXPECT_TRUE(view.percentLine.empty());
    EXPECT_TRUE(workFiles(*s).empty());
}

TEST_F(BackupRunTest, OnlyPersonalFoldersRunsConfigDataAndRules) {
    aim(target);
    check("10000000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();

    EXPECT_EQ(summary(), "The Backup was Completed!\t\t\t\r\n\r\nBackup Personal Folders\t\tsucceeded!\t");
    InfoLines info = storedInfo();
    EXPECT_EQ(info["BackupItem"], "1110000000");
    EXPECT_EQ(partStatuses(),
              (std::vector<std::string>{"Copying Config...", "Copying Data Files (Pst Files)...", "Copying Rules..."}));
    EXPECT_EQ(view.progressAtFirstPercent, 95);
    EXPECT_EQ(sevenZipEntries(target), recordedEntries(info));
    // The temporary export of the profile is in the archive, not left behind.
    EXPECT_EQ(info["BackupConfig"].rfind("QMC", 0), 0u);
    EXPECT_TRUE(workFiles(*s).empty());
}

TEST_F(BackupRunTest, ADataFileLeftOpenIsStoredAndNamed) {
    // The main data file as Outlook leaves it while it runs: the allocation
    // map not valid (the header's CRC written again, as Outlook does).
    const std::string path = inst->made.profiles.front().dataFiles.front();
    const std::string name = path.substr(path.rfind('\\') + 1);
    std::string open = sample::pstFileBytes(96 * 1024, 5, true);
    open[248] = 0;
    const auto crc = items::DataFileCrc(reinterpret_cast<const unsigned char*>(open.data() + 8), 471);
    for (std::size_t i = 0; i < 4; ++i) open[4 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    writeFile(*inst, path, open);

    aim(target);
    check("10000000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();

    const std::string warning = name + ": not closed cleanly: close Outlook before the backup";
    EXPECT_EQ(summary(), "The Backup was Completed!\t\t\t\r\n\r\nBackup Personal Folders\t\tsucceeded!\t\r\n\r\n" + warning);
    EXPECT_EQ(partStatuses(), (std::vector<std::string>{"Copying Config...", "Copying Data Files (Pst Files)...",
                                                        warning, "Copying Rules..."}));
    EXPECT_EQ(storedInfo()["BackupItem"], "1110000000");
    const auto entries = sevenZipEntries(target);
    EXPECT_NE(std::find(entries.begin(), entries.end(), name), entries.end()) << "stored all the same";
}

TEST_F(BackupRunTest, AllItemsHeaderAndDiscHandOver) {
    aim(target);
    check("11111111");
    view.descriptionText = "Weekly";
    view.answers = {Answer::Ok, Answer::Ok};
    main(*s).RunBackup();

    EXPECT_EQ(summary(),
              "The Backup was Completed!\t\t\t\r\n"
              "\r\nBackup Personal Folders\t\tsucceeded!\t"
              "\r\nBackup Accounts Settings\tsucceeded!\t"
              "\r\nBackup Signatures\t\tsucceeded!\t"
              "\r\nBackup Stationeries\t\tsucceeded!\t"
              "\r\nBackup Personal Address Book\t\tsucceeded!\t"
              "\r\nBackup Options Settings\t\tsucceeded!\t"
              "\r\nBackup Templates\t\tsucceeded!\t"
              "\r\nBackup Preferences\t\tsucceeded!\t");
    InfoLines info = storedInfo();
    EXPECT_EQ(info["BackupItem"], "1111111111");
    const std::vector<std::string> header = {"BackupComputer", "BackupLogonUser", "BackupIdentity",
                                             "BackupTime",     "Outlookversion",  "BackupInformation"};
    ASSERT_GE(info.keys.size(), header.size() + 1);
    EXPECT_EQ(std::vector<std::string>(info.keys.begin(), info.keys.begin() + 6), header);
    EXPECT_EQ(info["BackupComputer"], s->state.ComputerName);
    EXPECT_EQ(info["BackupLogonUser"], s->state.LogonUser);
    EXPECT_EQ(info["BackupIdentity"], "Outlook");
    EXPECT_EQ(info["Outlookversion"], "Outlook 2003");
    EXPECT_EQ(info["BackupInformation"], "Weekly");
    EXPECT_FALSE(info["BackupTime"].empty());
    EXPECT_EQ(sevenZipEntries(target), recordedEntries(info));
    EXPECT_TRUE(sevenZipTests(target));
    EXPECT_FALSE(sevenZipEncrypted(target));

    ASSERT_EQ(view.discCalls.size(), 1u);
    EXPECT_EQ(view.discCalls[0].fileTitle, "b.qmk");
    EXPECT_EQ(view.discCalls[0].filePath, s->files.windowsPath(target));
    EXPECT_TRUE(workFiles(*s).empty());
}

// Without disc writing (the Windows build) the summary is the last word.
TEST_F(BackupRunTest, NoDiscOfferedWhereNoneCanBeWritten) {
    aim(target);
    check("00100000");
    view.discs = false;
    main(*s).RunBackup();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text.rfind("The Backup was Completed!", 0), 0u) << view.messages[0].text;
    EXPECT_TRUE(view.discCalls.empty());
    EXPECT_FALSE(sevenZipEntries(target).empty());
}

TEST_F(BackupRunTest, ProtectionOnlyWhenChecked) {
    aim(target);
    check("00100000");
    view.protect = true;
    view.passwordText = view.password2Text = "s3cret";
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    EXPECT_TRUE(sevenZipEncrypted(target));
    EXPECT_TRUE(sevenZipTests(target, "s3cret"));
    EXPECT_FALSE(sevenZipTests(target, "other"));
    // The password is stored nowhere in the archive's information.
    EXPECT_EQ(storedInfo("s3cret")["BackupItem"], "0000100000");
    EXPECT_EQ(sevenZipRead(target, archive::kInfoFileName, "s3cret").find("s3cret"), std::string::npos);

    // Unchecked, the (disabled) boxes' text is ignored.
    view.protect = false;
    view.passwordText = "left";
    view.password2Text = "over";
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    EXPECT_FALSE(sevenZipEncrypted(target));
    EXPECT_TRUE(sevenZipTests(target));
}

TEST_F(BackupRunTest, DescriptionLineBreaksCannotAddLines) {
    aim(target);
    check("00100000");
    view.descriptionText = "first\r\nsecond\nBackupItem=1111111111\rBackupIdentity=forged";
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();

    std::string bytes = sevenZipRead(target, archive::kInfoFileName);
    InfoLines info = parseInfo(bytes);
    EXPECT_EQ(info["BackupInformation"],
              "firstPS$QMKsecondPS$QMKBackupItem=1111111111PS$QMKBackupIdentity=forged");
    EXPECT_EQ(std::count(info.keys.begin(), info.keys.end(), "BackupItem"), 1);
    EXPECT_EQ(info["BackupItem"], "0000100000");
    EXPECT_EQ(info["BackupIdentity"], "Outlook");
    // No bare CR or LF anywhere: every line ends in CR LF.
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            EXPECT_EQ(bytes[i + 1], '\n');
        }
        if (bytes[i] == '\n') {
            EXPECT_EQ(bytes[i - 1], '\r');
        }
    }
}

TEST_F(BackupRunTest, ReplacesAnOldArchiveOnlyWithACompleteOne) {
    writeHostFile(target, "the old backup");
    aim(target);
    check("00100000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    EXPECT_EQ(storedInfo()["BackupItem"], "0000100000");
    EXPECT_EQ(hostFiles(dir / "out"), std::vector<std::string>{"b.qmk"});
}

TEST_F(BackupRunTest, LostInformationFileLeavesTheOldArchive) {
    // The information file vanishes after it was queued: an archive without
    // it could never be opened, so the old backup must stay as it was.
    writeHostFile(target, "the old backup");
    aim(target);
    check("00100000");
    view.onYield = [&] {
        if (view.fileLine == "Adding File quillmark.dat") s->files.deleteFile(s->state.InfoFilePath);
    };
    main(*s).RunBackup();

    EXPECT_EQ(readHostFile(target), "the old backup");
    EXPECT_EQ(hostFiles(dir / "out"), std::vector<std::string>{"b.qmk"});
    ASSERT_EQ(view.messages.size(), 1u);  // no disc offer
    EXPECT_EQ(view.messages[0].text.rfind("The Backup has Failed!\t\t\t\r\n\r\nBackup Signatures\t\tFail!\t", 0), 0u);
    EXPECT_EQ(view.messages[0].icon, Icon::Critical);
    EXPECT_FALSE(view.busy);
    EXPECT_TRUE(workFiles(*s).empty());
}

TEST_F(BackupRunTest, MissingTargetFolderFailsWithoutDebris) {
    aim(dir / "missing/b.qmk");
    check("00110000");
    main(*s).RunBackup();
    ASSERT_EQ(view.messages.size(), 1u);
    // Nothing could be stored: the parts were not run for nothing, and the
    // reason is the folder.
    const std::string named = s->files.windowsPath(dir / "missing/b.qmk");
    EXPECT_EQ(view.messages[0].text,
              "The Backup has Failed!\t\t\t\r\n\r\nno backup written: cannot start the backup file " + named +
                  ": The archive's folder does not exist: " + named);
    EXPECT_FALSE(fs::exists(dir / "missing"));
    EXPECT_TRUE(workFiles(*s).empty());
    EXPECT_TRUE(view.discCalls.empty());
}

TEST_F(BackupRunTest, AnEntryLostDuringTheWriteFailsItsItem) {
    // A signature file disappears between being queued and being written:
    // the signatures part is reported and stored as failed, the rest stays.
    aim(target);
    check("00110000");
    ASSERT_FALSE(inst->made.signatureFiles.empty());
    const std::string lostName = inst->made.signatureFiles.front();
    const std::string lost = inst->made.signaturesFolder + "\\" + lostName;
    view.onYield = [&] {
        if (view.fileLine == "Adding File quillmark.dat") removeFile(*inst, lost);
    };
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();

    EXPECT_EQ(summary(),
              "The Backup was Completed!\t\t\t\r\n"
              "\r\nBackup Signatures\t\tFail!\t"
              "\r\nBackup Stationeries\t\tsucceeded!\t\r\n"
              "\r\nfailed: the signatures could not be backed up: a file changed or could not be read while "
              "the archive was written");
    InfoLines info = storedInfo();
    EXPECT_EQ(info["BackupItem"], "0000010000");
    auto entries = sevenZipEntries(target);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), lostName), 0);
    EXPECT_TRUE(workFiles(*s).empty());
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

// What the busy panel shows while a backup works: the file and percentage
// lines of the archive, each row's status and progress step, and the event
// loop kept turning.
TEST_F(BackupRunTest, TheBusyPanelFollowsTheRun) {
    aim(target);
    check("10100000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    ASSERT_EQ(summary().rfind("The Backup was Completed!", 0), 0u) << summary();

    EXPECT_NE(std::find(view.fileLines.begin(), view.fileLines.end(), "Adding File quillmark.dat"), view.fileLines.end());
    EXPECT_NE(std::find(view.fileLines.begin(), view.fileLines.end(), "Adding File alice.htm"), view.fileLines.end());
    ASSERT_GE(view.percentLines.size(), 2u);
    EXPECT_EQ(view.percentLines[view.percentLines.size() - 2], "Write File 100%");
    EXPECT_EQ(view.percentLines.back(), "");  // emptied at the end
    EXPECT_GE(view.yields, 3);
    const std::vector<std::string> statuses{"Copying Config...", "Copying Data Files (Pst Files)...",
                                            "Copying Rules...", "Copying Signatures..."};
    EXPECT_EQ(partStatuses(), statuses);
    // Then the archive: written, then read back, each to its end.
    ASSERT_GE(view.statusHistory.size(), statuses.size() + 2);
    EXPECT_EQ(view.statusHistory[statuses.size()].rfind("Writing the backup file ", 0), 0u);
    EXPECT_EQ(view.statusHistory.back(), "Checking the backup file 100%");
    // Start-up's 0, the header's 10, then one step per row of the table (15 + 5 for the
    // data files that ran), then up with the archive's write to the maximum,
    // and the minimum.
    const std::vector<int> steps{0, 10, 10, 30, 40, 60, 70, 80, 85, 90, 95, 95};
    const std::vector<int>& h = view.progressHistory;
    ASSERT_GT(h.size(), steps.size() + 2);
    EXPECT_EQ(std::vector<int>(h.begin(), h.begin() + steps.size()), steps);
    EXPECT_TRUE(std::is_sorted(h.begin(), h.end() - 1));
    EXPECT_GT(h[steps.size()], 95);
    EXPECT_EQ(h[h.size() - 2], 100);
    EXPECT_EQ(h.back(), 0);
}

}  // namespace
}  // namespace qm::test
