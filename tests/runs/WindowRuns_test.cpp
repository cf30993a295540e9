// What the main window's runs promise besides their texts: an archive of
// nothing never replaces a backup, every part that failed is named, a run
// stops when the user asks and leaves the earlier archive as it was, each
// run leaves its record in the history, a backup file can be tested, and
// the window says which installation it works on.
#include <filesystem>

#include "jobs/RunHistory.h"
#include "runs/MainPresenter.h"
#include "runs/RunsFixture.h"
#include "support/MiniPrefix.h"

namespace qm::test {
namespace {

using app::Answer;
using app::Buttons;
using app::Icon;
namespace fs = std::filesystem;

const char* const kCancelled =
    "The backup was stopped. No backup file was written; a backup file that was there before is as it was.";

bool startsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

class WindowRunsTest : public RunsTest {
protected:
    void SetUp() override {
        sample::SampleOptions options;
        options.outlook = "11.0";
        inst = &install("sample", options);
        s = &start(*inst, view);
        fs::create_directories(dir / "out");
        target = dir / "out/b.qmk";
    }

    void check(const std::string& pattern) {
        for (int i = 0; i < 8; ++i) view.backupItems[i].checked = pattern[i] == '1';
    }
    void aim(const std::string& host) { s->state.TargetArchivePath = s->files.windowsPath(host); }
    // A data file large enough that the archive takes a while to write.
    void enlargeDataFile(std::size_t bytes) {
        std::string data(bytes, '\0');
        std::uint32_t x = 12345;
        for (auto& c : data) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 24);
        }
        writeFile(*inst, inst->made.profiles[0].dataFiles[0], data);
    }
    std::vector<jobs::RunRecord> history() { return jobs::RunHistory::of(*s).records(); }

    Installation* inst = nullptr;
    FakeView view;
    app::Session* s = nullptr;
    std::string target;
};

TEST_F(WindowRunsTest, NothingBackedUpLeavesTheEarlierArchiveAndSaysWhy) {
    // The only item asked for has nothing to back up: the good backup there
    // must not be replaced by an archive of nothing.
    writeHostFile(target, "a good backup of 464 KB");
    for (const auto& name : inst->made.signatureFiles) removeFile(*inst, inst->made.signaturesFolder + "\\" + name);
    aim(target);
    check("00100000");
    main(*s).RunBackup();

    EXPECT_EQ(readHostFile(target), "a good backup of 464 KB");
    EXPECT_EQ(hostFiles(dir / "out"), std::vector<std::string>{"b.qmk"});
    ASSERT_EQ(view.messages.size(), 1u);  // and no disc offered
    EXPECT_EQ(view.messages[0].text,
              "The Backup has Failed!\t\t\t\r\n\r\nBackup Signatures\t\tFail!\t\r\n\r\n"
              "no backup written: none of the selected items of profile Outlook could be backed up\r\n\r\n"
              "failed: the signatures could not be backed up");
    EXPECT_EQ(view.messages[0].icon, Icon::Critical);
    EXPECT_TRUE(workFiles(*s).empty());
    const auto records = history();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].exitStatus, 1);
    EXPECT_EQ(records[0].message,
              "no backup written: none of the selected items of profile Outlook could be backed up");
}

TEST_F(WindowRunsTest, APartWithoutALineOfItsOwnIsNamedWhenItFails) {
    // The rules go with the personal folders, which have the only line.
    ASSERT_TRUE(removeFile(*inst, inst->made.outlookFolder + "\\Outlook.RWZ"));
    aim(target);
    check("10000000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    ASSERT_GE(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "The Backup was Completed!\t\t\t\r\n\r\nBackup Personal Folders\t\tsucceeded!\t\r\n\r\n"
              "failed: the rules could not be backed up");
    const auto records = history();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].exitStatus, 3);
    EXPECT_EQ(records[0].message, "failed: the rules could not be backed up");
}

