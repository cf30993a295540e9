// The native windows over the Windows the tests run in (Wine in CI): a
// sample installation made through the program's Win32 services, backed
// up and restored through the main window's controls, and a job added in
// the options window that the system's scheduler then lists.
#include <windows.h>

#include <commctrl.h>

#include <filesystem>

#include "app/Startup.h"
#include "platform/OpenPlatform.h"
#include "platform/win32/NetScheduler.h"
#include "win32/Win32Fixture.h"
#include "win32gui/JobListDialog.h"
#include "win32gui/OptionsDialog.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"
#include "win32gui/Text.h"
#include "win32gui/WindowsFixture.h"

namespace qm::test {
namespace {

using app::Answer;
using win32gui::SystemDialogs;

// The sample, made once for the suite in the user's own registry and folders
// (with Windows' compatibility folders, which Wine lacks, and a data file on
// drive D:, which the test prefix has).
class RealWindowsTest : public WindowsTest {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(platform::openPlatform({}, real().platform, error)) << error;
        sample::SampleOptions options;
        options.outlook = "14.0";
        options.secondProfile = "Work";
        options.codePage = real().platform.codePage->name();
        ASSERT_TRUE(real().platform.system->GetUserNameA(options.user));
        ASSERT_TRUE(sample::buildSample(options, real().platform, real().made, error)) << error;
    }
    static void TearDownTestSuite() { real().session.reset(); }

    static WindowsInstallation& real() {
        static WindowsInstallation installation;
        return installation;
    }
    WindowsInstallation& session() {
        real().session = std::make_unique<app::Session>(real().platform);
        return real();
    }
    static std::string hostFolder(const TempDir& d) {
        return std::filesystem::path(d.path()).make_preferred().string();
    }
};

TEST_F(RealWindowsTest, BackupAndRestoreThroughTheMainWindow) {
    auto& inst = session();
    auto& w = open(inst);
    const std::string archive = hostFolder(dir) + "\\through-the-window.qmk";
    SystemDialogs::queueFileName(archive);
    ASSERT_TRUE(click(ID_cmdTargetFile));
    itemsMenu(true, ID_mnuSelectAll);
    ASSERT_TRUE(click(ID_cmdApply));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("The Backup was Completed!", 0), 0u) << messages()[0];
    EXPECT_EQ(messages()[0].find("Fail!"), std::string::npos) << messages()[0];
    ASSERT_TRUE(std::filesystem::exists(archive));

    // Into the second profile: its rules become the first one's.
    const std::string workRules = inst.made.outlookFolder + "\\Work.RWZ";
    inst.platform.files->deleteFile(workRules);
    SystemDialogs::reset();
    SystemDialogs::answerUnaskedWith(Answer::Ok);
    w.selectTab(app::Tab::Restore);
    SystemDialogs::queueFileName(archive);
    ASSERT_TRUE(click(ID_cmdSourceFile));
    EXPECT_TRUE(messages().empty()) << messages().front();
    ASSERT_TRUE(chooseIn(control(ID_cbTarget), "Work"));
    // The personal folders alone: the profile, its data files, its rules.
    ASSERT_TRUE(click(ID_restoreitem_0));
    ASSERT_TRUE(click(ID_cmdApply));
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].rfind("The Restore was Completed!", 0), 0u) << messages()[1];
    EXPECT_EQ(messages()[1].find("Fail!"), std::string::npos) << messages()[1];
    std::string rules, original;
    EXPECT_TRUE(inst.platform.files->readFile(workRules, rules));
    EXPECT_TRUE(inst.platform.files->readFile(inst.made.outlookFolder + "\\Outlook.RWZ", original));
    EXPECT_EQ(rules, original);
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

