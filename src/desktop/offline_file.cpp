#include "desktop/offline_file.h"

#include <QComboBox>
#include <QDate>
#include <QLineEdit>

#include "configuration/catalogue.h"
#include "configuration/config_file.h"
#include "configuration/validation.h"
#include "desktop/page_lists.h"
#include "platform/channels.h"
#include "view/form_binding.h"

namespace zolin6::desktop {

namespace {

using configuration::Enumeration;

// The off-line pages show the date as the on-line pages do.
constexpr const char* kPageDate = "dd/MM/yyyy";
constexpr const char* kFileDate = "yyyy-MM-dd";

std::string Id(const std::string& name, int index) {
  return index < 0 ? name : name + "(" + std::to_string(index) + ")";
}

}  // namespace

OffLineFile::OffLineFile(toolkit::Form& form, view::FormBinding& binding) : form_(form), binding_(binding) {
  // Each list is the one its on-line counterpart offers.
  auto add = [this](std::string control, const std::string& key, Enumeration enumeration) {
    fields_.push_back({std::move(control), key, enumeration, PageListOf(key)});
  };
  for (int n = 1; n <= kChannels; ++n) {
    const std::string channel = "channel " + std::to_string(n) + ".";
    add(Id("cmbOffLineSensorType", n), channel + "sensor type", Enumeration::SensorType);
    add(Id("cmbOffLineSensorConnection", n), channel + "connection", Enumeration::Connection);
    add(Id("cmbOffLineColdJunction", n), channel + "cold junction", Enumeration::ColdJunction);
    add(Id("cmbOffLinePVUnits", n), channel + "unit", Enumeration::Unit);
    add("cmbOffLineDisplay" + std::to_string(n), "local display.line " + std::to_string(n),
        Enumeration::DisplayVariable);
  }
  add("cmbOffLineUnitLocalTemp", "local temperature.unit", Enumeration::TemperatureUnit);
  add(Id("txtParameter", 158), "identification.date", Enumeration::None);

  for (const Field& field : fields_) {
    QWidget* widget = binding_.widgetFor(field.control);
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      connect(combo, &QComboBox::textActivated, this, [this, &field] { userChose(field); });
      edit = combo->lineEdit();
    }
    if (edit != nullptr) connect(edit, &QLineEdit::editingFinished, this, [this, &field] { userChose(field); });
  }
}

void OffLineFile::open(configuration::Configuration configuration, const QString& path) {
  configuration_ = std::move(configuration);
  path_ = path;
  modified_ = false;
  // The lists are the on-line ones, filled once the control has filled those.
  for (const Field& field : fields_) {
    if (field.listFrom.empty()) continue;
    auto* list = dynamic_cast<toolkit::ComboBox*>(form_.find(field.listFrom));
    auto* offline = dynamic_cast<toolkit::ComboBox*>(form_.find(field.control));
    if (list == nullptr || offline == nullptr || !offline->items().empty()) continue;
    for (const std::string& item : list->items()) offline->addItem(item);
  }
  showValues();
  notify();
}

void OffLineFile::showValues() {
  showing_ = true;
  for (const Field& field : fields_) {
    auto found = configuration_->values.find(field.key);
    if (found == configuration_->values.end()) continue;
    std::string text;
    if (field.enumeration == Enumeration::None) {
      const QDate date = QDate::fromString(QString::fromStdString(configuration::ValueText(found->second)), kFileDate);
      text = date.toString(kPageDate).toStdString();
    } else if (const auto* code = std::get_if<std::int64_t>(&found->second)) {
      text = configuration::CodeText(field.enumeration, *code);
    }
    if (auto* combo = dynamic_cast<toolkit::ComboBox*>(form_.find(field.control))) combo->setText(text);
    if (auto* box = dynamic_cast<toolkit::TextBox*>(form_.find(field.control))) box->setText(text);
  }
  showing_ = false;
}

void OffLineFile::userChose(const Field& field) {
  if (showing_ || !configuration_) return;
  std::string text;
  if (auto* combo = dynamic_cast<toolkit::ComboBox*>(form_.find(field.control))) text = combo->text();
  if (auto* box = dynamic_cast<toolkit::TextBox*>(form_.find(field.control))) text = box->text();

  std::optional<configuration::Value> value;
  if (field.enumeration == Enumeration::None) {
    const QDate date = QDate::fromString(QString::fromStdString(text), kPageDate);
    if (date.isValid()) value = date.toString(kFileDate).toStdString();
  } else if (std::optional<std::int64_t> code = CodeOfText(field.enumeration, text)) {
    value = *code;
  }
  const auto current = configuration_->values.find(field.key);
  if (value && current != configuration_->values.end() && *value == current->second) return;
  const std::string wrong =
      field.enumeration == Enumeration::None ? "\" is not a date (dd/mm/yyyy)" : "\" is not one of its choices";
  Result<bool> changedValue = value ? set(field.key, *value) : Result<bool>(Error{field.key + ": \"" + text + wrong});
  if (!changedValue) {
    showValues();  // the field shows the file's value again
    if (refused) refused(QString::fromStdString(changedValue.error().message));
  }
}

Result<bool> OffLineFile::set(const std::string& key, const configuration::Value& value) {
  if (!configuration_) return Error{"no configuration file is open"};
  configuration::Configuration edited = *configuration_;
  edited.values[key] = value;
  Result<bool> valid = configuration::Validate(edited);
  if (!valid) return valid.error();
  configuration_ = std::move(edited);
  modified_ = true;
  showValues();
  notify();
  return true;
}

Result<bool> OffLineFile::saveAs(const QString& path) {
  if (!configuration_) return Error{"no configuration file is open"};
  Result<bool> saved = configuration::SaveConfiguration(path.toStdString(), *configuration_);
  if (!saved) return saved.error();
  path_ = path;
  modified_ = false;
  notify();
  return true;
}

void OffLineFile::notify() const {
  if (changed) changed();
}

}  // namespace zolin6::desktop
