#include "desktop/window_feedback.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>
#include <string_view>

#include "navigation/page_names.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

using navigation::ProcedureKind;

constexpr int kBusyTickMs = 250;
constexpr int kLiveTickMs = 1000;
constexpr int kTagIndex = 0;                         // txtParameter(0): the tag on the information page
constexpr toolkit::Millis kReleasedShownMs = 30000;  // how long a release stays in the banner
constexpr const char* kHeldStyle = "QLabel { background: #ffe08a; border: 1px solid #c8a000; padding: 2px 4px; }";
constexpr const char* kReleasedStyle = "QLabel { background: #d7f0d2; border: 1px solid #5a9e50; padding: 2px 4px; }";
constexpr const char* kQuietStyle = "QLabel { color: palette(dark); }";

// One line of guidance for each step of the procedures that have no
// channel in their page name.
struct StepGuidance {
  std::string_view page;  // sPage
  const char* text;
};
constexpr StepGuidance kGuidance[] = {
    {"Trim", "Current Trim trims a 4\u201320 mA output; Sensor Trim trims a sensor input."},
    {"Trim Current", "Choose the output channel whose 4 mA and 20 mA points you want to trim."},
    {"Sensor Trim Menu", "Lower trim sets the sensor's 0 % point, upper trim its 100 % point."},
    {"Sensor Lower Trim",
     "Apply the known lower input to sensor 1, wait for the reading to settle, type the value the device should "
     "read in New Value and press Write."},
    {"Sensor Upper Trim",
     "Apply the known upper input to sensor 1, wait for the reading to settle, type the value the device should "
     "read in New Value and press Write."},
    {"Cal Temp", "Type the temperature the device should read in New Value and press Write."},
    {"Factory Trim", "Choose OHM or MV, type the reference value of the connected source and press Write."},
};

QString ProcedureGuidance(const navigation::ProcedurePage& page) {
  switch (page.kind) {
    case ProcedureKind::kPointChoice:
      return QString("Choose the point to trim: the output of channel %1 is then held at 4 mA or 20 mA.")
          .arg(page.channel);
    case ProcedureKind::kTrimStep:
      return QString(
                 "Connect a current meter in the loop of channel %1, type the current it shows in New Value "
                 "and press Write.")
          .arg(page.channel);
    case ProcedureKind::kLoopTest:
      return QString("Choose a current: the output of channel %1 stays there until you leave this page.")
          .arg(page.channel);
  }
  return {};
}

QString GuidanceFor(const std::string& sPage) {
  if (auto procedure = navigation::ParseProcedurePage(sPage)) return ProcedureGuidance(*procedure);
  for (const StepGuidance& step : kGuidance) {
    if (step.page == sPage) return step.text;
  }
  return {};
}

}  // namespace

WindowFeedback::WindowFeedback(view::MainWindow& window, UserCntrl& control, toolkit::Clock& clock,
                               std::shared_ptr<link::LinkTap> tap)
    : QObject(&window), window_(window), control_(control), clock_(clock), tap_(std::move(tap)), activity_(clock) {
  busyBar_ = new QProgressBar;
  busyBar_->setObjectName("BusyIndicator");
  busyBar_->setRange(0, 0);
  busyBar_->setMaximumWidth(window.fontMetrics().averageCharWidth() * 8);
  busyBar_->setMaximumHeight(window.fontMetrics().height());
  busyBar_->setTextVisible(false);
  busyBar_->hide();
  busyText_ = new QLabel;
  busyText_->setObjectName("BusyText");
  deviceTag_ = new QLabel;
  deviceTag_->setObjectName("DeviceTag");
  deviceTag_->setToolTip("The tag of the device, as its information page last read it");
  window.statusBar()->addPermanentWidget(busyBar_);
  window.statusBar()->addPermanentWidget(busyText_);
  window.statusBar()->addPermanentWidget(deviceTag_);
  if (auto* connection = window.findChild<QLabel*>("StatusBar(1)")) connection->setToolTip("Connection to the device");
  if (auto* activity = window.findChild<QLabel*>("StatusBar(4)")) activity->setToolTip("What the program is doing");

  soon_.setSingleShot(true);
  soon_.setInterval(0);
  connect(&soon_, &QTimer::timeout, this, &WindowFeedback::refresh);
  connect(&tick_, &QTimer::timeout, this, &WindowFeedback::refresh);
  activity_.changed = [this] {
    for (const auto& hook : activityHooks_) hook();
    soon_.start();
  };
  window.onPageShown([this](bool) { soon_.start(); });
  tap_->AddListener(&activity_);
  refresh();
}

WindowFeedback::~WindowFeedback() { tap_->RemoveListener(&activity_); }

void WindowFeedback::setConnection(const QString& where, std::function<QString()> otherDevice) {
  connection_ = where;
  otherDevice_ = std::move(otherDevice);
  refresh();
}

