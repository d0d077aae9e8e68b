#include "transport/sub_device_open.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>

#include "driver/sub_device_finder.h"
#include "driver/sub_device_link.h"

namespace zolin6::transport {

namespace {

using Way = Result<std::optional<driver::SubDeviceWay>>;

// Every step ends on the master's own timeouts (command 0 unanswered
// through every retry: 20 s on HART-IP); this bound holds should the clock
// be held, and leaves room for a tag search through a thousand devices.
constexpr std::chrono::milliseconds kLongestSearch{120000};

// Waits for the finder's answer with the event loop running; a connection
// that closes meanwhile ends the wait with the client's sentence.
Way Find(const ConnectionTarget& target, const std::shared_ptr<driver::ByteLink>& link, EventLoopClock& ticker,
         const std::function<std::string()>& lastNews) {
  QEventLoop loop;
  std::optional<Way> way;
  driver::FinderCallbacks callbacks;
  callbacks.finished = [&way, &loop](Way found) {
    way = std::move(found);
    loop.quit();
  };
  auto finder = std::make_shared<driver::SubDeviceFinder>(ticker.clock(), link, target.subDevice, callbacks);
  link->WatchState([&way, &loop, &lastNews](bool up, toolkit::Millis) {
    if (up || way) return;
    const std::string news = lastNews ? lastNews() : std::string();
    way = Error{news.empty() ? "the connection to the I/O system closed" : news};
    loop.quit();
  });
  // A bound besides the master's own timeouts, should the clock be held.
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&way, &loop] {
    if (!way) way = Error{"the I/O system did not say in time who is behind it"};
    loop.quit();
  });
  deadline.start(kLongestSearch);
  finder->Start();
  // The window is painted and the sockets served meanwhile; what the user
  // does waits, so nothing starts another connection inside this one.
  if (!way) loop.exec(QEventLoop::ExcludeUserInputEvents);
  finder->Cancel();
  link->WatchState({});
  link->Listen({});
  return std::move(*way);
}

}  // namespace

Result<OpenedLink> ReachSubDevice(const ConnectionTarget& target, OpenedLink ioSystem, EventLoopClock& ticker,
                                  const std::function<std::string()>& lastNews, const LinkReport& report) {
  const Way way = Find(target, ioSystem.link, ticker, lastNews);
  if (!way) return Error{target.url() + ": " + way.error().message};
  if (!*way) return Error{target.url() + ": no device named behind this I/O system"};  // a listing, not a device
  const driver::SubDeviceWay& found = **way;
  OpenedLink opened = std::move(ioSystem);
  opened.settings.identifyAt = found.device.address();
  if (!found.direct) {
    opened.link = std::make_shared<driver::SubDeviceLink>(opened.link, found.ioSystem, found.device.route);
    opened.publishes = false;  // a subscription is the I/O system's, not carried to a sub-device
  }
  if (report) {
    const std::string name = found.device.longTag.empty() ? "device " + std::to_string(found.device.index)
                                                          : QString::fromLatin1(found.device.longTag).toStdString();
    report(target.describe() + ": " + name +
           (found.direct ? " reached by long frames" : " reached through the I/O system (command 77)"));
  }
  return opened;
}

}  // namespace zolin6::transport