TEST_F(WindowRunsTest, CancelStopsTheBackupAndLeavesTheEarlierArchive) {
    enlargeDataFile(48u << 20);
    // Asked while the parts are gathered, while the archive is written and
    // while it is read back.
    for (const std::string when : {"Copying Data Files", "Writing the backup file", "Checking the backup file"}) {
        SCOPED_TRACE(when);
        writeHostFile(target, "the backup before");
        view.messages.clear();
        view.statusHistory.clear();
        aim(target);
        check("10100000");
        view.onYield = [&] {
            if (startsWith(view.status, when)) main(*s).CancelPressed();
        };
        main(*s).RunBackup();
        view.onYield = nullptr;

        EXPECT_EQ(readHostFile(target), "the backup before");
        EXPECT_EQ(hostFiles(dir / "out"), std::vector<std::string>{"b.qmk"});
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, kCancelled);
        EXPECT_NE(std::find(view.statusHistory.begin(), view.statusHistory.end(), "Stopping..."),
                  view.statusHistory.end());
        EXPECT_FALSE(view.busy);
        EXPECT_TRUE(workFiles(*s).empty());
        EXPECT_EQ(history().back().message, "no backup written: the backup was cancelled");
    }
    // The next backup is not stopped by the last one's Cancel.
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    EXPECT_TRUE(startsWith(view.messages.back().text, "Do you need")) << view.messages.back().text;
    EXPECT_NE(readHostFile(target), "the backup before");
}

TEST_F(WindowRunsTest, QuitWhileABackupWorksAsksThenStopsItAndQuits) {
    enlargeDataFile(32u << 20);
    writeHostFile(target, "the backup before");
    aim(target);
    check("10000000");
    // Cancelled: the backup goes on to its end.
    bool asked = false;
    view.answers = {Answer::Cancel, Answer::Ok, Answer::Cancel};
    view.onYield = [&] {
        if (!asked && startsWith(view.status, "Writing the backup file")) {
            asked = true;
            EXPECT_FALSE(main(*s).Quit());
        }
    };
    main(*s).RunBackup();
    EXPECT_EQ(view.quitCalls, 0);
    EXPECT_NE(readHostFile(target), "the backup before");
    EXPECT_EQ(view.messages[0].text, "A backup is running. Do you want to stop it and quit?");
    EXPECT_EQ(view.messages[0].buttons, Buttons::OkCancel);

    // OK: it stops, and the window quits without another word.
    writeHostFile(target, "the backup before");
    view.messages.clear();
    view.answers = {Answer::Ok};
    asked = false;
    main(*s).RunBackup();
    EXPECT_EQ(view.quitCalls, 1);
    EXPECT_EQ(readHostFile(target), "the backup before");
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"A backup is running. Do you want to stop it and quit?"});
    // With nothing working, Quit quits at once.
    EXPECT_TRUE(main(*s).Quit());
    EXPECT_EQ(view.quitCalls, 2);
}

