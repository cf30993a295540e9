#include "gui/PasswordDialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qm::gui {
namespace {

// Room a title bar takes beside its title: the icon and three buttons.
constexpr int kTitleBarButtons = 160;

}  // namespace

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPwd"));
    setWindowTitle(QStringLiteral("Please enter password"));
    auto* layout = new QVBoxLayout(this);
    auto* security = new QGroupBox(QStringLiteral("Security"), this);
    auto* securityLayout = new QVBoxLayout(security);
    auto* label = new QLabel(QStringLiteral("&Please enter password:"), security);
    securityLayout->addWidget(label);
    txtPassword_ = new QLineEdit(security);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    label->setBuddy(txtPassword_);
    txtPassword_->setEchoMode(QLineEdit::Password);
    securityLayout->addWidget(txtPassword_);
    layout->addWidget(security);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);  // Enter in the box is OK too
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdExit"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Wide enough for the whole title beside the frame's buttons, which a
    // window manager sizes from the title bar's font.
    const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
    setMinimumWidth(std::max(minimumSizeHint().width(), title.horizontalAdvance(windowTitle()) + kTitleBarButtons));
}

std::optional<std::string> PasswordDialog::ask(QWidget* parent) {
    PasswordDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.txtPassword_->text().toStdString();
}

}  // namespace qm::gui
