#pragma once
// Outputs the device holds at a fixed current are never left held unknown
// to the user: Device > Release Held Outputs lets them go, and Quit,
// Disconnect and Connect ask first while one is held, release it, and wait
// for the device to confirm. The releases go out on the control's link,
// which the tap lends for them, and pass through the device history like
// any write.

#include <QString>

#include <memory>

#include "configuration/link_client.h"
#include "link/link_activity.h"
#include "link/link_tap.h"
#include "platform/toolkit/clock.h"

class QWidget;

namespace zolin6::desktop {

class HeldOutputs {
 public:
  // `wait` lets the window's time pass while an answer is awaited.
  HeldOutputs(QWidget& parent, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap,
              const link::LinkActivity& activity, configuration::Wait wait);

  // Whether an output is held now (or may be: its release went unanswered).
  bool any() const { return !activity_.heldOutputs().empty(); }
  // Releases every held output and waits for the device's answers; whether
  // the device confirmed each release. What failed is said in a box.
  bool releaseAll();
  // Before `action` ("quit", "disconnect", "connect elsewhere"): true when
  // nothing is held, or the user had the outputs released, or chose to go
  // on all the same; false when the user cancelled.
  bool mayGoOn(const QString& action);

 private:
  // The held outputs, one line each.
  QString describe() const;

  QWidget& parent_;
  toolkit::Clock& clock_;
  std::shared_ptr<link::LinkTap> tap_;
  const link::LinkActivity& activity_;
  configuration::Wait wait_;
};

}  // namespace zolin6::desktop
