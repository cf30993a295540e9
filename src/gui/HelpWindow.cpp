#include "gui/HelpWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace qm::gui {

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Quillmark Help"));
    auto* layout = new QVBoxLayout(this);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("txtHelp"));
    // Links out of the page go to no browser: there is none.
    browser_->setOpenExternalLinks(false);
    browser_->setSearchPaths({QFileInfo(helpFile).absolutePath()});
    if (QFileInfo(helpFile).isFile())
        browser_->setSource(QUrl::fromLocalFile(helpFile));
    else
        browser_->setPlainText(QStringLiteral("The help page is missing: ") + helpFile);
    layout->addWidget(browser_);
    auto* buttons = new QHBoxLayout;
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    resize(760, 620);
}

}  // namespace qm::gui
