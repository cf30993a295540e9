// Opening backup files and restoring them into another installation.
#include <filesystem>

#include "archive/InfoFile.h"
#include "frontend/ExitStatus.h"
#include "jobs/AutomaticBackup.h"
#include "jobs/RestoreJob.h"
#include "jobs/RestoreRequest.h"
#include "runs/MainPresenter.h"
#include "runs/RunsFixture.h"

namespace qm::test {
namespace {

using app::Answer;
using app::Buttons;
using app::Icon;
namespace fs = std::filesystem;

const char* const kAllRestored =
    "The Restore was Completed!\t\t\t\r\n"
    "\r\nRestore Personal Folders\t\tsucceeded!\t"
    "\r\nRestore Accounts Settings\t\tsucceeded!\t"
    "\r\nRestore Signatures\t\t\tsucceeded!\t"
    "\r\nRestore Stationeries\t\t\tsucceeded!\t"
    "\r\nRestore Personal Address Book\t\tsucceeded!\t"
    "\r\nRestore Options Settings\t\tsucceeded!\t"
    "\r\nRestore Templates\t\t\tsucceeded!\t"
    "\r\nRestore Preferences\t\t\tsucceeded!\t";

class RestoreRunTest : public RunsTest {
protected:
    void SetUp() override {
        sample::SampleOptions from;
        from.outlook = "11.0";
        source = &install("source", from, Backend::WinePrefix);
        fs::create_directories(dir / "out");
        plain = dir / "out/plain.qmk";
        locked = dir / "out/locked.qmk";
        backup(plain, "", "Line one\nLine two");
        // The protected one as a scheduled job writes it.
        int status = -1;
        std::string log = capture(quillmark(*source, shq("sf=Outlookxm=11111111ps=pa55bf=" + locked)) + " 2>&1", &status);
        ASSERT_EQ(status, 0) << log;

        sample::SampleOptions to;
        to.outlook = "11.0";
        to.user = "bob";
        to.profile = "Home";
        to.secondProfile = "Work";
        target = &install("target", to);
        s = &start(*target, view);
    }

    void backup(const std::string& host, const std::string& password, const std::string& description) {
        FakeView v;
        app::Session& b = start(*source, v);
        b.state.TargetArchivePath = b.files.windowsPath(host);
        for (auto& box : v.backupItems) box.checked = true;
        v.protect = !password.empty();
        v.passwordText = v.password2Text = password;
        v.descriptionText = description;
        v.answers = {Answer::Ok, Answer::Cancel};
        main(b).RunBackup();
        ASSERT_TRUE(fs::exists(host));
    }

    // Opens a host file through the dialog.
    void open(const std::string& host, std::deque<std::optional<std::string>> passwords = {}) {
        view.messages.clear();
        view.backupFileAnswers = {host.empty() ? std::string() : s->files.windowsPath(host)};
        view.passwordAnswers = std::move(passwords);
        main(*s).OpenBackupFile();
    }
    std::string enabledRestoreBoxes() const {
        std::string pattern;
        for (const auto& box : view.restoreItems) pattern += box.enabled ? '1' : '0';
        return pattern;
    }
    void checkRestore(const std::string& pattern) {
        for (int i = 0; i < 8; ++i) view.restoreItems[i].checked = pattern[i] == '1';
    }
    // A ZIP made by the zip tool from host files, for archives this program
    // would never write.
    std::string foreignArchive(const std::string& name, const std::string& infoText) {
        std::string folder = dir / ("foreign-" + name);
        fs::create_directories(folder);
        writeHostFile(folder + "/note.txt", "not a backup");
        if (!infoText.empty()) writeHostFile(folder + "/quillmark.dat", infoText);
        std::string archive = dir / ("out/" + name + ".qmk");
        EXPECT_EQ(shell("cd " + shq(folder) + " && zip -q " + shq(archive) + " *"), 0);
        return archive;
    }

    Installation* source = nullptr;
    Installation* target = nullptr;
    std::string plain, locked;
    bool loaded() { return main(*s).loadedBackup() != nullptr; }

