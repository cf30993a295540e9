// Frmoption, the scheduled backups' list, the password window and About,
// as native windows opened modeless.
#include <windows.h>

#include <commctrl.h>

#include "items/ItemTable.h"
#include "jobs/RunHistory.h"
#include "jobs/ScheduleTimes.h"
#include "jobs/Texts.h"
#include "win32gui/AboutDialog.h"
#include "win32gui/JobListDialog.h"
#include "win32gui/OptionsDialog.h"
#include "win32gui/PasswordDialog.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"
#include "win32gui/Text.h"
#include "win32gui/WindowsFixture.h"

namespace qm::test {
namespace {

using app::Answer;
using win32gui::SystemDialogs;

// A window of its own, made modeless over the main window's context.
template <typename Window>
struct Opened {
    explicit Opened(win32gui::WindowsContext& context) : window(context) {
        EXPECT_TRUE(window.create(nullptr));
        ShowWindow(window.hwnd(), SW_SHOW);
        pumpMessages();
    }
    HWND operator()(int id) const { return GetDlgItem(window.hwnd(), id); }
    std::string text(int id) const { return textOf((*this)(id)); }
    Window window;
};

constexpr int kWeekdays[7] = {ID_chkMonday, ID_chkTuesday,  ID_chkWednesday, ID_chkThursday,
                              ID_chkFriday, ID_chkSaturday, ID_chkSunday};

TEST_F(WindowsTest, OptionsWindowControlsAndDefaults) {
    open(install("alice", "12.0", "Outlook", "Work"));
    Opened<win32gui::OptionsDialog> options(context());
    EXPECT_EQ(textOf(options.window.hwnd()), "Task Scheduler");
    const std::pair<int, const char*> texts[] = {
        {ID_whatFrame, "What"},
        {ID_profileLabel, "Profile to backup"},
        {ID_backupItems, "Items to backup"},
        {ID_whereFrame, "Where"},
        {ID_targetLabel, "Choose a Backup Filename"},
        {ID_cmdTargetFile, "Browse..."},
        {ID_securityFrame, "Security"},
        {ID_ifprotect, "Protect backup file with password"},
        {ID_passwordLabel, "Password:"},
        {ID_password2Label, "Retype Password:"},
        {ID_scheduleFrame, "Schedule"},
        {ID_startTimeLabel, "Start time"},
        {ID_chkMonday, "Monday"},
        {ID_chkTuesday, "Tuesday"},
        {ID_chkWednesday, "Wednesday"},
        {ID_chkThursday, "Thursday"},
        {ID_chkFriday, "Friday"},
        {ID_chkSaturday, "Saturday"},
        {ID_chkSunday, "Sunday"},
        {ID_chkDaily, "Run daily"},
        {ID_Command3, "Add Task to Scheduler"},
        {ID_Command1, "Open Scheduler"},
        {ID_Command2, "Cancel"},
    };
    for (const auto& [id, expected] : texts) EXPECT_EQ(options.text(id), expected) << id;
    EXPECT_EQ(comboEntries(options(ID_cbSource)), (std::vector<std::string>{"Outlook", "Work"}));
    EXPECT_EQ(options.text(ID_cbSource), "Outlook");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(options.text(ID_backupitem_0 + i), items::kItemCaptions[static_cast<std::size_t>(i)]);
        EXPECT_FALSE(isCheckedBox(options(ID_backupitem_0 + i)));
    }
    // Outlook 2007 keeps no address book, in the options window's words.
    EXPECT_FALSE(IsWindowEnabled(options(ID_backupitem_0 + 4)));
    EXPECT_EQ(options.window.toolTip(ID_backupitem_0 + 4), " MS Outlook 2007 don't support Personal Address Book!");
    // The start times: 48 entries from 0:00 by half hours, 9:00 shown.
    const std::vector<std::string> times = comboEntries(options(ID_cmbStartTime));
    EXPECT_EQ(times, jobs::StartTimeEntries());
    ASSERT_EQ(times.size(), 48u);
    EXPECT_EQ(times.front(), "0:00");
    EXPECT_EQ(times.back(), "23:30");
    EXPECT_EQ(options.text(ID_cmbStartTime), "9:00");
    for (int id : kWeekdays) EXPECT_FALSE(isCheckedBox(options(id)));
    EXPECT_FALSE(isCheckedBox(options(ID_chkDaily)));
    EXPECT_FALSE(IsWindowEnabled(options(ID_txtPassword)));
    EXPECT_EQ(options.text(ID_txtTargetFile), "");

