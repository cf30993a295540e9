#include "gui/Windows.h"

#include <QApplication>
#include <QFileInfo>
#include <QSplashScreen>
#include <QTimer>
#include <cstring>

#include "app/Session.h"
#include "gui/Appearance.h"
#include "gui/MainWindow.h"
#include "gui/MessageBoxes.h"
#include "platform/OpenPlatform.h"

namespace qm::gui {

int runWindows(int argc, char** argv) {
    platform::PlatformOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--prefix") == 0) options.prefix = argv[i + 1];
        if (std::strcmp(argv[i], "--user") == 0) options.userName = argv[i + 1];
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
    const auto scheduler = platform::openScheduler(options);
    if (!session.hasWorkFolder()) {
        splash.close();
        MessageBoxes::show(nullptr, "No work folder can be made under " + session.codePage.toUtf8(platform.system->workFolderRoot()),
                           app::Icon::Critical, app::Buttons::Ok);
        return 1;
    }
    GuiContext context(session, *scheduler, programFolder);

    MainWindow window(context);
    window.load();
    window.show();
    QTimer::singleShot(600, &splash, [&splash, &window] { splash.finish(&window); });
    return QApplication::exec();
}

}  // namespace qm::gui
