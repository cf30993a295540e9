// Pictures of every window of the Windows build, on a sample installation
// it makes in the Windows (or Wine prefix) it runs in:
//   quillmark-screenshots OUT_FOLDER
// Writes main-backup.bmp, main-restore.bmp, main-busy.bmp, password.bmp,
// options.bmp, scheduler.bmp and about.bmp, each the window whole with its frame, as the
// screen shows it (tools/screenshots-windows runs it on a virtual display
// and makes PNGs of them).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "jobs/AutomaticArguments.h"
#include "jobs/AutomaticBackup.h"
#include "jobs/RunHistory.h"
#include "platform/OpenPlatform.h"
#include "sample/SampleInstallation.h"
#include "win32gui/AboutDialog.h"
#include "win32gui/JobListDialog.h"
#include "win32gui/MainDialog.h"
#include "win32gui/OptionsDialog.h"
#include "win32gui/PasswordDialog.h"
#include "win32gui/Resources.h"
#include "win32gui/SystemDialogs.h"

namespace {

using namespace qm;

// Two jobs to list, held here: the system's scheduler is never touched.
class ShownJobs : public platform::Scheduler {
public:
    bool addJob(const platform::JobSpec&, std::uint32_t&, std::string& why) override {
        why = "the pictures schedule nothing";
        return false;
    }
    bool listJobs(std::vector<platform::ScheduledJob>& jobs, std::string&) override {
        jobs::AutomaticSettings nightly{"Outlook", "11111111", "secret",
                                        "C:\\Users\\alice\\Documents\\Backups\\nightly.qmk"};
        jobs::AutomaticSettings weekly{"Outlook", "10000000", "", "E:\\weekly.qmk"};
        jobs = {platform::ScheduledJob{1, 23 * 60, 0x1F, 0, false, jobs::ArgumentText(nightly)},
                platform::ScheduledJob{2, 9 * 60, 0x40, 0, false, jobs::ArgumentText(weekly)}};
        jobs[0].options = {"--keep", "3", "--keep-weekly", "4"};
        return true;
    }
    bool removeJob(std::uint32_t, std::string& why) override {
        why = "the pictures remove nothing";
        return false;
    }
};

// Lets the window paint and settle.
void settle(int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    while (GetTickCount() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

// The window as the screen shows it, frame included, as a 24-bit BMP.
bool save(HWND window, const std::string& folder, const char* name) {
    SetWindowPos(window, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle(700);
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    const std::string path = folder + "\\" + name + ".bmp";
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(&header, sizeof header, 1, f) == 1 &&
             std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, 1, imageBytes, f) == imageBytes;
        ok = std::fclose(f) == 0 && ok;
    }
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillmark-screenshots OUT_FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    CreateDirectoryA(out.c_str(), nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);

    platform::Platform installation;
    std::string error;
    if (!platform::openPlatform({}, installation, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    sample::SampleOptions options;
    options.outlook = "11.0";
    options.secondProfile = "Work";
    options.stock = true;
    options.codePage = installation.codePage->name();
    installation.system->GetUserNameA(options.user);
    sample::SampleInstallation made;
    if (!sample::buildSample(options, installation, made, error)) {
        std::fprintf(stderr, "sample: %s\n", error.c_str());
        return 1;
    }
    app::Session session(installation);
    ShownJobs jobs;
    win32gui::WindowsContext context(session, jobs, "C:\\Program Files\\Quillmark\\quillmark.exe");
    context.place = platform::locateInstallation({});
    // The job list's last runs: one failed, one never run. (Told once as
    // the window opens; the picture's message boxes answer unshown.)
    {
        std::string why;
        jobs::RunHistory::of(session).append(
            {"2026-12-08 23:00:04", jobs::kScheduledRecord, "C:\\Users\\alice\\Documents\\Backups\\nightly.qmk", 1,
             "no backup written: the disk is full"},
            why);
    }

    // A backup to open on the restore tab, on the throw-away drive C: (Wine
    // links the user's Documents to the host's home).
    const std::string archive = "C:\\Backups\\alice.qmk";
    CreateDirectoryA("C:\\Backups", nullptr);
    {
        app::Session maker(installation);
        app::LoadEnvironment(maker);
        jobs::RunAutomaticBackup(maker, {"Outlook", "11111111", "", archive});
    }

    bool ok = true;
    win32gui::SystemDialogs::answerUnaskedWith(app::Answer::Ok);
    win32gui::MainDialog window(context);
    window.setQuitAction([] {});
    window.open();
    window.show();
    ok = save(window.hwnd(), out, "main-backup") && ok;
    window.selectTab(app::Tab::Restore);
    win32gui::SystemDialogs::queueFileName(installation.codePage->toUtf8(archive));
    SendMessageW(window.control(ID_cmdSourceFile), BM_CLICK, 0, 0);
    ok = save(window.hwnd(), out, "main-restore") && ok;
    // A backup at work, as its busy panel shows it.
    window.selectTab(app::Tab::Backup);
    window.showBusy(true);
    window.setStatus("Writing the backup file 40%");
    window.setProgress(97);
    window.setFileLine("Adding File quillmark.dat");
    window.setPercentLine("Write File 40%");
    ok = save(window.hwnd(), out, "main-busy") && ok;
    window.showBusy(false);

    win32gui::PasswordDialog password;
    password.create(window.hwnd());
    ok = save(password.hwnd(), out, "password") && ok;
    DestroyWindow(password.hwnd());
    // Three versions and one a week for four weeks, as a user might keep.
    context.keptOptions.keep = {3, 4, 0};
    win32gui::OptionsDialog optionsWindow(context);
    optionsWindow.create(window.hwnd());
    ok = save(optionsWindow.hwnd(), out, "options") && ok;
    DestroyWindow(optionsWindow.hwnd());
    win32gui::JobListDialog list(context);
    list.create(window.hwnd());
    ok = save(list.hwnd(), out, "scheduler") && ok;
    DestroyWindow(list.hwnd());
    win32gui::AboutDialog about(context);
    about.create(window.hwnd());
    ok = save(about.hwnd(), out, "about") && ok;
    DestroyWindow(about.hwnd());
    return ok ? 0 : 1;
}
