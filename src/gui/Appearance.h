#pragma once
// The program's look: its icon, drawn here so that it needs no image
// plug-in, the splash picture, and the skin (a Qt style sheet).
#include <QIcon>
#include <QPixmap>
#include <QString>

class QApplication;

namespace qm::gui {

QIcon programIcon();
QPixmap splashPicture();
// Applies "<folder>/skins/frmmain.skn" when it is there and reads; a missing
// or unreadable skin leaves the default look, without a message.
void applySkin(QApplication& application, const QString& programFolder);

}  // namespace qm::gui
