#include "gui/ItemControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "items/ItemTable.h"

namespace qm::gui {
namespace {

// Where each item's mnemonic goes in its caption: the letters are the same
// in every window (Personal Fo_lders, Accounts Settin_gs, _Signatures,
// Stat_ioneries, Personal Address Boo_k, Options S_ettings, Te_mplates,
// P_references) and none of them is taken by the windows' other controls.
constexpr int kItemMnemonicAt[8] = {11, 15, 0, 4, 20, 9, 2, 1};

}  // namespace

QString withMnemonic(const QString& text, int at) {
    QString marked = text;
    marked.replace(QStringLiteral("&"), QStringLiteral("&&"));
    marked.insert(at, QLatin1Char('&'));
    return marked;
}

WhatFrame makeWhatFrame(QWidget* parent, const QString& profileLabel, const QString& profilesName,
                        const QString& itemsTitle, const QString& itemPrefix, std::array<QCheckBox*, 8>& items,
                        bool restoreTips) {
    WhatFrame what;
    what.frame = new QGroupBox(QStringLiteral("What"), parent);
    what.layout = new QVBoxLayout(what.frame);
    auto* profileRow = new QHBoxLayout;
    auto* label = new QLabel(profileLabel, what.frame);
    profileRow->addWidget(label);
    what.profiles = new QComboBox(what.frame);
    label->setBuddy(what.profiles);
    what.profiles->setObjectName(profilesName);
    what.profiles->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    profileRow->addWidget(what.profiles);
    what.layout->addLayout(profileRow);
    what.items = new QGroupBox(itemsTitle, what.frame);
    auto* itemsLayout = new QVBoxLayout(what.items);
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i] =
            new QCheckBox(withMnemonic(QString::fromUtf8(items::kItemCaptions[i]), kItemMnemonicAt[i]), what.items);
        items[i]->setObjectName(QStringLiteral("%1_%2").arg(itemPrefix).arg(i));
        items[i]->setToolTip(QString::fromUtf8(items::kItemTooltips[i]) + (restoreTips && i == 0 ? "." : ""));
        itemsLayout->addWidget(items[i]);
    }
    what.layout->addWidget(what.items);
    what.layout->addStretch();
    return what;
}

SecurityFrame makeSecurityFrame(QWidget* parent) {
    SecurityFrame security;
    security.frame = new QGroupBox(QStringLiteral("Security"), parent);
    auto* layout = new QGridLayout(security.frame);
    security.protect = new QCheckBox(QStringLiteral("Pro&tect backup file with password"), security.frame);
    security.protect->setObjectName(QStringLiteral("ifprotect"));
    layout->addWidget(security.protect, 0, 0, 1, 2);
    auto* passwordLabel = new QLabel(QStringLiteral("Pass&word:"), security.frame);
    layout->addWidget(passwordLabel, 1, 0);
    security.password = new QLineEdit(security.frame);
    passwordLabel->setBuddy(security.password);
    security.password->setObjectName(QStringLiteral("txtPassword"));
    security.password->setEchoMode(QLineEdit::Password);
    layout->addWidget(security.password, 1, 1);
    auto* retypedLabel = new QLabel(QStringLiteral("Ret&ype Password:"), security.frame);
    layout->addWidget(retypedLabel, 2, 0);
    security.retyped = new QLineEdit(security.frame);
    retypedLabel->setBuddy(security.retyped);
    security.retyped->setObjectName(QStringLiteral("txtPassword2"));
    security.retyped->setEchoMode(QLineEdit::Password);
    layout->addWidget(security.retyped, 2, 1);
    paintPasswordBox(security.password, false);
    paintPasswordBox(security.retyped, false);
    return security;
}

void showPath(QLineEdit* box, const QString& path) {
    box->setText(path);
    // The folder is what tells one backup file from another.
    box->setCursorPosition(0);
    box->setToolTip(path);
}

void paintPasswordBox(QLineEdit* box, bool enabled) {
    box->setEnabled(enabled);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, enabled ? QApplication::palette().color(QPalette::Base)
                                             : QApplication::palette().color(QPalette::Button));
    box->setPalette(palette);
}

}  // namespace qm::gui
