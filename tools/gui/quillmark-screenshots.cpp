// Pictures of every window, made offscreen on a sample installation:
//   quillmark-screenshots OUT_DIR
// For the README and the help page, and for looking at the windows.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/Session.h"
#include "disc/linux/LinuxDiscEngine.h"
#include "gui/AboutDialog.h"
#include "gui/DiscWindow.h"
#include "gui/EraseDialog.h"
#include "gui/Appearance.h"
#include "gui/JobListDialog.h"
#include "gui/MainWindow.h"
#include "gui/MessageBoxes.h"
#include "gui/OptionsDialog.h"
#include "gui/PasswordDialog.h"
#include "options/JobCommand.h"
#include "platform/OpenPlatform.h"
#include "runs/Runs.h"
#include "sample/SampleInstallation.h"

namespace {

using namespace qm;

// Two jobs to list, held here: the user's crontab is never touched.
class ShownJobs : public platform::Scheduler {
public:
    platform::JobAddResult NetScheduleJobAdd(const std::string&, const platform::AtInfo&) override { return {}; }
    platform::JobListResult listJobs() override {
        platform::JobListResult result;
        result.status = platform::kSchedulerOk;
        platform::ScheduledJob nightly;
        nightly.jobNumber = 1;
        nightly.JobTime = 23 * 3600000u;
        nightly.DaysOfWeek = 0x1F;
        nightly.Flags = platform::kJobRunPeriodically;
        nightly.profile = "Outlook";
        nightly.itemDigits = "11111111";
        nightly.targetFile = "/home/alice/backups/nightly.qmk";
        nightly.hasPassword = true;
        platform::ScheduledJob weekly = nightly;
        weekly.jobNumber = 2;
        weekly.JobTime = 9 * 3600000u;
        weekly.DaysOfWeek = 0x40;
        weekly.itemDigits = "10000000";
        weekly.targetFile = "/media/usb/weekly.qmk";
        weekly.hasPassword = false;
        result.jobs = {nightly, weekly};
        return result;
    }
    platform::SchedulerResult removeJob(std::uint32_t) override { return {}; }
};

bool save(QWidget& window, const QString& folder, const char* name) {
    window.show();
    window.adjustSize();
    QApplication::processEvents();
    const QString path = folder + "/" + name + ".png";
    const bool ok = window.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toLocal8Bit().constData());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillmark-screenshots OUT_DIR\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setWindowIcon(gui::programIcon());
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);
    gui::applySkin(application, QCoreApplication::applicationDirPath());

    QTemporaryDir scratch;
    sample::SampleOptions options;
    options.prefix = (scratch.path() + "/prefix").toStdString();
    options.outlook = "11.0";
    options.secondProfile = "Work";
    std::string error;
    if (!sample::buildSampleInstallation(options, error)) {
        std::fprintf(stderr, "sample: %s\n", error.c_str());
        return 1;
    }
    platform::PlatformOptions open;
    open.prefix = options.prefix;
    open.userName = options.user;
    open.workRoot = (scratch.path() + "/work").toStdString();
    platform::Platform installation;
    if (!platform::openPlatform(open, installation, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    app::Session session(installation);
    ShownJobs jobs;
    gui::GuiContext context(session, jobs, QCoreApplication::applicationDirPath());

    // A backup to open on the restore tab, with a description.
    const std::string archive = (scratch.path() + "/alice.qmk").toStdString();
    {
        app::Session maker(installation);
        app::LoadEnvironment(maker);
        runs::RunAutomaticBackup(maker, "Outlook", "11111111", "", archive);
    }

    bool ok = true;
    gui::MainWindow window(context);
    window.load();
    window.resize(900, 620);
    window.findChild<QPushButton*>("cmdApply");
    ok = save(window, out, "main-backup") && ok;
    gui::FilePickers::setNextFileName(archive);
    window.findChild<QTabWidget*>("SSTab1")->setCurrentIndex(1);
    window.findChild<QPushButton*>("cmdSourceFile")->click();
    ok = save(window, out, "main-restore") && ok;

    gui::PasswordDialog password(&window);
    ok = save(password, out, "password") && ok;
    gui::OptionsDialog optionsWindow(context, &window);
    ok = save(optionsWindow, out, "options") && ok;
    gui::JobListDialog list(jobs, &window);
    ok = save(list, out, "scheduler") && ok;
    gui::AboutDialog about(context, &window);
    ok = save(about, out, "about") && ok;

    // The disc window over a plain file as its drive, with the backup handed over.
    disc::linuxburn::LinuxDiscEngineOptions discOptions;
    discOptions.scanDrives = false;
    discOptions.fileDrives = {(scratch.path() + "/disc.iso").toStdString()};
    const auto engine = disc::linuxburn::MakeLinuxDiscEngine(discOptions);
    gui::DiscWindow discWindow(*engine, &window);
    if (discWindow.load("alice.qmk", archive)) {
        ok = save(discWindow, out, "disc") && ok;
    } else {
        std::fprintf(stderr, "the disc window did not load\n");
        ok = false;
    }
    gui::EraseDialog erase(&discWindow);
    ok = save(erase, out, "erase") && ok;
    return ok ? 0 : 1;
}