TEST_F(RealWindowsTest, AJobAddedInTheOptionsWindowIsListedByTheSystemsScheduler) {
    std::string error;
    ASSERT_TRUE(startScheduleService(error)) << error;
    auto& inst = session();
    // The jobs of the program installed beside these tests.
    const std::string program = inst.platform.system->programFolder() + "\\quillmark.exe";
    platform::win32::NetScheduler jobs(program);
    open(inst, &jobs, program);
    const std::string target = hostFolder(dir) + "\\scheduled.qmk";
    std::uint32_t number = 0;
    {
        win32gui::OptionsDialog options(context());
        ASSERT_TRUE(options.create(nullptr));
        HWND o = options.hwnd();
        ShowWindow(o, SW_SHOW);
        SystemDialogs::queueFileName(target);
        ASSERT_TRUE(clickOn(GetDlgItem(o, ID_cmdTargetFile)));
        ASSERT_TRUE(clickOn(GetDlgItem(o, ID_backupitem_0)));
        ASSERT_TRUE(clickOn(GetDlgItem(o, ID_chkTuesday)));
        ASSERT_TRUE(chooseIn(GetDlgItem(o, ID_cmbStartTime), "2:30"));
        ASSERT_TRUE(clickOn(GetDlgItem(o, ID_Command3)));
        ASSERT_EQ(messages().size(), 1u);
        const std::string said = messages()[0];
        ASSERT_EQ(said.rfind("Task ", 0), 0u) << said;
        ASSERT_NE(said.find(" has been scheduled."), std::string::npos) << said;
        number = static_cast<std::uint32_t>(std::stoul(said.substr(5)));
    }
    // Wine's service takes a moment to have it in its list.
    const platform::ScheduledJob* ours = nullptr;
    std::vector<platform::ScheduledJob> listed;
    for (int attempt = 0; attempt < 50 && !ours; ++attempt) {
        if (attempt) Sleep(100);
        std::string why;
        ASSERT_TRUE(jobs.listJobs(listed, why)) << why;
        for (const auto& j : listed)
            if (j.number == number) ours = &j;
    }
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(ours->arguments, "sf=Outlookxm=10000000ps=bf=" + target);
    // (Wine's service lists every job with no time and no days: the job the
    // window makes is checked over a recording scheduler elsewhere.)

    // The list window shows it, and removes it.
    win32gui::JobListDialog list(context());
    ASSERT_TRUE(list.create(nullptr));
    ShowWindow(list.hwnd(), SW_SHOW);
    HWND rows = GetDlgItem(list.hwnd(), ID_lvwJobs);
    int row = -1;
    const auto count = static_cast<int>(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < count; ++r)
        if (cell(rows, r, 0) == std::to_string(number)) row = r;
    ASSERT_GE(row, 0);
    EXPECT_EQ(cell(rows, row, 3), "Outlook");
    EXPECT_EQ(cell(rows, row, 4), "Personal Folders");
    EXPECT_EQ(cell(rows, row, 6), "never");
    EXPECT_EQ(cell(rows, row, 8), target);
    LVITEMW select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(rows, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&select));

    // Run Now starts the installed program on the job's own arguments; the
    // list says how it ended once it has.
    ASSERT_TRUE(clickOn(GetDlgItem(list.hwnd(), ID_cmdRunNow)));
    const std::size_t before = messages().size();
    ASSERT_EQ(before, 1u) << messages().back();
    for (int i = 0; i < 1200 && messages().size() == before; ++i) {
        Sleep(50);
        pumpMessages();
    }
    ASSERT_EQ(messages().size(), before + 1) << "the job run now never ended";
    EXPECT_EQ(messages().back().rfind("Task " + std::to_string(number) + " has run: completed", 0), 0u)
        << messages().back();
    EXPECT_TRUE(std::filesystem::exists(dir / "scheduled.qmk"));

    ASSERT_TRUE(clickOn(GetDlgItem(list.hwnd(), ID_cmdRemove)));
    std::string why;
    ASSERT_TRUE(jobs.listJobs(listed, why)) << why;
    for (const auto& j : listed) EXPECT_NE(j.number, number);
}

}  // namespace
}  // namespace qm::test
