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

WhatFrame makeWhatFrame(QWidget* parent, const QString& profileLabel, const QString& profilesName,
                        const QString& itemsTitle, const QString& itemPrefix, std::array<QCheckBox*, 8>& items,
                        bool restoreTips) {
    WhatFrame what;
    what.frame = new QGroupBox(QStringLiteral("What"), parent);
    what.layout = new QVBoxLayout(what.frame);
    auto* profileRow = new QHBoxLayout;
    profileRow->addWidget(new QLabel(profileLabel, what.frame));
    what.profiles = new QComboBox(what.frame);
    what.profiles->setObjectName(profilesName);
    what.profiles->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    profileRow->addWidget(what.profiles);
    what.layout->addLayout(profileRow);
    what.items = new QGroupBox(itemsTitle, what.frame);
    auto* itemsLayout = new QVBoxLayout(what.items);
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i] = new QCheckBox(QString::fromUtf8(items::kItemCaptions[i]), what.items);
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
    security.protect = new QCheckBox(QStringLiteral("Protect backup file with password"), security.frame);
    security.protect->setObjectName(QStringLiteral("ifprotect"));
    layout->addWidget(security.protect, 0, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Password:"), security.frame), 1, 0);
    security.password = new QLineEdit(security.frame);
    security.password->setObjectName(QStringLiteral("txtPassword"));
    security.password->setEchoMode(QLineEdit::Password);
    layout->addWidget(security.password, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("Retype Password:"), security.frame), 2, 0);
    security.retyped = new QLineEdit(security.frame);
    security.retyped->setObjectName(QStringLiteral("txtPassword2"));
    security.retyped->setEchoMode(QLineEdit::Password);
    layout->addWidget(security.retyped, 2, 1);
    paintPasswordBox(security.password, false);
    paintPasswordBox(security.retyped, false);
    return security;
}

void paintPasswordBox(QLineEdit* box, bool enabled) {
    box->setEnabled(enabled);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, enabled ? QApplication::palette().color(QPalette::Base)
                                             : QApplication::palette().color(QPalette::Button));
    box->setPalette(palette);
}

}  // namespace qm::gui
