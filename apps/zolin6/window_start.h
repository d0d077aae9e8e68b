#pragma once
// How the window starts: on the device --connect names; without it, on the
// connection used last (File > Connect remembers it), except for a script
// or a screenshot, which start on the built-in simulated device whoever ran
// the program last. A start device that does not answer is said, and
// Connect offered. The built-in device is marked as simulated in the
// title, on the toolbar and in the status bar, so that nobody takes it for
// the plant's transmitter.

#include <QString>

#include <functional>

#include "link/link_tap.h"
#include "transport/connection_target.h"

class QLabel;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::app {

// The connection chosen last in File > Connect, with its key file when it
// is secure (never a typed key); the built-in device when none was, or
// what was kept cannot be read.
transport::ConnectionTarget LastConnection();
void RememberConnection(const transport::ConnectionTarget& target);

// Told once, when the first state the device reports says it is off line.
class StartWatch : public link::LinkListener {
 public:
  explicit StartWatch(std::function<void()> silent) : silent_(std::move(silent)) {}

  void OnRequest(link::RequestKind, const std::string&, const std::string&) override {}
  void OnNotification(const link::Notification& notification) override;

 private:
  std::function<void()> silent_;
  bool decided_ = false;
};

// The toolbar's mark of the built-in simulated device, hidden for a real one.
QLabel* AddSimulatedMark(view::MainWindow& window);
// Shows in the title and on the mark whether the device is the simulated one.
void ShowSimulated(view::MainWindow& window, QLabel& mark, bool simulated);
// A lock in the status bar while a secure HART-IP session is up, its TLS
// and cipher in the tooltip.
QLabel* AddSecureMark(view::MainWindow& window);
void ShowSecure(QLabel& mark, const std::string& security);

}  // namespace zolin6::app
