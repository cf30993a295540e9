#pragma once
// The about window: the version, a copyright line and the web page.
#include <QDialog>

#include "gui/GuiContext.h"

namespace qm::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const GuiContext& context, QWidget* parent);
};

}  // namespace qm::gui
