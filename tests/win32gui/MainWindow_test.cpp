// frmMain, the native window, driven as a user drives it.
#include <windows.h>

#include <commctrl.h>

#include <filesystem>

#include "items/ItemTable.h"
#include "win32gui/PasswordDialog.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"
#include "win32gui/Text.h"
#include "win32gui/WindowsFixture.h"

namespace qm::test {
namespace {

using app::Answer;
using win32gui::SystemDialogs;

TEST_F(WindowsTest, EveryControlOfBothTabsWithItsTextAndState) {
    auto& w = open(install("alice", "11.0", "Outlook", "Work"));
    EXPECT_EQ(textOf(w.hwnd()), "Quillmark V2.70");
    HWND backup = w.backupPage(), restore = w.restorePage();
    struct Expected {
        HWND page;
        int id;
        const char* text;
    };
    const Expected texts[] = {
        {backup, ID_whatFrame, "What"},
        {backup, ID_profileLabel, "Profile to backup"},
        {backup, ID_backupItems, "Items to backup"},
        {backup, ID_whereFrame, "Where"},
        {backup, ID_targetLabel, "Choose a backup finename"},
        {backup, ID_cmdTargetFile, "Browse..."},
        {backup, ID_descriptionLabel, "Description"},
        {backup, ID_securityFrame, "Security"},
        {backup, ID_ifprotect, "Protect backup file with password"},
        {backup, ID_passwordLabel, "Password:"},
        {backup, ID_password2Label, "Retype Password:"},
        {restore, ID_whereFrame, "Where"},
        {restore, ID_sourceLabel, "Choose a Backup File to Restore From"},
        {restore, ID_cmdSourceFile, "Browse..."},
        {restore, ID_descriptionLabel, "Description"},
        {restore, ID_whatFrame, "What"},
        {restore, ID_profileLabel, "Restore to profile"},
        {restore, ID_restoreItems, "Items to restore"},
        {w.hwnd(), ID_cmdAbout, "About"},
        {w.hwnd(), ID_cmdApply, "Backup Now"},
        {w.hwnd(), ID_cmdQuit, "Quit"},
        {w.busyPanel(), ID_Label1, "Please Waiting"},
        {w.busyPanel(), ID_cmdCancel, "Cancel"},
    };
    for (const auto& e : texts) EXPECT_EQ(textOf(GetDlgItem(e.page, e.id)), e.text) << e.id;

    // The items by index, with their tips; the restore tab's first tip ends
    // with a full stop, and its boxes wait for a backup to be opened.
    for (int i = 0; i < 8; ++i) {
        const auto n = static_cast<std::size_t>(i);
        EXPECT_EQ(text(ID_backupitem_0 + i), items::kItemCaptions[n]);
        EXPECT_EQ(text(ID_restoreitem_0 + i), items::kItemCaptions[n]);
        EXPECT_FALSE(checked(ID_backupitem_0 + i));
        EXPECT_TRUE(enabled(ID_backupitem_0 + i)) << i;  // Outlook 2003 has every item
        EXPECT_FALSE(enabled(ID_restoreitem_0 + i));
        EXPECT_EQ(w.toolTip(ID_restoreitem_0 + i), std::string(items::kItemTooltips[n]) + (i == 0 ? "." : ""));
    }
    EXPECT_EQ(w.toolTip(ID_backupitem_0), "Contacts, Tasks, Calendar, Notes and mail folders");
    EXPECT_EQ(w.toolTip(ID_backupitem_0 + 7),
              "View and Toolbar settings, Send and Receive group settings, control infomation and other data.");

    // Both profile lists, in the installation's order, the first shown.
    EXPECT_EQ(comboEntries(control(ID_cbSource)), (std::vector<std::string>{"Outlook", "Work"}));
    EXPECT_EQ(comboEntries(control(ID_cbTarget)), (std::vector<std::string>{"Outlook", "Work"}));
    EXPECT_EQ(text(ID_cbSource), "Outlook");
    EXPECT_EQ(text(ID_cbTarget), "Outlook");

    // The password boxes wait for the protection; the file boxes are the
    // dialogs' to fill.
    EXPECT_FALSE(checked(ID_ifprotect));
    EXPECT_FALSE(enabled(ID_txtPassword));
    EXPECT_FALSE(enabled(ID_txtPassword2));
    EXPECT_TRUE(GetWindowLongW(control(ID_txtPassword), GWL_STYLE) & ES_PASSWORD);
    for (int id : {ID_txtTargetFile, ID_txtSourceFile, ID_txtPOBinfo, ID_txtFileInfo})
        EXPECT_TRUE(GetWindowLongW(control(id), GWL_STYLE) & ES_READONLY) << id;
    EXPECT_FALSE(GetWindowLongW(control(ID_txtAttachInfo), GWL_STYLE) & ES_READONLY);

    // The busy panel is hidden, its bar at 0 of 0..100.
    EXPECT_FALSE(IsWindowVisible(w.busyPanel()));
    PBRANGE range{};
    SendMessageW(control(ID_pbshow), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(SendMessageW(control(ID_pbshow), PBM_GETPOS, 0, 0), 0);

    // The menus with their shortcuts; no "Tools": there is no disc writing here.
    HMENU bar = GetMenu(w.hwnd());
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    const auto entry = [](HMENU m, UINT position) {
        wchar_t t[128] = {};
        GetMenuStringW(m, position, t, 128, MF_BYPOSITION);
        return win32gui::utf8(t);
    };
    EXPECT_EQ(entry(bar, 0), "File(&F)");
    EXPECT_EQ(entry(bar, 1), "Option(&O)");
    EXPECT_EQ(entry(bar, 2), "Help(&H)");
    HMENU file = GetSubMenu(bar, 0), option = GetSubMenu(bar, 1), help = GetSubMenu(bar, 2);
    EXPECT_EQ(entry(file, 0), "Backup Now\tCtrl+B");
    EXPECT_EQ(entry(file, 1), "Restore Now\tCtrl+R");
    EXPECT_EQ(entry(file, 2), "Test Backup File...\tCtrl+T");
    EXPECT_EQ(entry(file, 4), "Open Installation...");
    EXPECT_EQ(entry(file, 6), "Quit\tCtrl+Q");
    EXPECT_EQ(entry(option, 0), "Task Scheduler");
    EXPECT_EQ(entry(help, 0), "Help\tF1");
    EXPECT_EQ(entry(help, 1), "Our Website\tCtrl+W");
    EXPECT_EQ(entry(help, 2), "About\tCtrl+A");
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(ID_mnuBackupNow));
    EXPECT_EQ(GetMenuItemID(file, 1), static_cast<UINT>(ID_restorenow));
}

TEST_F(WindowsTest, ItemsTabsAndTheActionCaption) {
    auto& w = open(install("alice", "14.0"));
    // Outlook 2010 keeps no address book: select all leaves it clear.
    EXPECT_FALSE(enabled(ID_backupitem_0 + 4));
    EXPECT_EQ(w.toolTip(ID_backupitem_0 + 4), "Your MS Outlook don't support Personal Address Book!");
    itemsMenu(true, ID_mnuSelectAll);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(checked(ID_backupitem_0 + i), i != 4) << i;
    itemsMenu(true, ID_mnuDeselectAll);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(checked(ID_backupitem_0 + i)) << i;

    // Choosing the profile again clears the boxes the user ticked.
    ASSERT_TRUE(click(ID_backupitem_0 + 2));
    EXPECT_TRUE(checked(ID_backupitem_0 + 2));
    ASSERT_TRUE(chooseIn(control(ID_cbSource), "Outlook"));
    EXPECT_FALSE(checked(ID_backupitem_0 + 2));

    for (app::Tab tab : {app::Tab::Restore, app::Tab::Backup, app::Tab::Restore, app::Tab::Restore, app::Tab::Backup}) {
        w.selectTab(tab);
        EXPECT_EQ(text(ID_cmdApply), tab == app::Tab::Backup ? "Backup Now" : "Restore Now");
        // Only the tab's own page shows.
        EXPECT_EQ(IsWindowVisible(w.backupPage()) != FALSE, tab == app::Tab::Backup);
        EXPECT_EQ(IsWindowVisible(w.restorePage()) != FALSE, tab == app::Tab::Restore);
    }
    // The restore side's pop-up acts on the restore boxes only: none is
    // enabled before a backup is opened.
    w.selectTab(app::Tab::Restore);
    itemsMenu(false, ID_mnuSelectAll);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(checked(ID_restoreitem_0 + i)) << i;
}

TEST_F(WindowsTest, PasswordBoxes) {
    open(install("alice", "11.0"));
    ASSERT_TRUE(click(ID_ifprotect));
    ASSERT_TRUE(enabled(ID_txtPassword));
    ASSERT_TRUE(enabled(ID_txtPassword2));
    typeInto(control(ID_txtPassword), std::string(25, 'p'));
    typeInto(control(ID_txtPassword2), std::string(25, 'p'));
    EXPECT_EQ(text(ID_txtPassword).size(), 20u);
    EXPECT_EQ(text(ID_txtPassword2).size(), 25u);

    // The two differ now: the backup stops at its password check.
    SystemDialogs::queueFileName(onZ(dir / "b.qmk"));
    ASSERT_TRUE(click(ID_cmdTargetFile));
    EXPECT_EQ(text(ID_txtTargetFile), onZ(dir / "b.qmk"));
    ASSERT_TRUE(click(ID_backupitem_0 + 2));
    ASSERT_TRUE(click(ID_cmdApply));
    EXPECT_EQ(messages(), std::vector<std::string>{"Incorect Password!"});
    EXPECT_FALSE(std::filesystem::exists(dir / "b.qmk"));

    // Unticking and ticking again empties both boxes.
    ASSERT_TRUE(click(ID_ifprotect));
    EXPECT_TRUE(text(ID_txtPassword).empty());
    EXPECT_FALSE(enabled(ID_txtPassword));
    EXPECT_FALSE(click(ID_txtPassword));
    ASSERT_TRUE(click(ID_ifprotect));
    EXPECT_TRUE(text(ID_txtPassword).empty());
    EXPECT_TRUE(text(ID_txtPassword2).empty());

    // A cancelled save dialog empties the target: the backup stops first.
    SystemDialogs::queueFileName("");
    ASSERT_TRUE(click(ID_cmdTargetFile));
    EXPECT_EQ(text(ID_txtTargetFile), "");
    ASSERT_TRUE(click(ID_cmdApply));
    EXPECT_EQ(messages().back(), "Invalid backup file.");
}

TEST_F(WindowsTest, BackupNowFromTheMenuOnTheRestoreTabAndRestoreNowWithoutConfirmation) {
    auto& w = open(install("alice", "11.0"));
    w.selectTab(app::Tab::Restore);
    menu(ID_mnuBackupNow);
    EXPECT_EQ(messages(), std::vector<std::string>{"Invalid backup file."});  // the backup run's first check

    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    ASSERT_TRUE(click(ID_cmdApply));  // the confirmation first
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0],
              "Your current Email and News messages will be replaced with the messages from the selected backup "
              "file.\r\n\r\nDo you want to countinue?");
    EXPECT_EQ(messages()[1], "Invalid backup file.");

