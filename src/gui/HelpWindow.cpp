#include "gui/HelpWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace qm::gui {
namespace {

// The page's pictures are screenshots wider than the window; a browser
// scales them to the page, this one would show them at full size and
// scroll sideways. So each is made no wider than the text is.
class HelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::ImageResource) return resource;
        QImage image = resource.value<QImage>();
        if (image.isNull()) image.loadFromData(resource.toByteArray());
        const int widest = kWidestPicture;
        if (image.isNull() || image.width() <= widest) return resource;
        return image.scaledToWidth(widest, Qt::SmoothTransformation);
    }

    static constexpr int kWidestPicture = 680;
};

}  // namespace

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Quillmark Help"));
    auto* layout = new QVBoxLayout(this);
    browser_ = new HelpBrowser(this);
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
