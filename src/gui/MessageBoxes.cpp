#include "gui/MessageBoxes.h"

#include <QFileDialog>
#include <QMessageBox>

namespace qm::gui {
namespace {

std::deque<app::Answer>& nextAnswers() {
    static std::deque<app::Answer> answers;
    return answers;
}

std::optional<app::Answer>& unasked() {
    static std::optional<app::Answer> answer;
    return answer;
}

std::vector<std::string>& shown() {
    static std::vector<std::string> texts;
    return texts;
}

std::deque<std::string>& nextFileNames() {
    static std::deque<std::string> names;
    return names;
}

QMessageBox::Icon iconOf(app::Icon icon) {
    switch (icon) {
    case app::Icon::Information: return QMessageBox::Information;
    case app::Icon::Exclamation: return QMessageBox::Warning;
    case app::Icon::Critical: return QMessageBox::Critical;
    case app::Icon::Question: return QMessageBox::Question;
    case app::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

app::Answer MessageBoxes::show(QWidget* parent, const std::string& text, app::Icon icon, app::Buttons buttons) {
    return show(parent, QStringLiteral("Quillmark"), text, icon, buttons);
}

app::Answer MessageBoxes::show(QWidget* parent, const QString& caption, const std::string& text, app::Icon icon,
                               app::Buttons buttons) {
    shown().push_back(text);
    if (!nextAnswers().empty()) {
        const app::Answer answer = nextAnswers().front();
        nextAnswers().pop_front();
        return answer;
    }
    if (unasked()) return *unasked();
    QMessageBox box(iconOf(icon), caption, QString::fromStdString(text),
                    buttons == app::Buttons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("messageBox"));
    return box.exec() == QMessageBox::Ok ? app::Answer::Ok : app::Answer::Cancel;
}

void MessageBoxes::setNextAnswer(app::Answer answer) { nextAnswers().push_back(answer); }

void MessageBoxes::answerUnaskedWith(std::optional<app::Answer> answer) { unasked() = answer; }

const std::vector<std::string>& MessageBoxes::shownTexts() { return shown(); }

void MessageBoxes::reset() {
    nextAnswers().clear();
    unasked().reset();
    shown().clear();
}

QString qtFilter(const std::string& filter) {
    const auto bar = filter.find('|');
    return QString::fromStdString(bar == std::string::npos ? filter : filter.substr(0, bar));
}

std::string FilePickers::open(QWidget* parent, const std::string& title, const std::string& filter) {
    if (!nextFileNames().empty()) {
        std::string name = nextFileNames().front();
        nextFileNames().pop_front();
        return name;
    }
    return QFileDialog::getOpenFileName(parent, QString::fromStdString(title), QString(), qtFilter(filter)).toStdString();
}

std::string FilePickers::save(QWidget* parent, const std::string& title, const std::string& filter,
                              const std::string& proposedName) {
    if (!nextFileNames().empty()) {
        std::string name = nextFileNames().front();
        nextFileNames().pop_front();
        return name;
    }
    // Qt's dialog asks before it overwrites a file.
    return QFileDialog::getSaveFileName(parent, QString::fromStdString(title), QString::fromStdString(proposedName),
                                        qtFilter(filter))
        .toStdString();
}

void FilePickers::setNextFileName(const std::string& name) { nextFileNames().push_back(name); }

void FilePickers::reset() { nextFileNames().clear(); }

}  // namespace qm::gui
