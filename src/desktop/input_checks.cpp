#include "desktop/input_checks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include <array>
#include <span>

#include "codecs/float_ieee.h"
#include "configuration/catalogue.h"
#include "platform/locale.h"
#include "view/main_window.h"
#include "writing/write_fields.h"

namespace zolin6::desktop {

namespace {

constexpr int kNoticeMs = 10000;
constexpr int kFinalAssemblyIndex = 6;  // txtParameter(6) on the information page
constexpr std::array<int, 8> kProcedureNumbers{59, 152, 76, 151, 153, 154, 155, 156};
constexpr const char* kMarked = "QLineEdit { background: #ffcdcd; }";

// The identification texts of the information page and the file keys that
// know how long the device keeps them.
struct TextField {
  int index;  // txtParameter(index)
  const char* key;
};
constexpr std::array<TextField, 4> kIdentificationTexts{{
    {0, "identification.tag"},
    {1, "identification.long tag"},
    {2, "identification.descriptor"},
    {3, "identification.message"},
}};

QString Id(std::string_view name, int index) {
  return index < 0 ? QString::fromUtf8(name.data(), static_cast<int>(name.size()))
                   : QString("%1(%2)").arg(QString::fromUtf8(name.data(), static_cast<int>(name.size()))).arg(index);
}

QString NotADecimal() {
  return QString("Not a plain decimal number: use digits, a leading minus and \"%1\" as the decimal separator.")
      .arg(QChar(platform::UserLocale().decimalSeparator));
}

// Why the Write button would refuse `field`'s text, or "".
QString Refusal(const toolkit::Form& form, const writing::Field& field) {
  if (field.encoding != writing::Encoding::Float && field.encoding != writing::Encoding::PollingAddress) return {};
  if (writing::GatherAttributes(form, std::span(&field, 1))) return {};
  if (field.encoding == writing::Encoding::PollingAddress) return "Not a polling address: type a whole number.";
  return NotADecimal();
}

}  // namespace

InputChecks::InputChecks(view::MainWindow& window, UserCntrl& control)
    : QObject(&window), window_(window), control_(control) {
  notice_ = new QLabel;
  notice_->setObjectName("WriteNotice");
  notice_->setStyleSheet("QLabel { color: #a00000; }");
  window.statusBar()->addPermanentWidget(notice_);
  soon_.setSingleShot(true);
  soon_.setInterval(0);
  connect(&soon_, &QTimer::timeout, this, [this] { check(); });
  clearNotice_.setSingleShot(true);
  clearNotice_.setInterval(kNoticeMs);
  connect(&clearNotice_, &QTimer::timeout, notice_, &QLabel::clear);

  for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
    if (edit->objectName().startsWith("txtParameter(")) {
      // Checked once the binding has handed a typed text to the control.
      connect(edit, &QLineEdit::textChanged, &soon_, qOverload<>(&QTimer::start));
    }
  }
  if (auto* write = qobject_cast<QPushButton*>(window.binding().widgetFor("cmdWriteParameter"))) {
    // After the control's own handler, which has already done what it could.
    connect(write, &QPushButton::clicked, this, &InputChecks::writePressed);
  }
  window.onPageShown([this](bool) { check(); });
}

QWidget* InputChecks::check() {
  for (const QPointer<QWidget>& field : marked_) {
    if (field != nullptr) mark(field, {});
  }
  marked_.clear();
  if (window_.ownPageShown()) return nullptr;
  const UserCntrl::State& state = control_.state();
  const toolkit::Form& form = control_.form();
  QWidget* first = nullptr;
  // A text too long is cut by the device, not refused: marked, but Write
  // still writes.
  auto flag = [&](QWidget* widget, const QString& reason, bool refused) {
    if (widget == nullptr || reason.isEmpty()) return;
    mark(widget, reason);
    marked_.emplace_back(widget);
    if (first == nullptr && refused) first = widget;
  };
  if (const writing::PageWrite* write = writing::ConfigurationWrite(state.sPage, state.sSubPage)) {
    for (const writing::Field& field : write->fields) {
      flag(window_.binding().widgetFor(Id(field.name, field.index).toStdString()), Refusal(form, field), true);
    }
  }
  // The procedures' typed numbers: a trim step's new value, the factory
  // trim's value, the loop test's other current.
  for (int index : kProcedureNumbers) {
    QWidget* widget = window_.binding().widgetFor(Id("txtParameter", index).toStdString());
    const std::string typed = form.get<toolkit::TextBox>("txtParameter", index).text();
    if (widget == nullptr || !widget->isVisible() || typed.empty() || codecs::ConvertTypedNumberToHex(typed)) continue;
    flag(widget, NotADecimal(), true);
  }
  if (state.sPage == "Information") {
    if (!writing::FinalAssemblyCode(form.get<toolkit::TextBox>("txtParameter", kFinalAssemblyIndex).text())) {
      flag(window_.binding().widgetFor(Id("txtParameter", kFinalAssemblyIndex).toStdString()),
           "Not a final assembly number: type a whole number.", true);
    }
    for (const TextField& text : kIdentificationTexts) {
      const configuration::CatalogueValue* entry = configuration::FindValue(text.key);
      const std::string typed = form.get<toolkit::TextBox>("txtParameter", text.index).text();
      if (entry == nullptr || static_cast<int>(QString::fromStdString(typed).size()) <= entry->length) continue;
      flag(window_.binding().widgetFor(Id("txtParameter", text.index).toStdString()),
           QString("Longer than the %1 characters the device keeps: the rest is cut off.").arg(entry->length), false);
    }
  }
  return first;
}

QString InputChecks::notice() const { return notice_->text(); }

void InputChecks::mark(QWidget* field, const QString& reason) {
  field->setStyleSheet(reason.isEmpty() ? QString() : kMarked);
  field->setToolTip(reason);
}

void InputChecks::say(const QString& why) {
  notice_->setText(why);
  notice_->setToolTip(why);
  if (!why.isEmpty()) clearNotice_.start();
}

void InputChecks::writePressed() {
  if (writeRefused_ && writeRefused_()) return;
  QString why;
  QWidget* first = check();
  if (control_.state().sConnState != "Connected") {
    why = "Nothing was written: the device is off line.";
  } else if (first != nullptr) {
    why = "Nothing was written: " + first->toolTip();
    first->setFocus();
  }
  say(why);
}

}  // namespace zolin6::desktop