    SystemDialogs::reset();
    SystemDialogs::queueAnswer(Answer::Cancel);
    ASSERT_TRUE(click(ID_cmdApply));
    EXPECT_EQ(messages().size(), 1u);  // cancelled: no restore

    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    menu(ID_restorenow);
    EXPECT_EQ(messages(), std::vector<std::string>{"Invalid backup file."});

    // Quit from the menu ends the window.
    EXPECT_FALSE(w.quitDone());
    menu(ID_mnuQuit);
    EXPECT_TRUE(w.quitDone());
    EXPECT_TRUE(quitCalled_);
}

// A whole backup, then its restore into another installation and profile,
// as a user makes them through the windows.
TEST_F(WindowsTest, BackupAndRestoreThroughTheWindow) {
    auto& alice = install("alice", "11.0");
    open(alice);
    const std::string archive = onZ(dir / "alice.qmk");
    SystemDialogs::queueFileName(archive);
    ASSERT_TRUE(click(ID_cmdTargetFile));
    itemsMenu(true, ID_mnuSelectAll);
    typeInto(control(ID_txtAttachInfo), "Before the move\rfrom the old PC");  // Enter between
    ASSERT_TRUE(click(ID_ifprotect));
    typeInto(control(ID_txtPassword), "s3cret");
    typeInto(control(ID_txtPassword2), "s3cret");
    ASSERT_TRUE(click(ID_cmdApply));
    // The summary, and no offer to write a disc: Windows has no disc writing here.
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0],
              "The Backup was Completed!\t\t\t\r\n"
              "\r\nBackup Personal Folders\t\tsucceeded!\t"
              "\r\nBackup Accounts Settings\tsucceeded!\t"
              "\r\nBackup Signatures\t\tsucceeded!\t"
              "\r\nBackup Stationeries\t\tsucceeded!\t"
              "\r\nBackup Personal Address Book\t\tsucceeded!\t"
              "\r\nBackup Options Settings\t\tsucceeded!\t"
              "\r\nBackup Templates\t\tsucceeded!\t"
              "\r\nBackup Preferences\t\tsucceeded!\t");
    EXPECT_FALSE(IsWindowVisible(window_->busyPanel()));
    EXPECT_TRUE(enabled(ID_cmdApply));
    ASSERT_TRUE(std::filesystem::exists(dir / "alice.qmk"));

    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    auto& bob = install("bob", "11.0", "Home", "Work");
    auto& w = open(bob);
    w.selectTab(app::Tab::Restore);
    // A wrong password first: refused, nothing shown of the backup.
    win32gui::PasswordDialog::queueAnswer(std::string("wrong"));
    SystemDialogs::queueFileName(archive);
    ASSERT_TRUE(click(ID_cmdSourceFile));
    EXPECT_EQ(messages(), std::vector<std::string>{"Incorect Password or Invalid backup file"});
    EXPECT_EQ(text(ID_txtSourceFile), "");
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(enabled(ID_restoreitem_0 + i)) << i;

    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    win32gui::PasswordDialog::queueAnswer(std::string("s3cret"));
    SystemDialogs::queueFileName(archive);
    ASSERT_TRUE(click(ID_cmdSourceFile));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(text(ID_txtSourceFile), archive);
    EXPECT_EQ(text(ID_txtFileInfo), "Before the move\r\nfrom the old PC");
    EXPECT_NE(text(ID_txtPOBinfo).find("Profile:Outlook\r\n"), std::string::npos) << text(ID_txtPOBinfo);
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(enabled(ID_restoreitem_0 + i)) << i;

    ASSERT_TRUE(chooseIn(control(ID_cbTarget), "Work"));
    itemsMenu(false, ID_mnuSelectAll);
    ASSERT_TRUE(click(ID_cmdApply));  // confirmed with Ok
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1],
              "The Restore was Completed!\t\t\t\r\n"
              "\r\nRestore Personal Folders\t\tsucceeded!\t"
              "\r\nRestore Accounts Settings\t\tsucceeded!\t"
              "\r\nRestore Signatures\t\t\tsucceeded!\t"
              "\r\nRestore Stationeries\t\t\tsucceeded!\t"
              "\r\nRestore Personal Address Book\t\tsucceeded!\t"
              "\r\nRestore Options Settings\t\tsucceeded!\t"
              "\r\nRestore Templates\t\t\tsucceeded!\t"
              "\r\nRestore Preferences\t\t\tsucceeded!\t");
    EXPECT_EQ(textOf(GetDlgItem(w.busyPanel(), ID_Label1)), "Operation complete!");
    std::string rules;
    EXPECT_TRUE(bob.platform.files->readFile(bob.made.outlookFolder + "\\Work.RWZ", rules));
}

