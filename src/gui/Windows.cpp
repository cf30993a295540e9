#include "gui/Windows.h"

#include <QApplication>
#include <QFileInfo>
#include <QSplashScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Session.h"
#include "gui/Appearance.h"
#include "gui/DiscWindow.h"
#include "gui/MainWindow.h"
#include "gui/MessageBoxes.h"
#include "platform/OpenPlatform.h"
#include "platform/OpenScheduler.h"

namespace qm::gui {
namespace {

// Scheduling says why it cannot be done, each time it is asked.
class UnreachableScheduler : public platform::Scheduler {
public:
    explicit UnreachableScheduler(std::string why) : why_(std::move(why)) {}
    platform::JobAddResult NetScheduleJobAdd(const std::string&, const platform::AtInfo&) override {
        platform::JobAddResult result;
        result.reason = why_;
        return result;
    }
    platform::JobListResult listJobs() override {
        platform::JobListResult result;
        result.reason = why_;
        return result;
    }
    platform::SchedulerResult removeJob(std::uint32_t) override {
        platform::SchedulerResult result;
        result.reason = why_;
        return result;
    }

private:
    std::string why_;
};

}  // namespace

int runWindows(int argc, char** argv) {
    platform::PlatformOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--prefix") == 0) options.prefix = argv[i + 1];
        if (std::strcmp(argv[i], "--user") == 0) options.userName = argv[i + 1];
        if (std::strcmp(argv[i], "--code-page") == 0) options.codePage = argv[i + 1];
    }
    // Without a display Qt would abort; say what to do instead.
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "quillmark: the windows need a display (none is set); see --help for the console forms\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setWindowIcon(programIcon());
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString programFolder = QFileInfo(QString::fromStdString(platform::programPath())).absolutePath();
    applySkin(application, programFolder);

    QSplashScreen splash(splashPicture());
    splash.setObjectName(QStringLiteral("frmSplash"));
    splash.show();
    QApplication::processEvents();

    platform::Platform platform;
    std::string error;
    if (!platform::openPlatform(options, platform, error)) {
        splash.close();
        MessageBoxes::show(nullptr, "The Outlook installation cannot be opened: " + error, app::Icon::Critical,
                           app::Buttons::Ok);
        return 1;
    }
    app::Session session(platform);
    platform::SchedulerOptions jobs;
    jobs.prefix = options.prefix;
    jobs.userName = options.userName;
    jobs.codePage = options.codePage;
    std::string schedulerError;
    auto scheduler = platform::openScheduler(jobs, schedulerError);
    if (!scheduler) scheduler = std::make_unique<UnreachableScheduler>(schedulerError);
    if (!session.hasWorkFolder()) {
        splash.close();
        MessageBoxes::show(nullptr, "No work folder can be made under " + session.codePage.toUtf8(platform.system->workFolderRoot()),
                           app::Icon::Critical, app::Buttons::Ok);
        return 1;
    }
    GuiContext context(session, *scheduler, programFolder);
    // Paths the windows show, as the host's files the disc component reads.
    context.openDiscWindow = discWindowOpener(session);

    MainWindow window(context);
    window.load();
    window.show();
    QTimer::singleShot(600, &splash, [&splash, &window] { splash.finish(&window); });
    return QApplication::exec();
}

}  // namespace qm::gui
