// The main window driven as a user drives it.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "gui/GuiFixture.h"
#include "platform/RegistryAccess.h"

namespace qm::test {
namespace {

using app::Answer;

// Picks an entry of the pop-up menu that opens next, as a user picks it
// with the keyboard.
void chooseInNextMenu(const QString& entry, int attempts = 200) {
    QTimer::singleShot(5, [entry, attempts] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible())
                for (QAction* a : menu->actions())
                    if (a->text() == entry) {
                        menu->setActiveAction(a);
                        QTest::keyClick(menu, Qt::Key_Return);
                        return;
                    }
        if (attempts > 0) chooseInNextMenu(entry, attempts - 1);
    });
}

TEST_F(GuiTest, ItemsTabsAndTheActionCaption) {
    auto& w = open(install("alice", "14.0"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quillmark V2.70"));
    // Outlook 2010 keeps no address book: select all leaves it clear.
    EXPECT_FALSE(backupBox(4)->isEnabled());
    EXPECT_EQ(backupBox(4)->toolTip(), QStringLiteral("Your MS Outlook don't support Personal Address Book!"));
    auto* frame = find<QGroupBox>(QStringLiteral("backupItems"));
    chooseInNextMenu(QStringLiteral("Select all items"));
    emit frame->customContextMenuRequested(QPoint(5, 5));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(backupBox(i)->isChecked(), i != 4) << i;
    chooseInNextMenu(QStringLiteral("Deselect all items"));
    emit frame->customContextMenuRequested(QPoint(5, 5));
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(backupBox(i)->isChecked()) << i;

    auto* tabs = find<QTabWidget>(QStringLiteral("SSTab1"));
    auto* apply = find<QPushButton>(QStringLiteral("cmdApply"));
    for (int tab : {1, 0, 1, 1, 0}) {
        tabs->setCurrentIndex(tab);
        // With its mnemonic, the same letter on either tab.
        EXPECT_EQ(apply->text(), tab == 0 ? QStringLiteral("Backup &Now") : QStringLiteral("Restore &Now"));
    }
}

TEST_F(GuiTest, TheWindowNamesTheOutlookAndListsItsModernProfilesDefaultFirst) {
    GuiInstallation& inst = install("alice", "16.0", "Outlook", "Work");
    // Work is the profile Outlook starts with.
    std::string sub = "Software\\Microsoft\\Office\\16.0\\Outlook";
    ASSERT_EQ(platform::writeValue(*inst.platform.registry, platform::RootKey::CurrentUser, sub, "DefaultProfile",
                                   platform::RegType::Sz, std::string("Work") + '\0'),
              platform::RegStatus::Success);
    auto& w = open(inst);
    (void)w;
    EXPECT_EQ(find<QLabel>(QStringLiteral("lblOutlook"))->text(), QStringLiteral("Outlook for Microsoft 365 (16.0)"));
    for (const char* box : {"cbSource", "cbTarget"}) {
        auto* profiles = find<QComboBox>(QString::fromLatin1(box));
        ASSERT_EQ(profiles->count(), 2) << box;
        EXPECT_EQ(profiles->itemText(0), QStringLiteral("Work")) << box;
        EXPECT_EQ(profiles->currentText(), QStringLiteral("Work")) << box;
    }
    // Everything but the address book; Work's only store is a cache.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(backupBox(i)->isEnabled(), i != 4) << i;
}

TEST_F(GuiTest, PasswordBoxes) {
    open(install("alice", "11.0"));
    auto* protect = find<QCheckBox>(QStringLiteral("ifprotect"));
    auto* first = find<QLineEdit>(QStringLiteral("txtPassword"));
    auto* second = find<QLineEdit>(QStringLiteral("txtPassword2"));
    EXPECT_FALSE(first->isEnabled());
    QTest::mouseClick(protect, Qt::LeftButton);
    ASSERT_TRUE(first->isEnabled());
    QTest::keyClicks(first, QString(25, QLatin1Char('p')));
    QTest::keyClicks(second, QString(25, QLatin1Char('p')));
    EXPECT_EQ(first->text().size(), 20);
    EXPECT_EQ(second->text().size(), 25);

    // The two differ now: the backup stops at its password check.
    gui::FilePickers::setNextFileName((dir / "b.qmk"));
    click(QStringLiteral("cmdTargetFile"));
    backupBox(2)->setChecked(true);
    click(QStringLiteral("cmdApply"));
    EXPECT_EQ(messages(), std::vector<std::string>{"Incorect Password!"});
    EXPECT_FALSE(std::filesystem::exists(dir / "b.qmk"));

    // Unticking and ticking again empties both boxes.
    QTest::mouseClick(protect, Qt::LeftButton);
    EXPECT_TRUE(first->text().isEmpty());
    EXPECT_FALSE(first->isEnabled());
    QTest::mouseClick(protect, Qt::LeftButton);
    EXPECT_TRUE(first->text().isEmpty());
    EXPECT_TRUE(second->text().isEmpty());
}

TEST_F(GuiTest, BackupNowFromTheMenuOnTheRestoreTabAndRestoreNowWithoutConfirmation) {
    open(install("alice", "11.0"));
    find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
    trigger(QStringLiteral("mnuBackupNow"));
    EXPECT_EQ(messages(), std::vector<std::string>{"Invalid backup file."});  // the backup run's first check

    gui::MessageBoxes::reset();
    gui::MessageBoxes::answerUnaskedWith(Answer::Ok);
    click(QStringLiteral("cmdApply"));  // the confirmation first; Ok by default
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0].rfind("Your current Email and News messages will be replaced", 0), 0u);
    EXPECT_EQ(messages()[1], "Invalid backup file.");

    gui::MessageBoxes::reset();
    gui::MessageBoxes::answerUnaskedWith(Answer::Ok);
    gui::MessageBoxes::setNextAnswer(Answer::Cancel);
    click(QStringLiteral("cmdApply"));
    EXPECT_EQ(messages().size(), 1u);  // cancelled: no restore

    gui::MessageBoxes::reset();
    gui::MessageBoxes::answerUnaskedWith(Answer::Ok);
    trigger(QStringLiteral("restorenow"));
    EXPECT_EQ(messages(), std::vector<std::string>{"Invalid backup file."});
}