// The window keeps answering while a large file is written, and nothing
// that would start a second run cuts into the one that works; the close
// box asks first, and a "Cancel" to its question lets the run go on.
TEST_F(WindowsTest, TheWindowAnswersDuringARunAndRefusesASecondOne) {
    auto& alice = install("alice", "11.0");
    const std::string big = alice.made.profiles[0].dataFiles[0];
    ASSERT_TRUE(alice.platform.files->writeFile(big, std::string(64u << 20, 'x')));
    auto& w = open(alice);
    SystemDialogs::queueFileName(onZ(dir / "big.qmk"));
    ASSERT_TRUE(click(ID_cmdTargetFile));
    ASSERT_TRUE(click(ID_backupitem_0));

    Probe probe;
    int probes = 0;
    bool sawBusy = false, refused = true, framed = true, cancelOffered = false;
    std::function<void()> look = [&] {
        ++probes;
        if (!context().session.running()) return;
        sawBusy = sawBusy || IsWindowVisible(w.busyPanel());
        cancelOffered = cancelOffered || (IsWindowVisible(control(ID_cmdCancel)) && enabled(ID_cmdCancel));
        // Every way to start another run, or to change the target, is shut.
        if (enabled(ID_cmdApply) || enabled(ID_cmdTargetFile) || enabled(ID_cmdSourceFile)) refused = false;
        if (click(ID_cmdApply)) refused = false;
        menu(ID_mnuBackupNow);
        menu(ID_restorenow);
        menu(ID_mnuTestBackup);
        menu(ID_mnuOpenInstallation);
        menu(ID_mnuTaskScheduler);
        // The close box asks; the answer "Cancel" keeps the run going.
        if (probes == 1) {
            SystemDialogs::queueAnswer(Answer::Cancel);
            SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
        }
        if (w.quitDone()) framed = false;
        if (probes < 50) probe.post(look);
    };
    probe.post(look);
    ASSERT_TRUE(click(ID_cmdApply));
    EXPECT_GE(probes, 3);
    EXPECT_TRUE(sawBusy);
    EXPECT_TRUE(cancelOffered);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(framed);
    // The question, then one run's one summary; the window stays.
    ASSERT_EQ(messages().size(), 2u) << messages().back();
    EXPECT_EQ(messages()[0], "A backup is running. Do you want to stop it and quit?");
    EXPECT_EQ(messages()[1].rfind("The Backup was Completed!", 0), 0u);
    EXPECT_EQ(textOf(GetDlgItem(w.busyPanel(), ID_SkinLabel10)), "");
    EXPECT_FALSE(IsWindowVisible(w.busyPanel()));
    EXPECT_FALSE(w.quitDone());
}

