#pragma once
// Every message box of the windows: caption "Quillmark" unless given, the
// icon asked for, OK or OK and Cancel. Tests queue the answers instead of a dialog.
#include <QString>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/MessageView.h"

class QWidget;

namespace qm::gui {

class MessageBoxes {
public:
    static app::Answer show(QWidget* parent, const std::string& text, app::Icon icon, app::Buttons buttons);
    // The same with a caption of its own.
    static app::Answer show(QWidget* parent, const QString& caption, const std::string& text, app::Icon icon,
                            app::Buttons buttons);

    // For tests: the next boxes answer these without being shown (in order),
    // and every text asked is kept.
    static void setNextAnswer(app::Answer answer);
    // For tests: when no next answer is queued, answer this without a box.
    static void answerUnaskedWith(std::optional<app::Answer> answer);
    static const std::vector<std::string>& shownTexts();
    static void reset();
};

// The file dialogs of the windows, with the same hook for tests: the next
// dialogs answer these names (an empty one cancels) without being shown.
class FilePickers {
public:
    static std::string open(QWidget* parent, const std::string& title, const std::string& filter);
    static std::string save(QWidget* parent, const std::string& title, const std::string& filter,
                            const std::string& proposedName);
    // A folder; one of a list (`current` chosen at first).
    static std::string folder(QWidget* parent, const std::string& title, const std::string& start);
    static std::string choose(QWidget* parent, const std::string& title, const std::string& label,
                              const std::vector<std::string>& choices, const std::string& current);
    static void setNextFileName(const std::string& name);
    static void reset();
};

// "Name (*.x)|*.x|All Files (*.*)|*.*" as Qt writes filters.
QString qtFilter(const std::string& filter);
// A message's text as the box shows it: the columns of its lines that hold
// TABs lined up in a table.
QString messageMarkup(const std::string& text);

}  // namespace qm::gui
