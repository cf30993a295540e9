#pragma once
// What the windows of one program run share.
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/Session.h"
#include "options/OptionsPresenter.h"
#include "platform/Scheduler.h"

class QWidget;

namespace qm::gui {

struct GuiContext {
    GuiContext(app::Session& s, platform::Scheduler& jobs, std::string programPath, QString folder)
        : session(s), scheduler(jobs), program(std::move(programPath)), dataFolder(std::move(folder)) {}

    app::Session& session;
    platform::Scheduler& scheduler;
    // What a scheduled job starts: this program, by its own path.
    std::string program;
    // Host folder with the help page, the skins and the icon.
    QString dataFolder;
    // The page "Our Website" opens.
    QString website = QStringLiteral("https://quillmark.example.org/");
    // The options window's target file, kept for the program's run.
    options::KeptOptions keptOptions;
    // Shows the disc-writing window modally, with a file handed over (both
    // texts empty: none).
    std::function<void(QWidget* parent, const std::string& fileTitle, const std::string& filePath)> openDiscWindow;
};

}  // namespace qm::gui
