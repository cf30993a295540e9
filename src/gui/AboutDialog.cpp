#include "gui/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Startup.h"

namespace qm::gui {

AboutDialog::AboutDialog(const GuiContext& context, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillmark"));
    auto* layout = new QVBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    auto* title = new QLabel(QString::fromUtf8(app::kMainCaption), this);
    title->setObjectName(QStringLiteral("lblVersion"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    auto* text = new QLabel(QStringLiteral("Backs up and restores your Outlook data: profiles, data files, accounts,\n"
                                           "signatures, stationery, address book, options, templates and preferences."),
                            this);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    auto* copyright = new QLabel(QStringLiteral("Copyright \u00A9 2026 the Quillmark developers"), this);
    copyright->setObjectName(QStringLiteral("lblCopyright"));
    copyright->setAlignment(Qt::AlignCenter);
    layout->addWidget(copyright);
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(context.website), this);
    link->setObjectName(QStringLiteral("lblWebsite"));
    link->setOpenExternalLinks(true);
    link->setAlignment(Qt::AlignCenter);
    layout->addWidget(link);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignCenter);
}

}  // namespace qm::gui
