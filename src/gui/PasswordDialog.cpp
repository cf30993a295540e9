#include "gui/PasswordDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::gui {

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPwd"));
    setWindowTitle(QStringLiteral("Please enter password"));
    auto* layout = new QVBoxLayout(this);
    auto* security = new QGroupBox(QStringLiteral("Security"), this);
    auto* securityLayout = new QVBoxLayout(security);
    securityLayout->addWidget(new QLabel(QStringLiteral("Please enter password:"), security));
    txtPassword_ = new QLineEdit(security);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    txtPassword_->setEchoMode(QLineEdit::Password);
    securityLayout->addWidget(txtPassword_);
    layout->addWidget(security);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);  // Enter in the box is OK too
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdExit"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::string> PasswordDialog::ask(QWidget* parent) {
    PasswordDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.txtPassword_->text().toStdString();
}

}  // namespace qm::gui
