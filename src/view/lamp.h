#pragma once
// A round indicator lamp painted in the fill and border colours of a
// ShapeDiagnosis shape: red for an active status bit, dark blue otherwise.

#include <QColor>
#include <QWidget>

namespace zolin6::view {

class Lamp : public QWidget {
 public:
  explicit Lamp(QWidget* parent = nullptr);

  QColor fillColor() const { return fill_; }
  QColor borderColor() const { return border_; }
  void setColors(const QColor& fill, const QColor& border);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fill_;
  QColor border_;
};

}  // namespace zolin6::view