// A whole backup, then its restore into another installation and profile,
// as a user makes them through the window.
TEST_F(GuiTest, BackupAndRestoreThroughTheWindow) {
    auto& alice = install("alice", "11.0");
    open(alice);
    const std::string archive = dir / "alice.qmk";
    gui::FilePickers::setNextFileName(archive);
    click(QStringLiteral("cmdTargetFile"));
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("txtTargetFile"))->text().toStdString(), archive);
    chooseInNextMenu(QStringLiteral("Select all items"));
    emit find<QGroupBox>(QStringLiteral("backupItems"))->customContextMenuRequested(QPoint(5, 5));
    QTest::keyClicks(find<QPlainTextEdit>(QStringLiteral("txtAttachInfo")), QStringLiteral("Before the move"));
    gui::MessageBoxes::setNextAnswer(Answer::Ok);
    gui::MessageBoxes::setNextAnswer(Answer::Cancel);  // no disc
    click(QStringLiteral("cmdApply"));
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0], "The Backup was Completed!\t\t\t\r\n"
                             "\r\nBackup Personal Folders\t\tsucceeded!\t"
                             "\r\nBackup Accounts Settings\tsucceeded!\t"
                             "\r\nBackup Signatures\t\tsucceeded!\t"
                             "\r\nBackup Stationeries\t\tsucceeded!\t"
                             "\r\nBackup Personal Address Book\t\tsucceeded!\t"
                             "\r\nBackup Options Settings\t\tsucceeded!\t"
                             "\r\nBackup Templates\t\tsucceeded!\t"
                             "\r\nBackup Preferences\t\tsucceeded!\t");
    EXPECT_EQ(messages()[1], "Do you need to backup your data to CD-R/RW or DVD?");
    EXPECT_FALSE(find<QFrame>(QStringLiteral("picCon3"))->isVisible());
    ASSERT_TRUE(std::filesystem::exists(archive));

    gui::MessageBoxes::reset();
    gui::MessageBoxes::answerUnaskedWith(Answer::Ok);
    auto& bob = install("bob", "11.0", "Home", "Work");
    open(bob);
    find<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
    gui::FilePickers::setNextFileName(archive);
    click(QStringLiteral("cmdSourceFile"));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(find<QPlainTextEdit>(QStringLiteral("txtFileInfo"))->toPlainText(), QStringLiteral("Before the move"));
    EXPECT_TRUE(find<QPlainTextEdit>(QStringLiteral("txtPOBinfo"))->toPlainText().contains(QStringLiteral("Profile:Outlook")));
    find<QComboBox>(QStringLiteral("cbTarget"))->setCurrentText(QStringLiteral("Work"));
    chooseInNextMenu(QStringLiteral("Select all items"));
    emit find<QGroupBox>(QStringLiteral("restoreItems"))->customContextMenuRequested(QPoint(5, 5));
    click(QStringLiteral("cmdApply"));  // confirmed with Ok
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1], "The Restore was Completed!\t\t\t\r\n"
                             "\r\nRestore Personal Folders\t\tsucceeded!\t"
                             "\r\nRestore Accounts Settings\t\tsucceeded!\t"
                             "\r\nRestore Signatures\t\t\tsucceeded!\t"
                             "\r\nRestore Stationeries\t\t\tsucceeded!\t"
                             "\r\nRestore Personal Address Book\t\tsucceeded!\t"
                             "\r\nRestore Options Settings\t\tsucceeded!\t"
                             "\r\nRestore Templates\t\t\tsucceeded!\t"
                             "\r\nRestore Preferences\t\t\tsucceeded!\t");
    EXPECT_EQ(find<QLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("Operation complete!"));
    std::string rules;
    EXPECT_TRUE(bob.platform.files->readFile(bob.made.outlookFolder + "\\Work.RWZ", rules));
}