TEST_F(WindowRunsTest, TheStatusLineSaysWhatTheLongStepsDo) {
    aim(target);
    check("00100000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    const auto& h = view.statusHistory;
    const auto at = [&](const std::string& text) { return std::find(h.begin(), h.end(), text) - h.begin(); };
    EXPECT_LT(at("Copying Signatures..."), at("Writing the backup file 100%"));
    EXPECT_LT(at("Writing the backup file 100%"), at("Checking the backup file 100%"));
    EXPECT_LT(at("Checking the backup file 100%"), static_cast<long>(h.size()));
}

TEST_F(WindowRunsTest, EachRunLeavesItsRecord) {
    aim(target);
    check("00100000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    view.backupFileAnswers = {s->files.windowsPath(target)};
    main(*s).OpenBackupFile();
    view.restoreItems[2].checked = true;
    main(*s).RunRestore();

    const auto records = history();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, "backup");
    EXPECT_EQ(records[0].file, s->files.windowsPath(target));
    EXPECT_EQ(records[0].exitStatus, 0);
    EXPECT_EQ(records[0].message, "");
    EXPECT_EQ(records[1].kind, "restore");
    EXPECT_EQ(records[1].file, s->files.windowsPath(target));
    EXPECT_EQ(records[1].exitStatus, 0);
    // The log is a text a person reads too: one line per run.
    std::string log;
    ASSERT_TRUE(s->files.readFile(s->system.workFolderRoot() + "\\history.log", log));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

TEST_F(WindowRunsTest, CancelStopsARestoreAndTakesBackWhatItDid) {
    aim(target);
    check("11111111");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    view.backupFileAnswers = {s->files.windowsPath(target)};
    main(*s).OpenBackupFile();

    // Changed since the backup: a restore would put these back.
    const std::string signature = inst->made.signaturesFolder + "\\" + inst->made.signatureFiles[0];
    writeFile(*inst, signature, "changed since");
    const std::string registry = registryText(*inst->platform.registry);
    for (auto& box : view.restoreItems) box.checked = box.enabled;
    view.messages.clear();
    // Stopped once the signatures are done, while the stationery is taken out.
    view.onYield = [&] {
        if (startsWith(view.status, "Copying Stationeries")) main(*s).CancelPressed();
    };
    main(*s).RunRestore();
    view.onYield = nullptr;
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"The restore was stopped. Nothing was changed: the profile "
                                                            "and its files are as they were."});
    std::string bytes;
    ASSERT_TRUE(inst->platform.files->readFile(signature, bytes));
    EXPECT_EQ(bytes, "changed since");
    EXPECT_EQ(registryText(*inst->platform.registry), registry);
    EXPECT_TRUE(workFiles(*s).empty());
    EXPECT_EQ(history().back().kind, "restore");
    EXPECT_EQ(history().back().exitStatus, 1);
    EXPECT_EQ(history().back().message, "nothing was restored: the restore was cancelled");

    // Not stopped, the same restore puts the signature back.
    view.messages.clear();
    main(*s).RunRestore();
    ASSERT_TRUE(inst->platform.files->readFile(signature, bytes));
    EXPECT_NE(bytes, "changed since");
}

TEST_F(WindowRunsTest, ABackupNameWithoutExtensionIsGivenQmk) {
    const std::string chosen = s->files.windowsPath(dir / "out/nightly");
    view.saveFileAnswers = {chosen};
    main(*s).ChooseTargetFile();
    ASSERT_EQ(view.saveFileDialogs.size(), 1u);
    EXPECT_EQ(view.saveFileDialogs[0].proposedName, "qmdata12-08-26.qmk");
    EXPECT_EQ(view.targetFileText, chosen + ".qmk");
    EXPECT_EQ(s->state.TargetArchivePath, chosen + ".qmk");

    // That name is a file already: the dialog asked of the other one.
    writeHostFile(dir / "out/nightly.qmk", "older");
    view.saveFileAnswers = {chosen, chosen};
    view.answers = {Answer::Cancel, Answer::Ok};
    main(*s).ChooseTargetFile();
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{chosen + ".qmk already exists.\r\nDo you want to replace it?"});
    EXPECT_EQ(s->state.TargetArchivePath, "");
    main(*s).ChooseTargetFile();
    EXPECT_EQ(s->state.TargetArchivePath, chosen + ".qmk");

    // A name with an extension keeps it.
    view.saveFileAnswers = {chosen + ".bak"};
    main(*s).ChooseTargetFile();
    EXPECT_EQ(s->state.TargetArchivePath, chosen + ".bak");
}

