#include "gui/MessageBoxes.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "frontend/Summaries.h"

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

QString messageMarkup(const std::string& text) {
    QString html;
    bool inTable = false;
    for (const auto& cells : frontend::TextColumns(text)) {
        const bool row = cells.size() > 1;
        if (row && !inTable) html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\">");
        if (!row && inTable) html += QStringLiteral("</table>");
        inTable = row;
        if (row) {
            html += QStringLiteral("<tr>");
            for (std::size_t i = 0; i < cells.size(); ++i)
                html += QStringLiteral("<td style=\"padding-right: 18px\">%1</td>")
                            .arg(QString::fromStdString(cells[i]).toHtmlEscaped());
            html += QStringLiteral("</tr>");
        } else {
            // An empty line is a paragraph of its own: after a table a bare
            // <br> only ends the table's block, and the blank line is lost.
            html += cells.empty() || cells[0].empty()
                        ? QStringLiteral("<p style=\"margin: 0\">&nbsp;</p>")
                        : QString::fromStdString(cells[0]).toHtmlEscaped() + QStringLiteral("<br>");
        }
    }
    if (inTable) html += QStringLiteral("</table>");
    return html;
}

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
    // A report's columns, lined up whatever the font; its text keeps its TABs.
    if (text.find('\t') != std::string::npos) {
        box.setTextFormat(Qt::RichText);
        box.setText(messageMarkup(text));
    }
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
    // Pairs of a name and its patterns; Qt reads the patterns from the
    // name's brackets. "*.*" is every file on Windows; here it is "*".
    QStringList names;
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    for (int i = 0; i < parts.size(); i += 2) {
        QString name = parts[i];
        if (i + 1 < parts.size() && parts[i + 1] == QStringLiteral("*.*"))
            name.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
        names << name;
    }
    return names.join(QStringLiteral(";;"));
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

std::string FilePickers::folder(QWidget* parent, const std::string& title, const std::string& start) {
    if (!nextFileNames().empty()) {
        std::string name = nextFileNames().front();
        nextFileNames().pop_front();
        return name;
    }
    return QFileDialog::getExistingDirectory(parent, QString::fromStdString(title), QString::fromStdString(start))
        .toStdString();
}

std::string FilePickers::choose(QWidget* parent, const std::string& title, const std::string& label,
                                const std::vector<std::string>& choices, const std::string& current) {
    if (!nextFileNames().empty()) {
        std::string name = nextFileNames().front();
        nextFileNames().pop_front();
        return name;
    }
    QStringList items;
    int at = 0;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        items << QString::fromStdString(choices[i]);
        if (choices[i] == current) at = static_cast<int>(i);
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, QString::fromStdString(title), QString::fromStdString(label),
                                                 items, at, false, &ok);
    return ok ? chosen.toStdString() : std::string();
}

void FilePickers::setNextFileName(const std::string& name) { nextFileNames().push_back(name); }

void FilePickers::reset() { nextFileNames().clear(); }

}  // namespace qm::gui