// The busy panel's Cancel stops a backup at its next step: the backup file
// that was there stays as it was. The close box, answered "OK", stops the
// next one and the window quits once it has stopped.
TEST_F(WindowsTest, CancelAndTheCloseBoxStopARunningBackup) {
    auto& alice = install("alice", "11.0");
    const std::string big = alice.made.profiles[0].dataFiles[0];
    ASSERT_TRUE(alice.platform.files->writeFile(big, std::string(64u << 20, 'x')));
    const std::string earlier = onZ(dir / "earlier.qmk");
    const std::string before = "the backup made before";
    ASSERT_TRUE(alice.platform.files->writeFile(earlier, before));
    const auto unchanged = [&] {
        std::string now;
        return alice.platform.files->readFile(earlier, now) && now == before;
    };
    auto& w = open(alice);
    SystemDialogs::queueFileName(earlier);
    ASSERT_TRUE(click(ID_cmdTargetFile));
    ASSERT_TRUE(click(ID_backupitem_0));

    Probe probe;
    int probes = 0;
    std::string status;
    std::function<void()> cancel = [&] {
        ++probes;
        if (!context().session.running() || !IsWindowVisible(w.busyPanel())) {
            if (probes < 50) probe.post(cancel);
            return;
        }
        EXPECT_TRUE(click(ID_cmdCancel));
        status = textOf(GetDlgItem(w.busyPanel(), ID_Label1));
    };
    probe.post(cancel);
    ASSERT_TRUE(click(ID_cmdApply));
    EXPECT_EQ(status, "Stopping...");
    ASSERT_FALSE(messages().empty());
    EXPECT_NE(messages().back().find("The backup was stopped."), std::string::npos) << messages().back();
    EXPECT_TRUE(unchanged());
    EXPECT_FALSE(w.quitDone());
    // Cancel with nothing working does nothing; nor does Esc.
    EXPECT_FALSE(IsWindowVisible(w.busyPanel()));
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EXPECT_FALSE(w.quitDone());

    // Esc stops the next one as Cancel does, through the keyboard's way.
    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    probes = 0;
    bool pressed = false;
    std::function<void()> escape = [&] {
        ++probes;
        if (!context().session.running() || !IsWindowVisible(w.busyPanel())) {
            if (probes < 50) probe.post(escape);
            return;
        }
        HWND focus = GetDlgItem(w.busyPanel(), ID_cmdCancel);
        pressed = PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0) != FALSE;
    };
    probe.post(escape);
    ASSERT_TRUE(click(ID_cmdApply));
    EXPECT_TRUE(pressed);
    ASSERT_FALSE(messages().empty());
    EXPECT_NE(messages().back().find("The backup was stopped."), std::string::npos) << messages().back();
    EXPECT_TRUE(unchanged());

    // Again, closed by the frame this time.
    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    probes = 0;
    std::function<void()> close = [&] {
        ++probes;
        if (!context().session.running()) {
            if (probes < 50) probe.post(close);
            return;
        }
        SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(w.quitDone());  // not before the run has stopped
    };
    probe.post(close);
    ASSERT_TRUE(click(ID_cmdApply));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "A backup is running. Do you want to stop it and quit?");
    EXPECT_TRUE(unchanged());
    EXPECT_TRUE(w.quitDone());
    EXPECT_TRUE(quitCalled_);
}