    FakeView view;
    app::Session* s = nullptr;
};

TEST_F(RestoreRunTest, OpeningShowsFactsDescriptionAndEnablesRecordedItems) {
    open(plain);
    ASSERT_EQ(view.backupFileDialogs.size(), 1u);
    EXPECT_EQ(view.backupFileDialogs[0].title, "Restore Date from a Backup file");
    EXPECT_EQ(view.backupFileDialogs[0].filter, "Quillmark File (*.qmk)|*.qmk");
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(view.passwordAsked, 0);
    EXPECT_TRUE(loaded());
    EXPECT_EQ(main(*s).loadedBackup()->flags, "1111111111");
    EXPECT_EQ(enabledRestoreBoxes(), "11111111");
    EXPECT_EQ(view.sourceFileText, s->files.windowsPath(plain));

    InfoLines info = parseInfo(sevenZipRead(plain, archive::kInfoFileName));
    EXPECT_EQ(view.backupFacts, "Computer:" + info["BackupComputer"] + "\r\nUser:" + info["BackupLogonUser"] +
                                    "\r\nBackup Time:" + info["BackupTime"] + "\r\nProfile:Outlook" +
                                    "\r\nOutlook Version:Outlook 2003");
    EXPECT_EQ(view.backupDescription, "Line one\r\nLine two");
    EXPECT_EQ(main(*s).loadedBackup()->values[4], info["BackupSignatures"]);
    EXPECT_EQ(main(*s).loadedBackup()->values[0], info["BackupConfig"]);
    // The extracted information file is gone again.
    EXPECT_TRUE(workFiles(*s).empty());
}

TEST_F(RestoreRunTest, PasswordsAndTheCancelledPrompt) {
    // A fresh start tries the empty password when the prompt is cancelled.
    open(locked, {std::nullopt});
    EXPECT_EQ(view.passwordAsked, 1);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Incorect Password or Invalid backup file");
    EXPECT_EQ(view.messages[0].icon, Icon::Information);
    EXPECT_FALSE(loaded());
    EXPECT_EQ(enabledRestoreBoxes(), "00000000");

    open(locked, {std::string("wrong")});
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Incorect Password or Invalid backup file"});

    open(locked, {std::string("pa55")});
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(loaded());
    EXPECT_EQ(enabledRestoreBoxes(), "11111111");
    EXPECT_EQ(view.backupDescription, "Automatic Backup");
    EXPECT_NE(view.backupFacts.find("\r\nProfile:Outlook\r\n"), std::string::npos);

    // Cancelled now: the password confirmed before still opens it.
    open(locked, {std::nullopt});
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(enabledRestoreBoxes(), "11111111");
    EXPECT_EQ(s->state.RestorePassword, "pa55");

    // The protected entries come out with it.
    checkRestore("00100000");
    main(*s).RunRestore();
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"The Restore was Completed!\t\t\t\r\n"
                                                            "\r\nRestore Signatures\t\t\tsucceeded!\t"});
    for (const auto& sig : source->made.signatureFiles)
        EXPECT_TRUE(exists(*target, target->made.signaturesFolder + "\\" + sig)) << sig;
}

TEST_F(RestoreRunTest, FilesThatAreNoBackups) {
    const std::string notZip = dir / "out/text.qmk";
    writeHostFile(notZip, "just some text, no archive");
    const std::string noInfo = foreignArchive("noinfo", "");
    const std::string shortFlags =
        foreignArchive("short", "BackupComputer=PC\r\nBackupIdentity=Outlook\r\nBackupItem=111111111\r\n");
    const std::string longFlags = foreignArchive("long", "BackupItem=11111111110\r\n");
    // An empty line ends the information: the flags after it are not read.
    const std::string gap = foreignArchive("gap", "BackupComputer=PC\r\n\r\nBackupItem=1111111111\r\n");

    for (const auto& file : {notZip, noInfo, shortFlags, longFlags, gap}) {
        SCOPED_TRACE(file);
        // A good file first, so that nothing of it can stand in for the bad one.
        open(plain);
        ASSERT_TRUE(loaded());
        open(file);
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, "Invalid backup file");
        EXPECT_EQ(view.messages[0].icon, Icon::Critical);
        EXPECT_FALSE(loaded());
        EXPECT_EQ(enabledRestoreBoxes(), "00000000");
        EXPECT_TRUE(workFiles(*s).empty());
    }

    // A cancelled dialog changes nothing but the boxes.
    open(plain);
    open("");
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(loaded());
    EXPECT_EQ(enabledRestoreBoxes(), "00000000");
    EXPECT_EQ(view.sourceFileText, "");
}

