#include "view/lamp.h"

#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

namespace zolin6::view {

Lamp::Lamp(QWidget* parent) : QWidget(parent) { setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed); }

void Lamp::setColors(const QColor& fill, const QColor& border) {
  if (fill == fill_ && border == border_) return;
  fill_ = fill;
  border_ = border;
  update();
}

QSize Lamp::sizeHint() const {
  // As tall as a line of the caption beside it.
  const int side = fontMetrics().height();
  return {side, side};
}

void Lamp::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int side = std::min(width(), height()) - 2;
  const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
  // A soft highlight up and to the left makes the flat colour read as a lamp.
  QRadialGradient glow(circle.center() - QPointF(side / 5.0, side / 5.0), side / 1.4);
  glow.setColorAt(0.0, fill_.lighter(170));
  glow.setColorAt(1.0, fill_);
  painter.setBrush(glow);
  painter.setPen(QPen(border_.darker(140), 1.0));
  painter.drawEllipse(circle);
}

}  // namespace zolin6::view