// File > "Test Backup File...": a backup made in the window read to its end;
// a file that is no backup named as such. The status bar names the Outlook
// and the user.
TEST_F(WindowsTest, ABackupFileTestedFromTheFileMenu) {
    auto& alice = install("alice", "11.0");
    place = {"", "alice"};
    auto& w = open(alice);
    EXPECT_EQ(text(ID_lblInstallation), "Outlook 2003 (11.0)  |  User alice");
    const std::string file = onZ(dir / "b.qmk");
    SystemDialogs::queueFileName(file);
    ASSERT_TRUE(click(ID_cmdTargetFile));
    ASSERT_TRUE(click(ID_backupitem_0 + 2));
    ASSERT_TRUE(click(ID_cmdApply));
    std::string made;
    ASSERT_TRUE(alice.platform.files->readFile(file, made));

    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    SystemDialogs::queueFileName(file);
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(ID_mnuTestBackup, 0), 0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind(file + "\r\n", 0), 0u) << messages()[0];
    EXPECT_NE(messages()[0].find(" entries read back whole."), std::string::npos) << messages()[0];

    const std::string notBackup = onZ(dir / "not.qmk");
    ASSERT_TRUE(alice.platform.files->writeFile(notBackup, "no archive at all"));
    SystemDialogs::queueFileName(notBackup);
    menu(ID_mnuTestBackup);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].rfind(notBackup + ": ", 0), 0u) << messages()[1];

    // Only this Windows, for the user who runs the program, is opened.
    menu(ID_mnuOpenInstallation);
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_EQ(messages()[2], "This program works on the Windows it runs in, for the user who runs it.");
}

}  // namespace
}  // namespace qm::test
