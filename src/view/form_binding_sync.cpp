// The two directions of the binding: what the user does in a Qt widget
// reaches the model (and the handler the scenario runner fires), and each
// change of the model is shown in its Qt widget.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

#include "view/form_binding.h"
#include "view/lamp.h"
#include "view/ole_color.h"

namespace zolin6::view {

namespace {

using forms::Kind;

class SyncGuard {
 public:
  explicit SyncGuard(int& depth) : depth_(depth) { ++depth_; }
  ~SyncGuard() { --depth_; }
  SyncGuard(const SyncGuard&) = delete;
  SyncGuard& operator=(const SyncGuard&) = delete;

 private:
  int& depth_;
};

// The text-box interior: read-only fields take the window colour so they
// look like displays; others show the control's back colour.
void SetBase(QWidget* widget, toolkit::OleColor color, bool readOnly) {
  const QPalette standard = QApplication::palette(widget);
  const QColor base = readOnly ? standard.color(QPalette::Window) : OleColorToQColor(color, standard);
  if (widget->palette().color(QPalette::Base) == base) return;
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, base);
  widget->setPalette(palette);
}

}  // namespace

void FormBinding::connectUser(toolkit::Widget& control, QWidget* widget) {
  switch (control.kind()) {
    case Kind::TextBox:
      connect(static_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this, [this, &control](const QString& text) {
        if (syncing_ == 0) userTyped(control, text);
      });
      break;
    case Kind::ComboBox: {
      auto* combo = static_cast<QComboBox*>(widget);
      auto typed = [this, &control](const QString& text) {
        if (syncing_ == 0) userTyped(control, text);
      };
      connect(combo->lineEdit(), &QLineEdit::textEdited, this, typed);
      connect(combo, &QComboBox::textActivated, this, typed);
      break;
    }
    case Kind::CommandButton:
      connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
              [this, &control] { userClicked(static_cast<toolkit::CommandButton&>(control)); });
      break;
    case Kind::OptionButton:
      connect(static_cast<QRadioButton*>(widget), &QRadioButton::clicked, this,
              [this, &control] { userSelected(static_cast<toolkit::OptionButton&>(control)); });
      break;
    case Kind::TabControl: {
      auto* tabs = static_cast<QTabWidget*>(widget);
      auto& model = static_cast<toolkit::TabControl&>(control);
      // A click on a tab, the current one included, is the tab control's click.
      connect(tabs->tabBar(), &QTabBar::tabBarClicked, this, [this, &model](int tab) {
        if (tab >= 0 && syncing_ == 0) userChoseTab(model, tab);
      });
      // A tab chosen with the keyboard.
      connect(tabs, &QTabWidget::currentChanged, this, [this, &model](int tab) {
        if (tab >= 0 && syncing_ == 0 && tab != model.tab()) userChoseTab(model, tab);
      });
      break;
    }
    default: break;
  }
}

// A user event changes the model the binding shows, though only through the
// widget it is given: not const, whatever the compiler can prove.
// NOLINTNEXTLINE(readability-make-member-function-const)
void FormBinding::userTyped(toolkit::Widget& control, const QString& text) {
  beginUserEvent();
  if (auto* box = dynamic_cast<toolkit::TextBox*>(&control)) {
    box->setText(text.toStdString());
  } else if (auto* combo = dynamic_cast<toolkit::ComboBox*>(&control)) {
    combo->setText(text.toStdString());
  }
}

bool FormBinding::allows(const toolkit::Widget& target) const {
  return std::all_of(gates_.begin(), gates_.end(), [&target](const Gate& gate) { return gate(target); });
}

// NOLINTNEXTLINE(readability-make-member-function-const): as userTyped
void FormBinding::userClicked(toolkit::CommandButton& button) {
  if (!allows(button)) return;
  beginUserEvent();
  button.click();
}

