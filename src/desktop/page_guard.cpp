#include "desktop/page_guard.h"

#include <QTabWidget>
#include <QTreeWidget>

#include "desktop/page_match.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

constexpr const char* kWriteButton = "cmdWriteParameter";
constexpr const char* kStartTimer = "TimerInit";

}  // namespace

PageGuard::PageGuard(view::MainWindow& window, UserCntrl& control, std::function<void(const QString&)> tell)
    : QObject(&window), window_(window), control_(control), tell_(std::move(tell)) {
  window.binding().addGate([this](const toolkit::Widget& target) { return allows(target); });
  window.onHostChange([this](const toolkit::Widget& changed) {
    if (!started_ && changed.id() == kStartTimer && !static_cast<const toolkit::Timer&>(changed).enabled()) start();
  });
  // The tree looks as it is: not to be used yet.
  window.tree()->setEnabled(false);
  window.tree()->setToolTip("The device is read first; the pages open in a moment.");
  if (!control.form().get<toolkit::Timer>(kStartTimer).enabled()) start();
}

void PageGuard::start() {
  started_ = true;
  window_.tree()->setEnabled(true);
  window_.tree()->setToolTip({});
}

QString PageGuard::writeRefusal() const {
  const UserCntrl::State& state = control_.state();
  // Off line the control writes nothing, and the window says so itself.
  if (window_.ownPageShown() || state.sConnState != "Connected") return {};
  const PagePlace named = PlaceOfPage(state.sPage, state.sSubPage);
  int tab = -1;
  if (!named.tabs.empty()) {
    const QString tabsName = QString::fromUtf8(named.tabs.data(), static_cast<qsizetype>(named.tabs.size()));
    if (auto* tabs = window_.findChild<QTabWidget*>(tabsName)) {
      tab = tabs->currentIndex();
    }
  }
  if (ShowsPlace(named, window_.frameShown(), tab)) return {};
  const QString title = view::MainWindow::PageTitle(named.frame);
  return QString(
             "Nothing was written: Write would write the page %1, not the page on show. Open the page "
             "from the tree again.")
      .arg(title.isEmpty() ? QString::fromStdString(state.sPage) : title);
}

bool PageGuard::allows(const toolkit::Widget& target) {
  const bool write = target.id() == kWriteButton;
  if (!started_) {
    lastWriteRefused_ = write;
    tell_("Wait a moment: the device is being read for the first time.");
    return false;
  }
  if (!write) return true;
  const QString refusal = writeRefusal();
  lastWriteRefused_ = !refusal.isEmpty();
  if (lastWriteRefused_) tell_(refusal);
  return !lastWriteRefused_;
}

}  // namespace zolin6::desktop
