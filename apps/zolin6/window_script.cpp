#include "window_script.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

namespace zolin6::app {

WindowScript::WindowScript(MainWindow& window, UserCntrl& control, toolkit::Clock& clock, QtMessageBoxes& boxes,
                           Output output, std::shared_ptr<transport::SimulatedDevice> sim)
    : window_(window),
      control_(control),
      clock_(clock),
      boxes_(boxes),
      sim_(std::move(sim)),
      lines_(*this, std::move(output)) {
  boxes_.setResponder([this](const std::string& text, const std::string& title, toolkit::Buttons buttons,
                             toolkit::Icon icon) { return lines_.AnswerBox(text, title, buttons, icon); });
}

WindowScript::~WindowScript() { boxes_.setResponder({}); }

std::optional<std::string> WindowScript::Declines(const std::string& command) const {
  // The application has already created, bound and started the control.
  if (command == "driver" || command == "init") return "";
  if (command == "call" || command == "destroy") return command + " is not available in the window; use zolin6-script";
  return std::nullopt;
}

void WindowScript::Advance(toolkit::Millis ms) {
  QEventLoop loop;
  QTimer wait;
  wait.setSingleShot(true);
  QObject::connect(&wait, &QTimer::timeout, &loop, &QEventLoop::quit);
  wait.start(static_cast<int>(ms));
  loop.exec();
}

// A notification of the script arrives now, as a user's event does.
void WindowScript::BeginNotify() { window_.binding().beginUserEvent(); }

// Let the window catch up with what the line changed.
void WindowScript::LineDone() { QApplication::processEvents(); }

void WindowScript::OpenNode(int node) {
  QTreeWidgetItem* item = window_.treeItem(node);
  window_.tree()->setCurrentItem(item);
  window_.openNode(item);
}

void WindowScript::ChooseTab(toolkit::TabControl& tabs, int tab) { window_.binding().userChoseTab(tabs, tab); }

bool WindowScript::Click(toolkit::CommandButton& model) {
  auto* button = qobject_cast<QPushButton*>(window_.binding().widgetFor(model.id()));
  if (button == nullptr) return false;
  // As in the runner, a line clicks a disabled button too; a person could not.
  if (button->isEnabled()) {
    button->click();
  } else {
    window_.binding().userClicked(model);
  }
  return true;
}

bool WindowScript::Type(toolkit::Widget& model, const std::string& text) {
  QWidget* widget = window_.binding().widgetFor(model.id());
  const QString qtext = QString::fromStdString(text);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(qtext);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setEditText(qtext);
  } else {
    return false;
  }
  window_.binding().userTyped(model, qtext);
  return true;
}

bool WindowScript::Choose(toolkit::OptionButton& model) {
  auto* option = qobject_cast<QRadioButton*>(window_.binding().widgetFor(model.id()));
  if (option == nullptr) return false;
  option->click();
  return true;
}

}  // namespace zolin6::app
