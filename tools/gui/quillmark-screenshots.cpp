// Pictures of every window, made offscreen on a sample installation:
//   quillmark-screenshots OUT_DIR
// For the README and the help page, and for looking at the windows.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/Session.h"
#include "disc/linux/LinuxDiscEngine.h"
#include "gui/AboutDialog.h"
#include "gui/Appearance.h"
#include "gui/DiscWindow.h"
#include "gui/EraseDialog.h"
#include "gui/HelpWindow.h"
#include "gui/JobListDialog.h"
#include "gui/MainWindow.h"
#include "gui/MessageBoxes.h"
#include "gui/OptionsDialog.h"
#include "gui/PasswordDialog.h"
#include "jobs/AutomaticArguments.h"
#include "jobs/AutomaticBackup.h"
#include "jobs/RunHistory.h"
#include "platform/OpenPlatform.h"
#include "sample/SampleInstallation.h"

namespace {

using namespace qm;

// Two jobs to list, held here: the user's crontab is never touched.
class ShownJobs : public platform::Scheduler {
public:
    bool addJob(const platform::JobSpec&, std::uint32_t&, std::string& why) override {
        why = "the pictures schedule nothing";
        return false;
    }
    bool listJobs(std::vector<platform::ScheduledJob>& jobs, std::string&) override {
        jobs::AutomaticSettings nightly{"Outlook", "11111111", "secret", "/home/alice/backups/nightly.qmk"};
        jobs::AutomaticSettings weekly{"Outlook", "10000000", "", "/media/usb/weekly.qmk"};
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

// `fit`: at the size its contents ask for; otherwise at the size it opens with.
bool save(QWidget& window, const QString& folder, const char* name, bool fit = true) {
    window.show();
    if (fit) window.adjustSize();
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

    // Outlook for Microsoft 365, and the Outlook 2010 of an older machine
    // whose backup the restore tab opens, to move its profile in.
    QTemporaryDir scratch;
    sample::SampleOptions options;
    options.prefix = (scratch.path() + "/prefix").toStdString();
    options.outlook = "16.0";
    options.secondProfile = "Work";
    sample::SampleOptions older;
    older.prefix = (scratch.path() + "/older").toStdString();
    older.outlook = "14.0";
    std::string error;
    if (!sample::buildSampleInstallation(options, error) || !sample::buildSampleInstallation(older, error)) {
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
    ShownJobs shownJobs;
    gui::GuiContext context(session, shownJobs, "/usr/lib/quillmark/quillmark", QCoreApplication::applicationDirPath());
    context.main.place = {"/home/alice/.wine", options.user};
    context.main.helpFile = (QCoreApplication::applicationDirPath() + "/help/index.html").toStdString();
    // A backup of the older Outlook to open on the restore tab.
    const std::string archive = (scratch.path() + "/alice.qmk").toStdString();
    {
        platform::PlatformOptions openOlder = open;
        openOlder.prefix = older.prefix;
        platform::Platform olderInstallation;
        if (!platform::openPlatform(openOlder, olderInstallation, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        app::Session maker(olderInstallation);
        app::LoadEnvironment(maker);
        jobs::RunAutomaticBackup(maker, {"Outlook", "11110111", "", archive});
    }

    bool ok = true;
    gui::MainWindow window(context);
    window.load();
    // The jobs' last runs, as their scheduled runs left them (after the
    // window opened: it would tell the failed one in a message box).
    jobs::RunHistory history = jobs::RunHistory::of(session);
    std::string unrecorded;
    history.append({"2026-12-07 23:30:04", "scheduled", "/home/alice/backups/nightly.qmk", 0, ""}, unrecorded);
    history.append({"2026-12-06 09:00:02", "scheduled", "/media/usb/weekly.qmk", 1,
                    "no backup written: cannot start the backup file Z:\\media\\usb\\weekly.qmk: The archive's folder "
                    "does not exist"},
                   unrecorded);
    window.resize(900, 620);
    window.findChild<QPushButton*>("cmdApply");
    ok = save(window, out, "main-backup") && ok;
    gui::FilePickers::setNextFileName(archive);
    window.findChild<QTabWidget*>("SSTab1")->setCurrentIndex(1);
    window.findChild<QPushButton*>("cmdSourceFile")->click();
    ok = save(window, out, "main-restore") && ok;

    // A backup at work: the long steps on the status line, and Cancel.
    window.findChild<QTabWidget*>("SSTab1")->setCurrentIndex(0);
    window.showBusy(true);
    // As a run shows it: the step and its figure, the bar over the rest.
    window.setStatus("Writing the backup file 42%");
    window.setProgress(97);
    window.setFileLine("Adding File quillmark.dat");
    window.setPercentLine("Write File 42%");
    ok = save(window, out, "main-busy") && ok;
    window.showBusy(false);
    window.setProgress(0);
    window.setFileLine("");
    window.setPercentLine("");

    // A report as its message box shows it: the columns lined up.
    QMessageBox report(QMessageBox::Information, QStringLiteral("Quillmark"), QString(), QMessageBox::Ok, &window);
    report.setTextFormat(Qt::RichText);
    report.setText(
        gui::messageMarkup("The Backup was Completed!\t\t\t\r\n"
                           "\r\nBackup Personal Folders\t\tsucceeded!\t"
                           "\r\nBackup Accounts Settings\tsucceeded!\t"
                           "\r\nBackup Signatures\t\tsucceeded!\t"
                           "\r\nBackup Personal Address Book\t\tFail!\t"
                           "\r\nBackup Preferences\t\tsucceeded!\t\r\n\r\n"
                           "failed: the rules could not be backed up\r\n"
                           "failed: the personal address book could not be backed up: Your MS Outlook "
                           "don't support Personal Address Book!"));
    ok = save(report, out, "report") && ok;
    gui::HelpWindow help(QString::fromStdString(context.main.helpFile), &window);
    ok = save(help, out, "help", false) && ok;

    gui::PasswordDialog password(&window);
    ok = save(password, out, "password") && ok;
    // Three versions and one a week for four weeks, as a user might keep.
    context.keptOptions.keep = {3, 4, 0};
    gui::OptionsDialog optionsWindow(context, &window);
    ok = save(optionsWindow, out, "options") && ok;
    gui::JobListDialog list(shownJobs, &history, &window);
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
