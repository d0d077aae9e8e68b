#include "desktop/trend_chart.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "desktop/time_ticks.h"

namespace zolin6::desktop {

namespace {

// Eight colours told apart also by most colour-blind eyes, on white; a
// ninth line and beyond repeat them dashed.
const std::array<QColor, 8> kLineColors{QColor(0, 114, 178),   QColor(213, 94, 0),  QColor(0, 158, 115),
                                        QColor(204, 121, 167), QColor(230, 159, 0), QColor(86, 180, 233),
                                        QColor(0, 0, 0),       QColor(140, 86, 75)};
constexpr qreal kLineWidth = 2;

QPen LinePen(std::size_t rank) {
  QPen pen(kLineColors[rank % kLineColors.size()], kLineWidth);
  pen.setStyle(rank < kLineColors.size() ? Qt::SolidLine : Qt::DashLine);
  return pen;
}

QString Key(const trend::Series& series) {
  return QString::fromStdString(series.name) +
         (series.unit.empty() ? QString() : " [" + QString::fromStdString(series.unit) + "]");
}

}  // namespace

TrendChart::TrendChart(const trend::TrendBuffer& buffer, link::WallTime wallTime, QWidget* parent)
    : QWidget(parent),
      buffer_(buffer),
      wallTime_(wallTime),
      chart_(new QChart),
      view_(new QChartView(chart_)),
      timeAxis_(new QDateTimeAxis),
      utcOffset_(static_cast<qint64>(QDateTime::currentDateTime().offsetFromUtc()) * 1000) {
  setObjectName("TrendChart");
  chart_->setObjectName("TrendChartChart");
  chart_->legend()->setAlignment(Qt::AlignRight);
  chart_->setMargins(QMargins(4, 4, 4, 4));
  timeAxis_->setFormat("HH:mm:ss");
  timeAxis_->setTitleText("Time");
  timeAxis_->setTickCount(7);
  chart_->addAxis(timeAxis_, Qt::AlignBottom);
  view_->setObjectName("TrendChartView");
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setRubberBand(QChartView::HorizontalRubberBand);
  view_->viewport()->installEventFilter(this);
  connect(timeAxis_, &QDateTimeAxis::rangeChanged, this, [this] { timeRangeChanged(); });

  auto* tools = new QHBoxLayout;
  pause_ = addButton("trendPause", "Pause", "Freeze the picture; the values go on being kept");
  pause_->setCheckable(true);
  connect(pause_, &QToolButton::toggled, this, [this](bool on) {
    // Paused, the picture stays where it is; zoom and pan still work on it.
    end_ = wallTime_.now();
    live_ = !on;
    draw();
  });
  connect(addButton("trendZoomIn", "Zoom In", "Show half the time"), &QToolButton::clicked, this,
          [this] { zoom(0.5); });
  connect(addButton("trendZoomOut", "Zoom Out", "Show twice the time"), &QToolButton::clicked, this,
          [this] { zoom(2.0); });
  connect(addButton("trendEarlier", "\u25C0", "Earlier"), &QToolButton::clicked, this, [this] { pan(-0.25); });
  connect(addButton("trendLater", "\u25B6", "Later"), &QToolButton::clicked, this, [this] { pan(0.25); });
  connect(addButton("trendLive", "Live", "Follow the newest values"), &QToolButton::clicked, this,
          [this] { followLive(); });
  for (QToolButton* button : findChildren<QToolButton*>()) tools->addWidget(button);
  tools->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addLayout(tools);
  column->addWidget(view_, 1);
  refresh();
}

QToolButton* TrendChart::addButton(const QString& name, const QString& text, const QString& tip) {
  auto* button = new QToolButton(this);
  button->setObjectName(name);
  button->setText(text);
  button->setToolTip(tip);
  return button;
}

bool TrendChart::paused() const { return pause_->isChecked(); }

std::vector<QLineSeries*> TrendChart::pieces(const QString& key) const {
  auto found = lines_.find(key);
  return found == lines_.end() ? std::vector<QLineSeries*>{} : found->second.pieces;
}

void TrendChart::zoom(double factor) {
  const qint64 end = live_ ? wallTime_.now() : end_;
  const qint64 center = end - span_ / 2;
  span_ = std::clamp<toolkit::Millis>(static_cast<toolkit::Millis>(static_cast<double>(span_) * factor),
                                      kShortestTrendSpan, buffer_.window());
  if (!live_) end_ = center + span_ / 2;
  draw();
}

void TrendChart::pan(double fraction) {
  if (live_) end_ = wallTime_.now();
  live_ = false;
  end_ += static_cast<qint64>(static_cast<double>(span_) * fraction);
  if (end_ >= wallTime_.now() && !paused()) live_ = true;
  draw();
}

void TrendChart::followLive() {
  if (paused()) pause_->setChecked(false);
  live_ = true;
  draw();
}

// A band dragged over the chart zooms the axes itself: take its time range
// as the new view.
void TrendChart::timeRangeChanged() {
  if (drawing_) return;
  const qint64 from = timeAxis_->min().toMSecsSinceEpoch();
  const qint64 to = timeAxis_->max().toMSecsSinceEpoch();
  span_ = std::max<toolkit::Millis>(to - from, kShortestTrendSpan);
  end_ = to;
  live_ = false;
  draw();
}

bool TrendChart::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport() && event->type() == QEvent::Wheel) {
    zoom(static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? 0.8 : 1.25);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

QValueAxis* TrendChart::axisFor(const QString& unit) {
  auto found = axes_.find(unit);
  if (found != axes_.end()) return found->second;
  auto* axis = new QValueAxis;
  axis->setTitleText(unit.isEmpty() ? "(no unit)" : unit);
  axis->setLabelFormat("%.6g");
  chart_->addAxis(axis, axes_.size() % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
  axes_[unit] = axis;
  return axis;
}

TrendChart::Line& TrendChart::line(const trend::Series& series) {
  Line& found = lines_[Key(series)];
  if (found.axis == nullptr) found.axis = axisFor(QString::fromStdString(series.unit));
  return found;
}

void TrendChart::toggle(const QString& key) {
  Line& toggled = lines_[key];
  toggled.hidden = !toggled.hidden;
  for (QLineSeries* piece : toggled.pieces) piece->setVisible(!toggled.hidden);
  // The legend keeps the entry, greyed, so it can be shown again.
  for (QLegendMarker* marker : chart_->legend()->markers(toggled.pieces.front())) {
    marker->setVisible(true);
    QColor label = marker->labelBrush().color();
    label.setAlphaF(toggled.hidden ? 0.4F : 1.0F);
    marker->setLabelBrush(label);
  }
}

void TrendChart::drawLine(Line& drawn, const trend::Series& series, qint64 from, qint64 to, bool current) {
  std::vector<QList<QPointF>> segments(1);
  const trend::SampleRing& samples = series.samples;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const qint64 time = wallTime_.at(samples.at(i).time);
    if (time < from || time > to) continue;
    if (std::isnan(samples.at(i).value)) {
      if (!segments.back().isEmpty()) segments.emplace_back();
      continue;
    }
    segments.back().append(QPointF(static_cast<double>(time), samples.at(i).value));
  }
  while (drawn.pieces.size() < segments.size()) {
    auto* piece = new QLineSeries;
    piece->setName(Key(series));
    chart_->addSeries(piece);
    piece->attachAxis(timeAxis_);
    piece->attachAxis(drawn.axis);
    piece->setPen(drawn.pen);
    if (!drawn.pieces.empty()) {
      for (QLegendMarker* marker : chart_->legend()->markers(piece)) marker->setVisible(false);
    } else {
      const QString key = Key(series);
      for (QLegendMarker* marker : chart_->legend()->markers(piece)) {
        connect(marker, &QLegendMarker::clicked, this, [this, key] { toggle(key); });
      }
    }
    piece->setVisible(!drawn.hidden);
    drawn.pieces.push_back(piece);
  }
  for (std::size_t i = 0; i < drawn.pieces.size(); ++i) {
    drawn.pieces[i]->replace(current && i < segments.size() ? segments[i] : QList<QPointF>{});
    drawn.pieces[i]->setVisible(current && !drawn.hidden);
  }
  // Only the values of the tab on show have a legend entry.
  for (QLegendMarker* marker : chart_->legend()->markers(drawn.pieces.front())) marker->setVisible(current);
}

void TrendChart::restyle(Line& drawn, const QPen& pen) {
  if (drawn.pen == pen) return;
  drawn.pen = pen;
  for (QLineSeries* piece : drawn.pieces) piece->setPen(pen);
}

void TrendChart::refresh() {
  if (!paused()) draw();
}

void TrendChart::draw() {
  const qint64 to = live_ ? wallTime_.now() : end_;
  qint64 from = to - span_;
  if (live_) {
    // A young trend fills the chart instead of hugging its right edge.
    qint64 first = to;
    for (const trend::Series& series : buffer_.series()) {
      if (series.samples.size() > 0) first = std::min<qint64>(first, wallTime_.at(series.samples.at(0).time));
    }
    from = std::max(from, std::min(first, to - kShortestTrendSpan));
  }
  // The values of the tab on show are those of the newest notification: the
  // two tabs never poll at the same time.
  toolkit::Millis newest = std::numeric_limits<toolkit::Millis>::min();
  for (const trend::Series& series : buffer_.series()) {
    if (series.samples.size() > 0) newest = std::max(newest, series.samples.at(series.samples.size() - 1).time);
  }
  std::map<QValueAxis*, std::pair<double, double>> ranges;
  std::size_t rank = 0;  // the line's place among those on show: its colour and dash
  for (const trend::Series& series : buffer_.series()) {
    Line& drawn = line(series);
    const bool current = series.samples.size() > 0 && series.samples.at(series.samples.size() - 1).time == newest;
    if (current) restyle(drawn, LinePen(rank++));
    drawLine(drawn, series, from, to, current);
    auto& [low, high] =
        ranges.try_emplace(drawn.axis, std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest())
            .first->second;
    for (QLineSeries* piece : drawn.pieces) {
      for (const QPointF& point : piece->points()) {
        low = std::min(low, point.y());
        high = std::max(high, point.y());
      }
    }
  }
  drawing_ = true;
  const TimeTicks ticks = RoundTimeTicks(from, to, utcOffset_);
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(ticks.from), QDateTime::fromMSecsSinceEpoch(ticks.to));
  timeAxis_->setTickCount(ticks.count);
  timeAxis_->setFormat(ticks.seconds ? "HH:mm:ss" : "HH:mm");
  for (auto& [axis, range] : ranges) {
    auto [low, high] = range;
    axis->setVisible(low <= high);  // a unit with nothing on show takes no room
    if (low > high) continue;
    const double margin = std::max((high - low) * 0.05, 0.5);
    axis->setRange(low - margin, high + margin);
    axis->applyNiceNumbers();  // ticks at round values
  }
  drawing_ = false;
}

}  // namespace zolin6::desktop
