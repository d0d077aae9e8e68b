#pragma once
// The live trend of the observation page: one line per observed value, one
// value axis per unit, time along the bottom. The legend hides and shows a
// line when clicked; Pause freezes the picture while the values go on being
// kept; zoom and pan work on the time axis only (buttons, the mouse wheel,
// or a band dragged over the chart), and Live follows the newest values
// again. A value the device reported as no number breaks its line.

#include <QPen>
#include <QString>
#include <QWidget>
#include <map>
#include <vector>

#include "link/wall_time.h"
#include "trend/trend_buffer.h"

class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QToolButton;
class QValueAxis;

namespace zolin6::desktop {

inline constexpr toolkit::Millis kDefaultTrendSpan = 10LL * 60 * 1000;  // ms on show at start
inline constexpr toolkit::Millis kShortestTrendSpan = 30LL * 1000;      // ms, the deepest zoom

class TrendChart : public QWidget {
 public:
  TrendChart(const trend::TrendBuffer& buffer, link::WallTime wallTime, QWidget* parent = nullptr);

  // Redraws from the trend's memory, unless paused.
  void refresh();

  QChart* chart() const { return chart_; }
  bool paused() const;
  toolkit::Millis span() const { return span_; }
  // The number of value axes, one per unit on show.
  int valueAxes() const { return static_cast<int>(axes_.size()); }
  // The line pieces of a value ("PV [°C]"), split where it has gaps.
  std::vector<QLineSeries*> pieces(const QString& key) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Line {
    std::vector<QLineSeries*> pieces;
    QValueAxis* axis = nullptr;
    QPen pen;  // its colour and dash among the lines on show
    bool hidden = false;
  };
  QToolButton* addButton(const QString& name, const QString& text, const QString& tip);
  void draw();
  void zoom(double factor);
  void pan(double fraction);
  void followLive();
  void timeRangeChanged();
  Line& line(const trend::Series& series);
  QValueAxis* axisFor(const QString& unit);
  void drawLine(Line& drawn, const trend::Series& series, qint64 from, qint64 to, bool current);
  void toggle(const QString& key);
  void restyle(Line& drawn, const QPen& pen);

  const trend::TrendBuffer& buffer_;
  link::WallTime wallTime_;
  QChart* chart_;
  QChartView* view_;
  QDateTimeAxis* timeAxis_;
  qint64 utcOffset_;  // ms the local time is ahead of UTC, for round tick times
  QToolButton* pause_ = nullptr;
  std::map<QString, Line> lines_;        // by "name [unit]"
  std::map<QString, QValueAxis*> axes_;  // by unit
  toolkit::Millis span_ = kDefaultTrendSpan;
  qint64 end_ = 0;        // right edge when not live, ms since 1970
  bool live_ = true;      // the right edge follows the newest values
  bool drawing_ = false;  // the axis range is being set by the chart itself
};

}  // namespace zolin6::desktop
