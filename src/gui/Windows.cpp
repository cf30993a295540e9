#include "gui/Windows.h"

#include <QApplication>
#include <QFileInfo>
#include <QSplashScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "frontend/Installation.h"
#include "gui/Appearance.h"
#include "gui/DiscWindow.h"
#include "gui/MainWindow.h"
#include "gui/MessageBoxes.h"
#include "platform/OpenPlatform.h"

namespace qm::gui {

int runWindows(int argc, char** argv, const platform::PlatformOptions& options) {
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

    frontend::Installation installation;
    std::string error;
    if (!installation.open(options, false, error)) {
        splash.close();
        MessageBoxes::show(nullptr, "The Outlook installation cannot be opened: " + error, app::Icon::Critical,
                           app::Buttons::Ok);
        return 1;
    }
    app::Session& session = installation.session();
    GuiContext context(session, installation.scheduler(), installation.program(), programFolder);
    // Paths the windows show, as the host's files the disc component reads.
    context.openDiscWindow = discWindowOpener(session);

    MainWindow window(context);
    window.load();
    window.show();
    QTimer::singleShot(600, &splash, [&splash, &window] { splash.finish(&window); });
    return QApplication::exec();
}

}  // namespace qm::gui