TEST_F(WindowRunsTest, ABackupFileIsTestedAsARestoreWouldReadIt) {
    aim(target);
    check("10100000");
    view.answers = {Answer::Ok, Answer::Cancel};
    main(*s).RunBackup();
    const std::string file = s->files.windowsPath(target);
    const auto entries = sevenZipEntries(target);

    view.messages.clear();
    view.backupFileAnswers = {file};
    main(*s).TestBackupFile();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              file + "\r\n\r\nAll " + std::to_string(entries.size()) + " entries read back whole.");
    EXPECT_EQ(view.messages[0].icon, Icon::Information);
    EXPECT_EQ(view.backupFileDialogs.back().title, "Test a Backup File");
    EXPECT_FALSE(view.busy);

    // One flipped byte inside the first entry's data (after its local
    // header: 30 bytes, its name and its extra field).
    std::string bytes = readHostFile(target);
    const auto word = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    const std::size_t data = 30 + word(26) + word(28);
    ASSERT_GT(word(18) | word(20) << 16, 8u);  // its stored size
    bytes[data + 4] ^= 0x55;
    writeHostFile(target, bytes);
    view.messages.clear();
    view.backupFileAnswers = {file};
    main(*s).TestBackupFile();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].text.find("damaged entry: "), std::string::npos) << view.messages[0].text;
    EXPECT_NE(view.messages[0].text.find(" entries do not read back whole"), std::string::npos);
    EXPECT_EQ(view.messages[0].icon, Icon::Critical);

    view.messages.clear();
    writeHostFile(dir / "out/notes.txt", "no archive");
    view.backupFileAnswers = {s->files.windowsPath(dir / "out/notes.txt"), s->files.windowsPath(dir / "out/gone.qmk")};
    main(*s).TestBackupFile();
    main(*s).TestBackupFile();
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{s->files.windowsPath(dir / "out/notes.txt") +
                                            ": not a backup file that can be opened (Invalid backup file)",
                                        s->files.windowsPath(dir / "out/gone.qmk") + ": no such file"}));
}

// The presenter of a window with what the program around it gives.
class WindowContextTest : public WindowRunsTest {
protected:
    runs::MainPresenter& presenter() {
        if (!presenter_) presenter_ = std::make_unique<runs::MainPresenter>(*s, view, context);
        return *presenter_;
    }
    void TearDown() override {
        presenter_.reset();
        WindowRunsTest::TearDown();
    }
    runs::MainContext context;
    std::vector<platform::PlatformOptions> opened;
    std::string refusal;

private:
    std::unique_ptr<runs::MainPresenter> presenter_;
};

TEST_F(WindowContextTest, TheInstallationInViewAndAnotherOneOpened) {
    context.place = {"/home/alice/.wine", "alice"};
    context.options.workRoot = "/state";
    context.options.codePage = "1251";
    context.openInstallation = [&](const platform::PlatformOptions& options, std::string& why) {
        opened.push_back(options);
        why = refusal;
        return refusal.empty();
    };
    ASSERT_TRUE(presenter().InitializeMainWindow());
    EXPECT_EQ(view.installationText, "Wine prefix /home/alice/.wine, user alice");

    // A folder that is no prefix is refused with why.
    view.folderAnswers = {dir / "nothing"};
    presenter().OpenAnotherInstallation();
    EXPECT_EQ(view.folderStarts, std::vector<std::string>{"/home/alice/.wine"});
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"The Outlook installation cannot be opened: " + (dir / "nothing") +
                                       " is not a Wine prefix: no such folder"});
    EXPECT_TRUE(opened.empty());

    // A prefix of two users: chosen from its list, alice first.
    ASSERT_TRUE(MiniPrefix::make(dir / "two", "bob"));
    fs::create_directories(dir / "two/drive_c/users/alice");
    fs::create_directories(dir / "two/drive_c/users/Public");
    view.messages.clear();
    view.folderAnswers = {dir / "two"};
    view.listAnswers = {"bob"};
    presenter().OpenAnotherInstallation();
    ASSERT_EQ(view.listChoices.size(), 1u);
    EXPECT_EQ(view.listChoices[0], (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(view.listCurrents[0], "alice");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].prefix, dir / "two");
    EXPECT_EQ(opened[0].userName, "bob");
    EXPECT_EQ(opened[0].workRoot, "/state");
    EXPECT_EQ(opened[0].codePage, "");  // the other prefix's own
    EXPECT_TRUE(view.messages.empty());

    // Cancelling the list opens nothing; a refusal is shown.
    view.folderAnswers = {dir / "two"};
    presenter().OpenAnotherInstallation();
    EXPECT_EQ(opened.size(), 1u);
    ASSERT_TRUE(MiniPrefix::make(dir / "one", "carol"));
    refusal = "cannot make a work folder";
    view.folderAnswers = {dir / "one"};
    presenter().OpenAnotherInstallation();
    EXPECT_EQ(view.listChoices.size(), 2u);  // one user: not asked
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].userName, "carol");
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"The Outlook installation cannot be opened: cannot make a work folder"});
}