TEST_F(RestoreRunTest, RestoreIntoAnotherProfileOfAnotherInstallation) {
    open(plain);
    checkRestore("11111111");
    view.targetText = "Work";
    view.progressHistory.clear();
    view.statusHistory.clear();
    main(*s).RunRestore();

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, kAllRestored);
    EXPECT_EQ(view.messages[0].icon, Icon::Information);
    EXPECT_EQ(view.statusHistory,
              (std::vector<std::string>{"Copying Config...", "Copying Data Files (Pst Files)...", "Copying Rules...",
                                        "Copying Accounts...", "Copying Signatures...", "Copying Stationeries...",
                                        "Copying Address Book...", "Copying Options...", "Copying Templates...",
                                        "Copying Setting...", "Operation complete!"}));
    EXPECT_EQ(view.progressHistory, (std::vector<int>{10, 10, 20, 30, 45, 55, 65, 70, 75, 80, 85, 100, 0}));
    EXPECT_FALSE(view.busy);
    EXPECT_EQ(view.hourglassHistory.back(), false);

    // The saved profile's rules became the target profile's, and the data
    // files landed in the restore folder.
    const auto& made = target->made;
    EXPECT_TRUE(exists(*target, made.outlookFolder + "\\Work.RWZ"));
    for (const auto& data : source->made.profiles[0].dataFiles) {
        std::string name = data.substr(data.rfind('\\') + 1);
        EXPECT_TRUE(exists(*target, made.userProfileFolder +
                                                   "\\Local Settings\\Application Data\\Microsoft\\Outlook\\" + name))
            << name;
    }
    for (const auto& sig : source->made.signatureFiles)
        EXPECT_TRUE(exists(*target, made.signaturesFolder + "\\" + sig)) << sig;
    // Nothing extracted is left in the run's folder.
    EXPECT_TRUE(workFiles(*s).empty());
}

TEST_F(RestoreRunTest, RefusalsAndTheConfirmation) {
    // Nothing opened yet.
    checkRestore("00100000");
    main(*s).RunRestore();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Invalid backup file.");
    EXPECT_EQ(view.messages[0].icon, Icon::Critical);

    open(plain);
    checkRestore("00000000");
    main(*s).RunRestore();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Please select at least one item.");
    EXPECT_EQ(view.messages[0].icon, Icon::Exclamation);

    // The action button on the restore tab asks first; Cancel restores nothing.
    const std::string confirm =
        "Your current Email and News messages will be replaced with the messages from the selected backup file."
        "\r\n\r\nDo you want to countinue?";
    view.tab = app::Tab::Restore;
    checkRestore("00100000");
    view.messages.clear();
    view.answers = {Answer::Cancel};
    main(*s).ApplyPressed();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, confirm);
    EXPECT_EQ(view.messages[0].icon, Icon::Information);
    EXPECT_EQ(view.messages[0].buttons, Buttons::OkCancel);

    view.messages.clear();
    view.answers = {Answer::Ok};
    main(*s).ApplyPressed();
    EXPECT_EQ(view.messageTexts(),
              (std::vector<std::string>{confirm, "The Restore was Completed!\t\t\t\r\n"
                                                 "\r\nRestore Signatures\t\t\tsucceeded!\t"}));

    // The menu entry restores without asking.
    view.messages.clear();
    main(*s).RunRestore();
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"The Restore was Completed!\t\t\t\r\n"
                                                            "\r\nRestore Signatures\t\t\tsucceeded!\t"});

    // On the backup tab the button is the backup run (no target chosen).
    view.tab = app::Tab::Backup;
    view.messages.clear();
    main(*s).ApplyPressed();
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Invalid backup file."});
}

