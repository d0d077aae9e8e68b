#include "view/tree_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zolin6::view {

QIcon TreeIcon(const std::string& key, qreal pixelRatio) {
  QPixmap pixmap(QSize(16, 16) * pixelRatio);
  pixmap.setDevicePixelRatio(pixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  if (key == "window_list") {
    p.setPen(QColor(40, 60, 110));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.fillRect(QRectF(2, 3, 12, 3), QColor(60, 100, 180));
    p.setPen(QColor(90, 90, 90));
    for (int y : {8, 10, 12}) p.drawLine(QPointF(4, y + 0.5), QPointF(12, y + 0.5));
  } else if (key == "forward2") {
    QPainterPath arrow;
    arrow.moveTo(2, 6);
    arrow.lineTo(8, 6);
    arrow.lineTo(8, 2.5);
    arrow.lineTo(14, 8);
    arrow.lineTo(8, 13.5);
    arrow.lineTo(8, 10);
    arrow.lineTo(2, 10);
    arrow.closeSubpath();
    p.setPen(QColor(30, 110, 40));
    p.setBrush(QColor(70, 170, 80));
    p.drawPath(arrow);
  } else {
    QPainterPath sheet;
    sheet.moveTo(3.5, 1.5);
    sheet.lineTo(10, 1.5);
    sheet.lineTo(12.5, 4);
    sheet.lineTo(12.5, 14.5);
    sheet.lineTo(3.5, 14.5);
    sheet.closeSubpath();
    p.setPen(QColor(60, 80, 130));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setPen(QColor(80, 120, 200));
    for (int y : {5, 7, 9, 11}) p.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
  }
  return QIcon(pixmap);
}

}  // namespace zolin6::view
