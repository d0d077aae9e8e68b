#include "desktop/published_rate.h"

#include <QLocale>

#include <algorithm>

namespace zolin6::desktop {

void PublishedRate::heard(toolkit::Millis at, std::uint16_t command) {
  auto [stream, first] = streams_.try_emplace(command);
  if (!first) stream->second.interval = at - stream->second.last;
  stream->second.last = at;
}

std::optional<toolkit::Millis> PublishedRate::period(toolkit::Millis now) const {
  std::optional<toolkit::Millis> shortest;
  for (const auto& [command, stream] : streams_) {
    if (!stream.interval || *stream.interval <= 0) continue;
    if (now - stream.last > kStoppedAfterPeriods * *stream.interval) continue;
    if (!shortest || *stream.interval < *shortest) shortest = *stream.interval;
  }
  return shortest;
}

std::optional<toolkit::Millis> PublishedRate::nextStop(toolkit::Millis now) const {
  std::optional<toolkit::Millis> next;
  for (const auto& [command, stream] : streams_) {
    if (!stream.interval || *stream.interval <= 0) continue;
    const toolkit::Millis stops = stream.last + kStoppedAfterPeriods * *stream.interval + 1;
    if (stops > now && (!next || stops < *next)) next = stops;
  }
  return next;
}

QString PublishedRate::text(toolkit::Millis now) const {
  const std::optional<toolkit::Millis> every = period(now);
  if (!every) return {};
  // A frame waits for its turn on the line: what is said is rounded to 10 ms.
  constexpr toolkit::Millis kShownStep = 10;
  constexpr double kMsPerSecond = 1000.0;
  const toolkit::Millis shown = std::max(kShownStep, (*every + kShownStep / 2) / kShownStep * kShownStep);
  return QString("published every %1 s")
      .arg(QLocale().toString(static_cast<double>(shown) / kMsPerSecond, 'g', QLocale::FloatingPointShortest));
}

}  // namespace zolin6::desktop