TEST_F(RestoreRunTest, FailedSignaturesAndConfigRules) {
    // A file where the signatures folder belongs: that folder cannot be made.
    const std::string sigs = target->made.signaturesFolder;
    removeTree(*target, sigs);
    writeFile(*target, sigs, "in the way");
    open(plain);
    checkRestore("00100000");
    main(*s).RunRestore();
    // Found before anything changes: the restore stops and says where.
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "cannot make the folder " + sigs);
    EXPECT_EQ(view.messages[0].icon, Icon::Critical);

    // Accounts alone also restores the profile configuration first.
    view.messages.clear();
    view.statusHistory.clear();
    checkRestore("01000000");
    main(*s).RunRestore();
    EXPECT_EQ(view.statusHistory,
              (std::vector<std::string>{"Copying Config...", "Copying Accounts...", "Operation complete!"}));
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"The Restore was Completed!\t\t\t\r\n"
                                                            "\r\nRestore Accounts Settings\t\tsucceeded!\t"});
    EXPECT_TRUE(workFiles(*s).empty());
}

// The items a backup holds are those its opening enables; a restore that
// nobody watches ends with 0 when every step that ran succeeded, 3 when
// some did, 1 when none did.
TEST_F(RestoreRunTest, HeldItemsAndHowARestoreEnds) {
    using items::restorableItems;
    using Items = items::ItemSelection;
    EXPECT_EQ(restorableItems("1100000000"), (Items{true, false, false, false, false, false, false, false}));
    EXPECT_EQ(restorableItems("1001000000"), (Items{false, true, false, false, false, false, false, false}));
    EXPECT_EQ(restorableItems("1010000001"), (Items{false, false, false, false, false, false, false, true}));
    EXPECT_EQ(restorableItems("0000001000"), (Items{false, false, false, false, true, false, false, false}));
    EXPECT_EQ(restorableItems("short"), Items{});

    open(plain);
    ASSERT_EQ(restorableItems(main(*s).loadedBackup()->flags), (Items{true, true, true, true, true, true, true, true}));
    const std::string sigs = target->made.signaturesFolder;
    removeTree(*target, sigs);
    writeFile(*target, sigs, "in the way");
    const jobs::OpenedBackup& opened = *main(*s).loadedBackup();
    auto restore = [&](const std::string& digits) {
        jobs::RestoreRequest request;
        request.items = items::selectionFromDigits(digits);
        request.targetProfile = [] { return std::string("Work"); };
        jobs::JobEvents quiet;
        return frontend::ExitStatusOf(jobs::RunRestoreJob(*s, opened, request, quiet));
    };
    EXPECT_EQ(restore("00010000"), frontend::kExitDone);
    // A target that cannot be written stops the whole restore.
    EXPECT_EQ(restore("00110000"), frontend::kExitFailed);
    EXPECT_EQ(restore("00100000"), frontend::kExitFailed);
    EXPECT_EQ(restore("00000000"), frontend::kExitFailed);
    removeTree(*target, sigs);

    // A typed profile name must be one of the installation's.
    const std::string registry = registryText(*target->platform.registry);
    jobs::RestoreChoices typed;
    typed.kind = jobs::RunKind::Console;
    typed.items = items::selectionFromDigits("11111111");
    typed.targetProfile = [] { return std::string("Wrok"); };
    jobs::RestoreRequest request;
    jobs::Refusal refusal;
    EXPECT_FALSE(jobs::BuildRestoreRequest(*s, &opened, typed, request, refusal));
    EXPECT_EQ(refusal.text, "the profile Wrok is not one of this installation's profiles (Home, Work)");
    EXPECT_TRUE(refusal.runFailed);
    EXPECT_EQ(registryText(*target->platform.registry), registry);
    typed.targetProfile = [] { return std::string("WORK"); };
    ASSERT_TRUE(jobs::BuildRestoreRequest(*s, &opened, typed, request, refusal)) << refusal.text;
    EXPECT_EQ(request.targetProfile(), "Work");
    jobs::JobEvents quiet;
    EXPECT_TRUE(jobs::RunRestoreJob(*s, opened, request, quiet).failure.empty());

    // A part that fails on its own (a recorded name that would lead out of
    // its folder) does not stop the others: they are in place, and 3.
    const std::string folder = dir / "foreign-mixed";
    fs::create_directories(folder);
    writeHostFile(folder + "/ok.htm", "<p>ok</p>");
    writeHostFile(folder + "/quillmark.dat",
                  "BackupComputer=PC\r\nBackupSignatures=..\\evil.htm\r\n"
                  "BackupStationery=ok.htm\r\nBackupItem=0000110000\r\n");
    const std::string mixed = dir / "out/mixed.qmk";
    ASSERT_EQ(shell("cd " + shq(folder) + " && zip -q " + shq(mixed) + " *"), 0);
    open(mixed);
    ASSERT_TRUE(loaded());
    request.items = items::selectionFromDigits("00110000");
    const jobs::RestoreReport partly = jobs::RunRestoreJob(*s, *main(*s).loadedBackup(), request, quiet);
    EXPECT_EQ(frontend::ExitStatusOf(partly), frontend::kExitPartsFailed) << partly.failure;
    EXPECT_TRUE(exists(*target, target->made.stationeryFolder + "\\ok.htm"));
}

}  // namespace
}  // namespace qm::test