void FormBinding::userChoseTab(toolkit::TabControl& tabs, int tab) {
  if (!allows(tabs)) {
    // The Qt tab widget shows the model's tab again.
    apply(tabs);
    return;
  }
  beginUserEvent();
  tabs.setTab(tab);
  tabs.click();
}

void FormBinding::userSelected(toolkit::OptionButton& option) {
  beginUserEvent();
  form_.select(option);
  // Clicking the chosen option again changes nothing in the model; the
  // radio button must show it chosen all the same.
  apply(option);
}

void FormBinding::apply(const toolkit::Widget& control) {
  auto it = views_.find(&control);
  if (it == views_.end() || it->second.isNull()) {
    if (hostHook_) hostHook_(control);
    return;
  }
  applyToWidget(control, it->second.data());
}

void FormBinding::applyToWidget(const toolkit::Widget& control, QWidget* widget) {
  SyncGuard guard(syncing_);
  switch (control.kind()) {
    case Kind::Frame:
    case Kind::PictureBox: widget->setVisible(static_cast<const toolkit::Frame&>(control).visible()); break;
    case Kind::TabControl: {
      auto* tabs = static_cast<QTabWidget*>(widget);
      const int tab = static_cast<const toolkit::TabControl&>(control).tab();
      if (tab >= 0 && tab < tabs->count() && tabs->currentIndex() != tab) tabs->setCurrentIndex(tab);
      break;
    }
    case Kind::TextBox: {
      const auto& box = static_cast<const toolkit::TextBox&>(control);
      auto* edit = static_cast<QLineEdit*>(widget);
      const QString text = QString::fromStdString(box.text());
      if (edit->text() != text) {
        edit->setText(text);
        // Show a value from its beginning, as the device wrote it.
        if (!edit->hasFocus()) edit->setCursorPosition(0);
      }
      edit->setVisible(box.visible());
      edit->setEnabled(box.enabled());
      SetBase(edit, box.backColor(), box.design().readOnly);
      break;
    }
    case Kind::Label: {
      const auto& label = static_cast<const toolkit::Label&>(control);
      auto* view = static_cast<QLabel*>(widget);
      const QString caption = QString::fromStdString(label.caption());
      if (view->text() != caption) view->setText(caption);
      view->setVisible(label.visible());
      break;
    }
    case Kind::ComboBox: {
      const auto& combo = static_cast<const toolkit::ComboBox&>(control);
      auto* view = static_cast<QComboBox*>(widget);
      QStringList items;
      for (const std::string& item : combo.items()) items << QString::fromStdString(item);
      QStringList shown;
      for (int i = 0; i < view->count(); ++i) shown << view->itemText(i);
      if (items != shown) {
        view->clear();
        view->addItems(items);
      }
      const QString text = QString::fromStdString(combo.text());
      if (view->currentText() != text || view->currentIndex() != view->findText(text, Qt::MatchExactly)) {
        const int index = view->findText(text, Qt::MatchExactly);
        view->setCurrentIndex(index);
        // A text outside the list (set by a page loader) is shown as it is.
        if (index < 0) view->setEditText(text);
      }
      SetBase(view, combo.backColor(), false);
      break;
    }
    case Kind::CommandButton: widget->setEnabled(static_cast<const toolkit::CommandButton&>(control).enabled()); break;
    case Kind::OptionButton:
      static_cast<QRadioButton*>(widget)->setChecked(static_cast<const toolkit::OptionButton&>(control).value());
      break;
    case Kind::Shape: {
      const auto& shape = static_cast<const toolkit::Shape&>(control);
      const QPalette palette = QApplication::palette(widget);
      static_cast<Lamp*>(widget)->setColors(OleColorToQColor(shape.fillColor(), palette),
                                            OleColorToQColor(shape.borderColor(), palette));
      break;
    }
    case Kind::TreeView:
    case Kind::StatusBar:
    case Kind::Timer: break;
  }
}

}  // namespace zolin6::view
