#pragma once
// The Qt widgets of the control's pages, built from the design-time
// description, and the two-way binding between them and the widget model.
//
// Every control inside a page frame gets one Qt widget, named like the model
// control ("txtParameter(0)", "cmbSensorType(3)", "ShapeDiagnosis(6)"). Each
// container is laid out on a grid from its controls' rows and columns
// (caption, field, unit, extra), so every page is drawn by the same code. A
// model change is shown at once; a user's edit reaches the model before any
// handler runs, and a user's click goes to the same model event the scenario
// runner fires.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/toolkit/form.h"

class QGridLayout;
class QWidget;

namespace zolin6::view {

class FormBinding : public QObject {
 public:
  using Hook = std::function<void(const toolkit::Widget&)>;

  // Builds every page and the buttons outside them as children of `owner`,
  // and takes the form's change listener.
  FormBinding(toolkit::Form& form, QWidget* owner);
  ~FormBinding() override;
  FormBinding(const FormBinding&) = delete;
  FormBinding& operator=(const FormBinding&) = delete;

  toolkit::Form& form() const { return form_; }

  // The page built for a page frame ("frmInfo"); nullptr for another name.
  QWidget* page(std::string_view frame) const;
  // The Qt widget of a control ("txtParameter(0)", "cmdBack"); nullptr for a
  // control without one (the tree, the status bar, page frames, timers).
  QWidget* widgetFor(std::string_view id) const;

  // Changes of the controls the binding does not draw (page frames, the
  // tree, the status bar, timers) go to the window.
  void setHostHook(Hook hook) { hostHook_ = std::move(hook); }

  // Runs first in every user event: the window brings the control's clock up
  // to the present, so that what the handler arms or sends counts from now.
  void setUserEventHook(std::function<void()> hook) { userEventHook_ = std::move(hook); }
  void beginUserEvent() const {
    if (userEventHook_) userEventHook_();
  }

  // Asked before a user's click, tab or tree choice reaches the control;
  // false keeps the event from the control (whoever refuses says why).
  // Every gate added must allow it.
  using Gate = std::function<bool(const toolkit::Widget& target)>;
  void addGate(Gate gate) { gates_.push_back(std::move(gate)); }
  bool allows(const toolkit::Widget& target) const;

  // The user's events, as the Qt widgets forward them. The window's script
  // runs the same path.
  void userTyped(toolkit::Widget& control, const QString& text);  // a text box or combo box
  void userClicked(toolkit::CommandButton& button);
  void userChoseTab(toolkit::TabControl& tabs, int tab);
  void userSelected(toolkit::OptionButton& option);

 private:
  void build(QWidget* owner);
  // Lays out on `host` the controls that sit in `parent` (on `tab` of a tab
  // control, -1 otherwise).
  void layOut(QWidget* host, std::string_view parent, int tab);
  QWidget* create(toolkit::Widget& control, QWidget* host);
  void connectUser(toolkit::Widget& control, QWidget* widget);
  void apply(const toolkit::Widget& control);
  void applyToWidget(const toolkit::Widget& control, QWidget* widget);

  toolkit::Form& form_;
  // Controls by container: "parent#tab" -> controls in design order.
  std::unordered_map<std::string, std::vector<toolkit::Widget*>> children_;
  std::unordered_map<const toolkit::Widget*, QPointer<QWidget>> views_;
  std::map<std::string, QPointer<QWidget>, std::less<>> byId_;
  std::map<std::string, QPointer<QWidget>, std::less<>> pages_;
  Hook hostHook_;
  std::function<void()> userEventHook_;
  std::vector<Gate> gates_;
  int syncing_ = 0;  // > 0 while the binding itself changes Qt widgets
};

}  // namespace zolin6::view
