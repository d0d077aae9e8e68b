#include "desktop/offline_values_page.h"

#include <QComboBox>
#include <QHeaderView>
#include <QStyledItemDelegate>

#include <string>

#include "configuration/catalogue.h"
#include "desktop/offline_file.h"
#include "desktop/page_lists.h"
#include "platform/locale.h"

namespace zolin6::desktop {

namespace {

using configuration::CatalogueValue;
using configuration::Enumeration;
using configuration::Value;
using configuration::ValueType;

enum Column { kName, kSetting, kUnit };
constexpr int kKeyRole = Qt::UserRole;
constexpr int kChoicesRole = Qt::UserRole + 1;  // the page's list for the row, when it has one
const QColor kRefused(255, 205, 205);

// The typed text as a value of `entry`'s type in `value`; why it is none,
// or "". A choice is its text in the page's list.
std::string Typed(const CatalogueValue& entry, QString text, Value& value) {
  text = text.trimmed();
  if (entry.enumeration != Enumeration::None) {
    if (auto code = CodeOfText(entry.enumeration, text.toStdString())) {
      value = *code;
      return {};
    }
  }
  if (entry.type == ValueType::Text) {
    value = text.toStdString();
    return {};
  }
  // The user's separator, or the file's ".": both mean the decimal point.
  text.replace(QChar(platform::UserLocale().decimalSeparator), '.');
  bool ok = false;
  if (entry.type == ValueType::Integer) {
    const qlonglong integer = text.toLongLong(&ok);
    if (ok) value = static_cast<std::int64_t>(integer);
    if (entry.enumeration != Enumeration::None && !ok) {
      return entry.key + ": \"" + text.toStdString() + "\" is not one of its choices";
    }
    return ok ? std::string() : entry.key + ": \"" + text.toStdString() + "\" is not a whole number";
  }
  const double number = text.toDouble(&ok);
  if (ok) value = number;
  return ok ? std::string() : entry.key + ": \"" + text.toStdString() + "\" is not a number";
}

// Sets the typed value in the file; why it was not taken, or "".
QString Refusal(OffLineFile& file, const CatalogueValue& entry, const QString& text) {
  Value value;
  if (std::string wrong = Typed(entry, text, value); !wrong.empty()) return QString::fromStdString(wrong);
  Result<bool> taken = file.set(entry.key, value);
  return taken ? QString() : QString::fromStdString(taken.error().message);
}

// The setting as its page shows it: a choice by its text, a number with the
// user's separator.
QString Shown(const CatalogueValue& entry, const Value& value) {
  if (entry.enumeration != Enumeration::None && std::holds_alternative<std::int64_t>(value)) {
    const std::string text = configuration::CodeText(entry.enumeration, std::get<std::int64_t>(value));
    if (!text.empty()) return QString::fromStdString(text);
  }
  QString text = QString::fromStdString(configuration::ValueText(value));
  if (std::holds_alternative<double>(value)) text.replace('.', QChar(platform::UserLocale().decimalSeparator));
  return text;
}

QString UnitOf(const CatalogueValue& entry, const configuration::Configuration& shown) {
  if (entry.key == "sensor parameters.damping") return "s";
  auto unit = shown.values.find(entry.unitKey);
  if (entry.unitKey.empty() || unit == shown.values.end() || !std::holds_alternative<std::int64_t>(unit->second)) {
    return {};
  }
  return QString::fromStdString(configuration::CodeText(Enumeration::Unit, std::get<std::int64_t>(unit->second)));
}

// A choice is picked from its page's list; everything else is typed.
class SettingEditor : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QStringList choices = index.data(kChoicesRole).toStringList();
    if (choices.isEmpty()) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->setObjectName("SettingChoices");
    combo->addItems(choices);
    return combo;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      combo->setCurrentText(index.data(Qt::DisplayRole).toString());
      return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      model->setData(index, combo->currentText());
      return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
  }
};

}  // namespace

OffLineValuesPage::OffLineValuesPage(OffLineFile& file, const toolkit::Form& form, QWidget* parent)
    : QTreeWidget(parent), file_(file) {
  setObjectName("OffLineValues");
  setColumnCount(3);
  setHeaderLabels({"Value", "Setting", "Unit"});
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  setItemDelegateForColumn(kSetting, new SettingEditor(this));
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (const std::string& group : configuration::Groups()) {
    auto* heading = new QTreeWidgetItem(this, {QString::fromStdString(configuration::GroupTitle(group))});
    heading->setFirstColumnSpanned(true);
    for (const CatalogueValue& entry : configuration::Values()) {
      if (entry.group != group) continue;
      auto* row = new QTreeWidgetItem(heading, {QString::fromStdString(entry.name)});
      row->setData(kName, kKeyRole, QString::fromStdString(entry.key));
      if (!entry.writable) {
        row->setToolTip(kSetting, "Read from the device; not written by a download");
        continue;
      }
      row->setFlags(row->flags() | Qt::ItemIsEditable);
      const std::string list = PageListOf(entry.key);
      if (auto* combo = list.empty() ? nullptr : dynamic_cast<const toolkit::ComboBox*>(form.find(list))) {
        QStringList choices;
        for (const std::string& item : combo->items()) choices << QString::fromStdString(item);
        row->setData(kSetting, kChoicesRole, choices);
      }
    }
  }
  expandAll();
  connect(this, &QTreeWidget::itemChanged, this, &OffLineValuesPage::edited);
}

void OffLineValuesPage::refresh() {
  if (!file_.isOpen()) return;
  refreshing_ = true;
  const configuration::Configuration& shown = file_.configuration();
  for (int g = 0; g < topLevelItemCount(); ++g) {
    QTreeWidgetItem* heading = topLevelItem(g);
    for (int r = 0; r < heading->childCount(); ++r) {
      QTreeWidgetItem* row = heading->child(r);
      const std::string key = row->data(kName, kKeyRole).toString().toStdString();
      const CatalogueValue* entry = configuration::FindValue(key);
      auto value = shown.values.find(key);
      if (entry == nullptr || value == shown.values.end()) continue;
      row->setText(kSetting, Shown(*entry, value->second));
      row->setText(kUnit, UnitOf(*entry, shown));
    }
  }
  refreshing_ = false;
}

void OffLineValuesPage::edited(QTreeWidgetItem* item, int column) {
  if (refreshing_ || column != kSetting) return;
  const CatalogueValue* entry = configuration::FindValue(item->data(kName, kKeyRole).toString().toStdString());
  if (entry == nullptr) return;
  const QString refusal = Refusal(file_, *entry, item->text(kSetting));
  refreshing_ = true;
  item->setBackground(kSetting, refusal.isEmpty() ? QBrush() : QBrush(kRefused));
  item->setToolTip(kSetting, refusal);
  refreshing_ = false;
  if (!refusal.isEmpty() && file_.refused) file_.refused(refusal);
  refresh();  // a refused text gives way to the file's value; a unit shows in the other rows
}

}  // namespace zolin6::desktop
