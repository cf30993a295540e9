#pragma once
// The help page in a window of the program's own, for a desktop where no
// browser can be started.
#include <QDialog>
#include <QString>

class QTextBrowser;

namespace qm::gui {

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    // `helpFile`: the page's host path; its pictures are found beside it.
    HelpWindow(const QString& helpFile, QWidget* parent);

private:
    QTextBrowser* browser_ = nullptr;
};

}  // namespace qm::gui
