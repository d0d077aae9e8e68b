#pragma once
// The control's modal message boxes as Qt dialogs over the main window.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

#include "platform/toolkit/message_box.h"

namespace zolin6::view {

class QtMessageBoxes : public toolkit::MessageBoxes {
 public:
  // The boxes are centred over `parent`, which may be set later (the control
  // is created before its window).
  explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  // Answers the boxes in place of the person at the screen (a script run);
  // an empty responder brings the dialogs back.
  using Responder = std::function<toolkit::Answer(const std::string& text, const std::string& title,
                                                  toolkit::Buttons buttons, toolkit::Icon icon)>;
  void setResponder(Responder responder) { responder_ = std::move(responder); }

  // Told when a box opens (true) and when it closes (false), so that the
  // clock can hold back what falls due meanwhile.
  void setModalListener(std::function<void(bool open)> listener) { modalListener_ = std::move(listener); }

  // A line under each box's text naming what it answers ("On the page
  // Configuration – Sensor Range, Sensor 3."); the text itself is the
  // control's, unchanged.
  void setContext(std::function<QString()> context) { context_ = std::move(context); }

  toolkit::Answer show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                       toolkit::Icon icon) override;

 private:
  QPointer<QWidget> parent_;
  Responder responder_;
  std::function<void(bool open)> modalListener_;
  std::function<QString()> context_;
};

}  // namespace zolin6::view