TEST_F(WindowContextTest, OnlyThisInstallationWhereNoOtherCanBeOpened) {
    ASSERT_TRUE(presenter().InitializeMainWindow());
    presenter().OpenAnotherInstallation();
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{"This program works on the Windows it runs in, for the user who runs it."});
    EXPECT_TRUE(view.folderStarts.empty());
}

TEST_F(WindowContextTest, AFailedScheduledBackupIsToldOnceWhenTheWindowOpens) {
    jobs::RunHistory history = jobs::RunHistory::of(*s);
    std::string why;
    ASSERT_TRUE(history.append({"2026-12-06 23:30:00", "scheduled", "/b.qmk", 0, ""}, why));
    ASSERT_TRUE(
        history.append({"2026-12-07 23:30:00", "scheduled", "/b.qmk", 1, "no backup written: no profile"}, why));
    ASSERT_TRUE(history.append({"2026-12-08 01:00:00", "backup", "/c.qmk", 1, "not a scheduled run"}, why));
    ASSERT_TRUE(presenter().InitializeMainWindow());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "The scheduled backup into /b.qmk failed on 2026-12-07 23:30:00:\r\nno backup written: no profile");
    EXPECT_EQ(view.messages[0].icon, Icon::Exclamation);

    // Told: the next opening says nothing, until another one fails.
    view.messages.clear();
    runs::MainPresenter again(*s, view, context);
    ASSERT_TRUE(again.InitializeMainWindow());
    EXPECT_TRUE(view.messages.empty());
    ASSERT_TRUE(history.append({"2026-12-08 23:30:00", "scheduled", "/b.qmk", 3, "failed: the rules"}, why));
    runs::MainPresenter third(*s, view, context);
    ASSERT_TRUE(third.InitializeMainWindow());
    EXPECT_EQ(view.messageTexts(),
              std::vector<std::string>{
                  "The scheduled backup into /b.qmk failed on 2026-12-08 23:30:00:\r\nfailed: the rules"});
}

class FakeShell : public platform::Shell {
public:
    bool starts = false;
    std::vector<std::string> asked;
    bool openFolder(const std::string& folder) override { return ask(folder); }
    bool openWebPage(const std::string& address) override { return ask(address); }
    bool openHelp(const std::string& helpFile) override { return ask(helpFile); }
    bool openDocument(const std::string& file) override { return ask(file); }

private:
    bool ask(const std::string& what) {
        asked.push_back(what);
        return starts;
    }
};

TEST_F(WindowContextTest, HelpWithoutABrowserOpensInAWindowOfItsOwn) {
    FakeShell shell;
    context.shell = &shell;
    context.helpFile = "/opt/qm/help/index.html";
    context.website = "https://quillmark.example.org/";
    presenter().ShowHelp();
    presenter().ShowWebsite();
    EXPECT_EQ(view.helpWindows, std::vector<std::string>{"/opt/qm/help/index.html"});
    EXPECT_EQ(
        view.messageTexts(),
        std::vector<std::string>{"No web browser could be started. Our web page is https://quillmark.example.org/"});

    // With a browser both go to it.
    shell.starts = true;
    view.messages.clear();
    presenter().ShowHelp();
    presenter().ShowWebsite();
    EXPECT_EQ(view.helpWindows.size(), 1u);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(shell.asked.size(), 4u);
}

}  // namespace
}  // namespace qm::test