void WindowFeedback::refresh() {
  showBusy();
  const std::string& tag = control_.form().get<toolkit::TextBox>("txtParameter", kTagIndex).text();
  QString device = otherDevice_ ? otherDevice_() : QString();
  if (device.isEmpty() && !tag.empty())
    device = (connection_.isEmpty() ? "Device: " : "") + QString::fromStdString(tag);
  const QString shownTag =
      connection_.isEmpty() || device.isEmpty() ? connection_ + device : connection_ + " · " + device;
  if (deviceTag_->text() != shownTag) deviceTag_->setText(shownTag);
  showPageNote();
  // The seconds count only while there is something to count: tenths while
  // a request waits, whole seconds on a live page.
  const std::string& page = control_.state().sPage;
  const bool live = page == "Observe" || page == "Diagnosis" || !released_.isEmpty();
  if (activity_.pending() > 0 || live) {
    const int interval = activity_.pending() > 0 ? kBusyTickMs : kLiveTickMs;
    if (!tick_.isActive() || tick_.interval() != interval) tick_.start(interval);
  } else {
    tick_.stop();
  }
}

void WindowFeedback::showBusy() {
  const bool busy = activity_.pending() > 0;
  busyBar_->setVisible(busy);
  if (!busy) {
    busyText_->clear();
    return;
  }
  const double seconds = static_cast<double>(clock_.now() - activity_.pendingSince()) / 1000.0;
  busyText_->setText(QString("Waiting for the device: %1 s").arg(seconds, 0, 'f', 1));
}

QString WindowFeedback::liveNote(bool online) const {
  if (!online) return "The device is off line: the values shown are stale.";
  // Each tab of a live page polls its own read; whichever answered last
  // updated the page.
  const std::optional<toolkit::Millis> last = activity_.lastReadAnswer();
  if (!last) return "Waiting for the first values.";
  return QString("Updated %1 s ago.").arg((clock_.now() - *last) / 1000);
}

void WindowFeedback::showReleased(const QString& text) {
  released_ = text;
  releasedAt_ = clock_.now();
  soon_.start();
}

// The banner: every output held, on every page, until the device confirmed
// its release; then for a while that the loop may go back to automatic
// control.
void WindowFeedback::showBanner() {
  QStringList held;
  for (const auto& [channel, current] : activity_.heldOutputs()) {
    held << QString("channel %1 at %2 mA").arg(channel).arg(current, 0, 'f', 3);
  }
  if (!released_.isEmpty() && (!held.isEmpty() || clock_.now() - releasedAt_ >= kReleasedShownMs)) released_.clear();
  QString text;
  const char* style = kQuietStyle;
  if (!held.isEmpty()) {
    text = "Output held: " + held.join(", ") + " \u2014 the loop is not under automatic control";
    style = kHeldStyle;
  } else if (!released_.isEmpty()) {
    text = released_;
    style = kReleasedStyle;
  }
  QLabel* banner = window_.pageBanner();
  if (banner->text() != text) banner->setText(text);
  if (banner->styleSheet() != style) banner->setStyleSheet(style);
}

// Why the page area is empty: a page opened while the device is off line.
void WindowFeedback::showEmptyPage() {
  const bool online = control_.state().sConnState == "Connected";
  const QString where = connection_.isEmpty() ? QString("the device") : connection_;
  const QString text = online ? QString("Choose a page in the tree.")
                              : "This page is empty because the device is off line (" + where +
                                    "): its values are read when it answers.\nFile > Connect\u2026 chooses "
                                    "another device; File > Open Configuration\u2026 works on a file instead.";
  if (window_.emptyPageText()->text() != text) window_.emptyPageText()->setText(text);
}

void WindowFeedback::showPageNote() {
  showBanner();
  showEmptyPage();
  QLabel* note = window_.pageNote();
  QStringList lines;
  bool stale = false;
  if (!window_.ownPageShown()) {
    const UserCntrl::State& state = control_.state();
    const bool online = state.sConnState == "Connected";
    if (QString guidance = GuidanceFor(state.sPage); !guidance.isEmpty()) lines << guidance;
    if (QString done = progress_ ? progress_(state) : QString(); !done.isEmpty()) lines << done;
    if (state.sPage == "Observe" || state.sPage == "Diagnosis") {
      lines << liveNote(online);
      stale = !online;
    }
  }
  const QString text = lines.join('\n');
  if (note->text() != text) note->setText(text);
  if (note->styleSheet() != kQuietStyle) note->setStyleSheet(kQuietStyle);
  QWidget* page = window_.currentPage();
  if (greyed_ != nullptr && (greyed_ != page || !stale)) {
    greyed_->setEnabled(true);
    greyed_ = nullptr;
  }
  if (stale && page != nullptr && page->isEnabled()) {
    page->setEnabled(false);
    greyed_ = page;
  }
}

}  // namespace zolin6::desktop
