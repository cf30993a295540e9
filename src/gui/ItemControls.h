#pragma once
// The controls the main window and the options window share: the "What"
// frame (a profile list and the eight items) and the "Security" frame, with
// the object names the tests find them by.
#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace qm::gui {

struct WhatFrame {
    QGroupBox* frame = nullptr;
    QVBoxLayout* layout = nullptr;
    QComboBox* profiles = nullptr;
    QGroupBox* items = nullptr;
};

// The text with a mnemonic at `at` ("&" put before that character; an "&"
// of the text itself doubled).
QString withMnemonic(const QString& text, int at);

// A read-only box showing a path: its start in view, the whole path as its
// tool tip.
void showPath(QLineEdit* box, const QString& path);

// `profileLabel` (with its mnemonic) beside the profile list named
// `profilesName`; the items in
// a frame titled `itemsTitle`, named `<itemPrefix>_<n>`. The restore tab's
// first tool tip ends with a full stop.
WhatFrame makeWhatFrame(QWidget* parent, const QString& profileLabel, const QString& profilesName,
                        const QString& itemsTitle, const QString& itemPrefix, std::array<QCheckBox*, 8>& items,
                        bool restoreTips = false);

struct SecurityFrame {
    QGroupBox* frame = nullptr;
    QCheckBox* protect = nullptr;
    QLineEdit* password = nullptr;
    QLineEdit* retyped = nullptr;
};

// The protection box and the two password boxes, greyed until it is ticked.
SecurityFrame makeSecurityFrame(QWidget* parent);

// The grey of a disabled password box, the window's colour of an enabled one.
void paintPasswordBox(QLineEdit* box, bool enabled);

}  // namespace qm::gui
