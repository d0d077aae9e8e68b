#include "desktop/offline_values_page.h"

#include <QHeaderView>

#include <string>

#include "configuration/catalogue.h"
#include "desktop/offline_file.h"
#include "platform/locale.h"

namespace zolin6::desktop {

namespace {

using configuration::CatalogueValue;
using configuration::Value;
using configuration::ValueType;

enum Column { kName, kSetting, kShown };
constexpr int kKeyRole = Qt::UserRole;
const QColor kRefused(255, 205, 205);

// The typed text as a value of `entry`'s type in `value`; why it is none,
// or "".
std::string Typed(const CatalogueValue& entry, QString text, Value& value) {
  text = text.trimmed();
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

QString Editable(const Value& value) {
  QString text = QString::fromStdString(configuration::ValueText(value));
  if (std::holds_alternative<double>(value)) text.replace('.', QChar(platform::UserLocale().decimalSeparator));
  return text;
}

}  // namespace

OffLineValuesPage::OffLineValuesPage(OffLineFile& file, QWidget* parent) : QTreeWidget(parent), file_(file) {
  setObjectName("OffLineValues");
  setColumnCount(3);
  setHeaderLabels({"Value", "Setting", "As the pages show it"});
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (const std::string& group : configuration::Groups()) {
    auto* heading = new QTreeWidgetItem(this, {QString::fromStdString(configuration::GroupTitle(group))});
    heading->setFirstColumnSpanned(true);
    for (const CatalogueValue& entry : configuration::Values()) {
      if (entry.group != group) continue;
      auto* row = new QTreeWidgetItem(heading, {QString::fromStdString(entry.name)});
      row->setData(kName, kKeyRole, QString::fromStdString(entry.key));
      if (entry.writable) row->setFlags(row->flags() | Qt::ItemIsEditable);
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
      row->setText(kSetting, Editable(value->second));
      row->setText(kShown, QString::fromStdString(configuration::ShownValue(*entry, shown)));
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
