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

  // Lines under each box's text: what it answers ("On the page
  // Configuration – Sensor Range, Sensor 3.") and what comes next; the text
  // itself is the control's, unchanged.
  using Context = std::function<QString(const std::string& text, toolkit::Buttons buttons)>;
  void setContext(Context context) { context_ = std::move(context); }
  // Told of every answer, whoever gave it (the user or a script).
  void setAnswerListener(std::function<void(toolkit::Answer)> listener) { answered_ = std::move(listener); }

  toolkit::Answer show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                       toolkit::Icon icon) override;

 private:
  toolkit::Answer ask(const std::string& text, const std::string& title, toolkit::Buttons buttons, toolkit::Icon icon,
                      const QString& context);

  QPointer<QWidget> parent_;
  Responder responder_;
  std::function<void(bool open)> modalListener_;
  Context context_;
  std::function<void(toolkit::Answer)> answered_;
};

}  // namespace zolin6::view
