#include "view/message_boxes.h"

#include <QMessageBox>

namespace zolin6::view {

namespace {
QMessageBox::Icon IconOf(toolkit::Icon icon) {
  switch (icon) {
    case toolkit::Icon::Critical: return QMessageBox::Critical;
    case toolkit::Icon::Information: return QMessageBox::Information;
    case toolkit::Icon::None: break;
  }
  return QMessageBox::NoIcon;
}
}  // namespace

toolkit::Answer QtMessageBoxes::show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                                     toolkit::Icon icon) {
  // The lines under the text are asked for in either case: they also note
  // which question is open.
  const QString context = context_ ? context_(text, buttons) : QString();
  const toolkit::Answer answer =
      responder_ ? responder_(text, title, buttons, icon) : ask(text, title, buttons, icon, context);
  if (answered_) answered_(answer);
  return answer;
}

toolkit::Answer QtMessageBoxes::ask(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                                    toolkit::Icon icon, const QString& context) {
  const bool yesNo = buttons == toolkit::Buttons::YesNo;
  QMessageBox box(IconOf(icon), QString::fromStdString(title), QString::fromStdString(text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent_);
  box.setObjectName("MessageBox");
  box.setInformativeText(context);
  // Every question from a device page changes the device when answered
  // Yes: Enter, or a key pressed by mistake, answers No, as Escape does.
  if (yesNo) {
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
  }
  if (modalListener_) modalListener_(true);
  const int result = box.exec();
  if (modalListener_) modalListener_(false);
  if (!yesNo) return toolkit::Answer::Ok;
  return result == QMessageBox::Yes ? toolkit::Answer::Yes : toolkit::Answer::No;
}

}  // namespace zolin6::view