// The window keeps answering while a large file is written: a timer set
// before the write fires during it, and commands that would start another
// run are refused meanwhile.
TEST_F(GuiTest, TheEventLoopTurnsWhileALargeFileIsWritten) {
    auto& alice = install("alice", "11.0");
    const std::string big = alice.made.profiles[0].dataFiles[0];
    ASSERT_TRUE(alice.platform.files->writeFile(big, std::string(96u << 20, 'x')));
    open(alice);
    gui::FilePickers::setNextFileName(dir / "big.qmk");
    click(QStringLiteral("cmdTargetFile"));
    backupBox(0)->setChecked(true);
    int fired = 0;
    bool sawBusy = false;
    bool refused = true;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++fired;
        if (find<QFrame>(QStringLiteral("picCon3"))->isVisible()) sawBusy = true;
        // A second backup started now must not run inside this one.
        if (context_->session.running() && find<QPushButton>(QStringLiteral("cmdApply"))->isEnabled())
            refused = false;
    });
    timer.start(5);
    gui::MessageBoxes::setNextAnswer(Answer::Ok);
    gui::MessageBoxes::setNextAnswer(Answer::Cancel);
    click(QStringLiteral("cmdApply"));
    timer.stop();
    EXPECT_GE(fired, 3);
    EXPECT_TRUE(sawBusy);
    EXPECT_TRUE(refused);
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages()[0].rfind("The Backup was Completed!", 0), 0u);
    EXPECT_EQ(find<QLabel>(QStringLiteral("SkinLabel10"))->text(), QString());
}

}  // namespace
}  // namespace qm::test