namespace qm::test {
namespace {

// An archive that holds only some parts, opened through the window's own
// handler: only their boxes come on, and a restore runs only their steps,
// each row moving the bar by its own amount.
TEST_F(RestoreRunTest, OnlyTheRecordedPartsOpenAndRun) {
    const std::string partial = dir / "out/partial.qmk";
    int status = -1;
    const std::string log =
        capture(quillmark(*source, shq("sf=Outlookxm=10100000ps=bf=" + partial)) + " 2>&1", &status);
    ASSERT_EQ(status, 0) << log;
    open(partial);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(enabledRestoreBoxes(), "10100000");

    checkRestore("11111111");  // also boxes the archive does not hold
    view.statusHistory.clear();
    view.progressHistory.clear();
    main(*s).RunRestore();
    EXPECT_EQ(view.statusHistory,
              (std::vector<std::string>{"Copying Config...", "Copying Data Files (Pst Files)...", "Copying Rules...",
                                        "Copying Signatures...", "Operation complete!"}));
    // 10 before the steps; then config 0, data files 10, rules 10 and 15,
    // accounts 10, signatures 10, stationery, address book, options and
    // templates 5 each, preferences nothing; then the maximum and 0.
    EXPECT_EQ(view.progressHistory,
              (std::vector<int>{10, 10, 20, 30, 45, 55, 65, 70, 75, 80, 85, 100, 0}));
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"The Restore was Completed!\t\t\t\r\n"
                                                            "\r\nRestore Personal Folders\t\tsucceeded!\t"
                                                            "\r\nRestore Signatures\t\t\tsucceeded!\t"});
}

// An archive that names entries it does not hold is found out before
// anything changes: the restore stops at the first, names it, and leaves
// the profile and its files as they were.
TEST_F(RestoreRunTest, ARecordedEntryTheArchiveLacksChangesNothing) {
    const std::string partial = foreignArchive("partial",
                                               "BackupComputer=BOX\r\nBackupConfig=QMC1.TMP\r\nBackupDatas=gone.pst\r\n"
                                               "BackupSignatures=gone.htm\r\nBackupItem=1100100000\r\n");
    open(partial);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(enabledRestoreBoxes(), "10100000");
    EXPECT_EQ(main(*s).loadedBackup()->values[1], "gone.pst");

    const std::string registry = registryText(*target->platform.registry);
    checkRestore("11111111");
    view.progressHistory.clear();
    main(*s).RunRestore();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "the backup's QMC1.TMP: The archive holds no such entry.");
    EXPECT_EQ(view.messages[0].icon, Icon::Critical);
    EXPECT_EQ(view.progressHistory, (std::vector<int>{10, 100, 0}));
    EXPECT_EQ(registryText(*target->platform.registry), registry);
    EXPECT_TRUE(workFiles(*s).empty());
}

// A wrong password after a good opening: the boxes go off and clear, and
// the file stays counted as loaded, so a restore asks for an item.
TEST_F(RestoreRunTest, AWrongPasswordAfterAGoodOpening) {
    open(locked, {std::string("pa55")});
    ASSERT_EQ(enabledRestoreBoxes(), "11111111");
    checkRestore("10000000");
    open(locked, {std::string("wrong")});
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Incorect Password or Invalid backup file"});
    EXPECT_EQ(enabledRestoreBoxes(), "00000000");
    for (const auto& box : view.restoreItems) EXPECT_FALSE(box.checked);
    EXPECT_TRUE(loaded());
    view.messages.clear();
    main(*s).RunRestore();
    EXPECT_EQ(view.messageTexts(), std::vector<std::string>{"Please select at least one item."});
}

}  // namespace
}  // namespace qm::test
