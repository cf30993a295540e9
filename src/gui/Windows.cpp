#include "gui/Windows.h"

#include <QApplication>
#include <QFileInfo>
#include <QSplashScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "frontend/Installation.h"
#include "gui/Appearance.h"
#include "gui/DiscWindow.h"
#include "gui/MainWindow.h"
#include "gui/MessageBoxes.h"
#include "platform/OpenPlatform.h"
#include "platform/Shell.h"
#include "runs/Texts.h"

namespace qm::gui {
namespace {

// One installation with the main window over it; its members go in
// reverse order (the window, then what it uses).
struct Opened {
    std::unique_ptr<frontend::Installation> installation;
    std::unique_ptr<GuiContext> context;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

bool openFirstInstallation(const platform::PlatformOptions& options, frontend::Installation& installation,
                           std::string& message) {
    std::string why;
    if (installation.open(options, frontend::Opening::ToWork, why)) return true;
    message = runs::text::kCannotOpenInstallation + why;
    return false;
}

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

    const std::unique_ptr<platform::Shell> shell = platform::openShell();
    Opened current;
    std::function<bool(const platform::PlatformOptions&, std::string&)> openAnother;
    // The main window over an installation, with what it takes from here.
    const auto windowOver = [&](std::unique_ptr<frontend::Installation> installation) {
        Opened opened;
        opened.installation = std::move(installation);
        app::Session& session = opened.installation->session();
        opened.context = std::make_unique<GuiContext>(session, opened.installation->scheduler(),
                                                      opened.installation->program(), programFolder);
        // Paths the windows show, as the host's files the disc component reads.
        opened.context->openDiscWindow = discWindowOpener(session);
        runs::MainContext& main = opened.context->main;
        main.place = opened.installation->place();
        main.options = opened.installation->options();
        main.openInstallation = openAnother;
        main.shell = shell.get();
        main.helpFile = (programFolder + QStringLiteral("/help/index.html")).toStdString();
        main.website = opened.context->website.toStdString();
        opened.window = std::make_unique<MainWindow>(*opened.context);
        return opened;
    };
    openAnother = [&](const platform::PlatformOptions& next, std::string& why) {
        auto installation = std::make_unique<frontend::Installation>();
        if (!installation->open(next, frontend::Opening::ToWork, why)) return false;
        // The window that asked is still in its command: it is replaced once
        // that has returned, the new one shown where it was.
        QTimer::singleShot(0, [&, opened = installation.release()] {
            Opened fresh = windowOver(std::unique_ptr<frontend::Installation>(opened));
            fresh.window->setGeometry(current.window->geometry());
            fresh.window->load();
            fresh.window->show();
            current.window->hide();
            // Let go at the end of this scope, the window first (a member
            // by member assignment would let the installation go first).
            Opened old = std::move(current);
            current = std::move(fresh);
        });
        return true;
    };

    auto installation = std::make_unique<frontend::Installation>();
    std::string refusal;
    if (!openFirstInstallation(options, *installation, refusal)) {
        splash.close();
        MessageBoxes::show(nullptr, refusal, app::Icon::Critical, app::Buttons::Ok);
        return 1;
    }
    current = windowOver(std::move(installation));
    current.window->load();
    current.window->show();
    QTimer::singleShot(600, &splash, [&splash, &current] { splash.finish(current.window.get()); });
    const int status = QApplication::exec();
    current.window.reset();
    current.context.reset();
    current.installation.reset();
    return status;
}

}  // namespace qm::gui