    // "Run daily" ticks and clears the seven days; a day unticked after it
    // stays so.
    ASSERT_TRUE(clickOn(options(ID_chkDaily)));
    for (int id : kWeekdays) EXPECT_TRUE(isCheckedBox(options(id)));
    ASSERT_TRUE(clickOn(options(ID_chkSaturday)));
    EXPECT_FALSE(isCheckedBox(options(ID_chkSaturday)));
    ASSERT_TRUE(clickOn(options(ID_chkDaily)));
    ASSERT_TRUE(clickOn(options(ID_chkDaily)));
    for (int id : kWeekdays) EXPECT_TRUE(isCheckedBox(options(id)));

    // Choosing a profile clears the boxes the user had ticked.
    ASSERT_TRUE(clickOn(options(ID_backupitem_0 + 2)));
    ASSERT_TRUE(chooseIn(options(ID_cbSource), "Work"));
    EXPECT_FALSE(isCheckedBox(options(ID_backupitem_0 + 2)));

    // Cancel closes the window.
    ASSERT_TRUE(clickOn(options(ID_Command2)));
    EXPECT_EQ(options.window.hwnd(), nullptr);
}

TEST_F(WindowsTest, OptionsWindowAddsTasksAfterItsChecks) {
    open(install("alice", "11.0"));
    const std::string target = "D:\\Backups\\mail.qmk";
    {
        Opened<win32gui::OptionsDialog> options(context());
        // In the order of the checks: items first, then the file, then the
        // passwords.
        SystemDialogs::queueFileName(target);
        ASSERT_TRUE(clickOn(options(ID_cmdTargetFile)));
        ASSERT_TRUE(clickOn(options(ID_Command3)));
        EXPECT_EQ(messages().back(), "Please select at least one item.");
        ASSERT_TRUE(clickOn(options(ID_backupitem_0)));
        ASSERT_TRUE(clickOn(options(ID_backupitem_0 + 2)));
        ASSERT_TRUE(clickOn(options(ID_ifprotect)));
        ASSERT_TRUE(clickOn(options(ID_Command3)));
        EXPECT_EQ(messages().back(), "Please enter Password!");
        typeInto(options(ID_txtPassword), "pass");
        typeInto(options(ID_txtPassword2), "pasS");
        ASSERT_TRUE(clickOn(options(ID_Command3)));
        EXPECT_EQ(messages().back(), "Incorect Password!");
        ASSERT_TRUE(scheduler.added.empty());

        // Protection off: the boxes are emptied and not compared.
        ASSERT_TRUE(clickOn(options(ID_ifprotect)));
        EXPECT_EQ(options.text(ID_txtPassword), "");
        SendMessageW(options(ID_cmbStartTime), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"23:30"));
        for (int id : {ID_chkMonday, ID_chkWednesday, ID_chkFriday}) ASSERT_TRUE(clickOn(options(id)));
        ASSERT_TRUE(clickOn(options(ID_Command3)));
        EXPECT_EQ(messages().back(), "Task 1 has been scheduled.");
        ASSERT_EQ(scheduler.added.size(), 1u);
        const platform::JobSpec& job = scheduler.added[0];
        EXPECT_EQ(job.startMinute, 23u * 60u + 30u);
        EXPECT_EQ(job.weekdays, 21u);
        EXPECT_FALSE(job.once);
        EXPECT_EQ(job.program, "C:\\Program Files\\Quillmark\\quillmark.exe");
        EXPECT_EQ(job.arguments, "sf=Outlookxm=10100000ps=bf=" + target);

        // The versions: one file replaced until more are asked for, typed
        // or by the arrows; a count out of range adds no job.
        EXPECT_EQ(options.text(ID_txtKeep_0), "1");
        EXPECT_EQ(options.text(ID_txtKeep_1), "0");
        EXPECT_TRUE(job.options.empty());
        SendMessageW(options(ID_txtKeep_0), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3"));
        SendMessageW(options(ID_udKeep_2), UDM_SETPOS32, 0, 6);
        EXPECT_EQ(options.text(ID_txtKeep_2), "6");
        ASSERT_TRUE(clickOn(options(ID_Command3)));
        ASSERT_EQ(scheduler.added.size(), 2u) << messages().back();
        EXPECT_EQ(scheduler.added[1].options, (std::vector<std::string>{"--keep", "3", "--keep-monthly", "6"}));
        SendMessageW(options(ID_txtKeep_0), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        ASSERT_TRUE(clickOn(options(ID_Command3)));
        EXPECT_EQ(messages().back(), jobs::text::kKeepOutOfRange);
        SendMessageW(options(ID_txtKeep_0), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1"));
        SendMessageW(options(ID_udKeep_2), UDM_SETPOS32, 0, 0);

        // A time that is no time of day is refused.
        SendMessageW(options(ID_cmbStartTime), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"25:00"));
        ASSERT_TRUE(clickOn(options(ID_Command3)));
        EXPECT_EQ(messages().back(), "Invalid start time. Please enter a time of day from 0:00 to 23:59.");
        EXPECT_EQ(scheduler.added.size(), 2u);
    }
    // The chosen file outlives the window; a cancelled "Browse..." keeps it.
    Opened<win32gui::OptionsDialog> again(context());
    EXPECT_EQ(again.text(ID_txtTargetFile), target);
    SystemDialogs::queueFileName("");
    ASSERT_TRUE(clickOn(again(ID_cmdTargetFile)));
    EXPECT_EQ(again.text(ID_txtTargetFile), target);
}

std::string cell(HWND list, int row, int column) {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return win32gui::utf8(buffer);
}

TEST_F(WindowsTest, ScheduledBackupsAreListedWithTheirLastRunsAndRemovedAfterAQuestion) {
    platform::ScheduledJob nightly;
    nightly.number = 4;
    nightly.startMinute = 23 * 60 + 30;
    nightly.weekdays = 0x1F;
    nightly.arguments = "sf=Outlookxm=11111111ps=secretbf=C:\\Backups\\nightly.qmk";
    platform::ScheduledJob once = nightly;
    nightly.options = {"--keep", "3", "--keep-weekly", "4"};
    once.number = 7;
    once.startMinute = 9 * 60;
    once.weekdays = 0;
    once.once = true;
    once.arguments = "sf=Outlookxm=10100000ps=bf=C:\\Backups\\once.qmk";
    scheduler.listing = {nightly, once};
    auto& inst = install("alice", "11.0");
    std::string why;
    ASSERT_TRUE(
        jobs::RunHistory::of(*inst.session)
            .append({"2026-12-08 23:30:04", "scheduled", "C:\\Backups\\nightly.qmk", 1, "no backup written: x"}, why))
        << why;
    open(inst);
    // The failed run is told once, as the window opens.
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("The scheduled backup into C:\\Backups\\nightly.qmk failed on 2026-12-08 23:30:04"),
              std::string::npos);
    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    Opened<win32gui::JobListDialog> list(context());
    EXPECT_EQ(textOf(list.window.hwnd()), "Scheduled Backups");
    EXPECT_EQ(list.text(ID_cmdRemove), "Remove");
    EXPECT_EQ(list.text(ID_cmdRunNow), "Run Now");
    EXPECT_EQ(list.text(ID_cmdClose), "Close");
    HWND rows = list(ID_lvwJobs);
    ASSERT_EQ(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), 2);
    std::vector<std::string> first;
    for (int c = 0; c < 9; ++c) first.push_back(cell(rows, 0, c));
    EXPECT_EQ(first, (std::vector<std::string>{"4", "23:30", "M,T,W,TH,F", "Outlook", "Every item", "3, 4 weekly",
                                               "2026-12-08 23:30:04", "failed", "C:\\Backups\\nightly.qmk"}));
    EXPECT_EQ(cell(rows, 1, 2), "Once");
    EXPECT_EQ(cell(rows, 1, 4), "Personal Folders, Signatures");
    EXPECT_EQ(cell(rows, 1, 6), "never");
    EXPECT_EQ(cell(rows, 1, 7), "");
    // The headers, and no column too narrow for its header.
    HWND header = reinterpret_cast<HWND>(SendMessageW(rows, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 9);
    const wchar_t* names[9] = {L"Task", L"Time",     L"Days",   L"Profile",    L"Items",
                               L"Keep", L"Last run", L"Result", L"Backup file"};
    for (int c = 0; c < 9; ++c) {
        const auto needed = SendMessageW(rows, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(names[c]));
        EXPECT_GT(SendMessageW(rows, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0), needed) << c;
    }
    // What failed, in the row's tip.
    wchar_t tipText[256] = {};
    NMLVGETINFOTIPW tip{};
    tip.hdr = {rows, static_cast<UINT_PTR>(ID_lvwJobs), static_cast<UINT>(LVN_GETINFOTIPW)};
    tip.pszText = tipText;
    tip.cchTextMax = 256;
    tip.iItem = 0;
    SendMessageW(list.window.hwnd(), WM_NOTIFY, ID_lvwJobs, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(std::wstring(tipText), L"failed: no backup written: x");

    // Nothing selected: Remove and Run Now do nothing.
    ASSERT_TRUE(clickOn(list(ID_cmdRemove)));
    ASSERT_TRUE(clickOn(list(ID_cmdRunNow)));
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(scheduler.startedNow.empty());

    // Run Now on the first: its row says so until the job has ended, then
    // the list shows its result and a message says how it ended.
    LVITEMW select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(rows, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
    ASSERT_TRUE(clickOn(list(ID_cmdRunNow)));
    EXPECT_EQ(scheduler.startedNow, std::vector<std::uint32_t>{4});
    EXPECT_EQ(cell(rows, 0, 7), "running");
    ASSERT_TRUE(jobs::RunHistory::of(*inst.session)
                    .append({"2099-01-01 00:00:00", "scheduled", "C:\\Backups\\nightly.qmk", 0, ""}, why))
        << why;
    scheduler.endedStatus = 0;
    for (int i = 0; i < 300 && messages().empty(); ++i) {
        Sleep(10);
        pumpMessages();
    }
    EXPECT_EQ(messages(), std::vector<std::string>{"Task 4 has run: completed."});
    EXPECT_EQ(cell(rows, 0, 6), "2099-01-01 00:00:00");
    EXPECT_EQ(cell(rows, 0, 7), "completed");
    // The job stays selected as the list is filled anew.
    EXPECT_EQ(SendMessageW(rows, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);

    // The second row removed, cancelled first, then confirmed.
    SystemDialogs::reset();
    SendMessageW(rows, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
    SystemDialogs::queueAnswer(Answer::Cancel);
    ASSERT_TRUE(clickOn(list(ID_cmdRemove)));
    EXPECT_EQ(messages().back(), "Remove task 7 from the scheduler?");
    EXPECT_TRUE(scheduler.removed.empty());
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    ASSERT_TRUE(clickOn(list(ID_cmdRemove)));
    EXPECT_EQ(scheduler.removed, std::vector<std::uint32_t>{7});
    EXPECT_EQ(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), 1);
}

TEST_F(WindowsTest, PasswordWindowAndAbout) {
    open(install("alice", "11.0"));
    win32gui::PasswordDialog password;
    ASSERT_TRUE(password.create(nullptr));
    HWND p = password.hwnd();
    ShowWindow(p, SW_SHOW);
    EXPECT_EQ(textOf(p), "Please enter password");
    EXPECT_EQ(textOf(GetDlgItem(p, ID_securityFrame)), "Security");
    EXPECT_EQ(textOf(GetDlgItem(p, ID_pwdLabel)), "Please enter password:");
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(p, ID_txtPassword), GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(textOf(GetDlgItem(p, ID_cmdOK)), "OK");
    EXPECT_EQ(textOf(GetDlgItem(p, ID_cmdExit)), "Cancel");
    typeInto(GetDlgItem(p, ID_txtPassword), "pa=ss word");
    ASSERT_TRUE(clickOn(GetDlgItem(p, ID_cmdOK)));
    EXPECT_EQ(password.typed(), "pa=ss word");

    Opened<win32gui::AboutDialog> about(context());
    EXPECT_EQ(textOf(about.window.hwnd()), "About Quillmark");
    EXPECT_EQ(about.text(ID_lblVersion), "Quillmark V2.70");
    EXPECT_EQ(about.text(ID_lblCopyright), "Copyright \xC2\xA9 2026 the Quillmark developers");
    EXPECT_EQ(about.text(ID_lblWebsite),
              "<a href=\"https://quillmark.example.org/\">https://quillmark.example.org/</a>");
    EXPECT_NE(SendMessageW(about(ID_aboutIcon), STM_GETICON, 0, 0), 0);
    ASSERT_TRUE(clickOn(about(ID_cmdOK)));
    EXPECT_EQ(about.window.hwnd(), nullptr);
}

}  // namespace
}  // namespace qm::test
