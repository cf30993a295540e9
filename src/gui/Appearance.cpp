#include "gui/Appearance.h"

#include <QApplication>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/Startup.h"

namespace qm::gui {
namespace {

// An envelope with a quill across it.
void drawIcon(QPainter& p, const QRectF& r) {
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(0x2f, 0x6f, 0xb8));
    sky.setColorAt(1, QColor(0x1c, 0x47, 0x7d));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(r, r.width() * 0.18, r.width() * 0.18);
    const QRectF env(r.left() + r.width() * 0.16, r.top() + r.height() * 0.32, r.width() * 0.68, r.height() * 0.46);
    p.setBrush(QColor(0xf7, 0xf4, 0xea));
    p.drawRect(env);
    p.setPen(QPen(QColor(0x9a, 0x8f, 0x70), r.width() * 0.03));
    p.drawLine(env.topLeft(), env.center() + QPointF(0, r.height() * 0.04));
    p.drawLine(env.topRight(), env.center() + QPointF(0, r.height() * 0.04));
    QPainterPath quill;
    quill.moveTo(r.left() + r.width() * 0.30, r.top() + r.height() * 0.86);
    quill.cubicTo(r.left() + r.width() * 0.50, r.top() + r.height() * 0.45, r.left() + r.width() * 0.74,
                  r.top() + r.height() * 0.18, r.left() + r.width() * 0.90, r.top() + r.height() * 0.10);
    quill.cubicTo(r.left() + r.width() * 0.80, r.top() + r.height() * 0.32, r.left() + r.width() * 0.62,
                  r.top() + r.height() * 0.58, r.left() + r.width() * 0.30, r.top() + r.height() * 0.86);
    p.setPen(QPen(QColor(0xe8, 0xb3, 0x3a), r.width() * 0.02));
    p.setBrush(QColor(0xf5, 0xc8, 0x5c));
    p.drawPath(quill);
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        drawIcon(p, QRectF(0, 0, size, size));
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap splashPicture() {
    QPixmap pixmap(440, 220);
    pixmap.fill(QColor(0x1c, 0x47, 0x7d));
    QPainter p(&pixmap);
    drawIcon(p, QRectF(24, 40, 140, 140));
    p.setPen(Qt::white);
    QFont title = p.font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(180, 60, 250, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillmark"));
    QFont small = p.font();
    small.setPointSize(11);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRectF(182, 110, 250, 60), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QString::fromUtf8(app::kMainCaption).section(QLatin1Char(' '), 1) +
                   QStringLiteral("\nOutlook data, backed up and restored."));
    return pixmap;
}

void applySkin(QApplication& application, const QString& programFolder) {
    QFile skin(programFolder + QStringLiteral("/skins/frmmain.skn"));
    if (!skin.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    const QString sheet = QString::fromUtf8(skin.readAll());
    if (!sheet.trimmed().isEmpty()) application.setStyleSheet(sheet);
}

}  // namespace qm::gui
