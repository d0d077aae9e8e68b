#include "desktop/compare_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "configuration/catalogue.h"
#include "configuration/change_text.h"
#include "configuration/compare.h"

namespace zolin6::desktop {

namespace {

using configuration::CatalogueValue;
const QColor kDiffers(255, 224, 138);  // the configuration sheet's colour for a difference
constexpr int kDiffersRole = Qt::UserRole;

}  // namespace

CompareDialog::CompareDialog(const ComparedSide& left, const ComparedSide& right, QWidget* parent) : QDialog(parent) {
  setObjectName("CompareDialog");
  setWindowTitle("Compare " + left.title + " with " + right.title);
  auto* column = new QVBoxLayout(this);
  count_ = new QLabel;
  count_->setObjectName("DifferenceCount");
  QFont bold = count_->font();
  bold.setBold(true);
  count_->setFont(bold);
  onlyDifferences_ = new QCheckBox("Differences only");
  onlyDifferences_->setObjectName("DifferencesOnly");
  auto* top = new QHBoxLayout;
  top->addWidget(count_, 1);
  top->addWidget(onlyDifferences_);
  column->addLayout(top);

  table_ = new QTreeWidget;
  table_->setObjectName("ComparisonTable");
  table_->setColumnCount(3);
  table_->setHeaderLabels({"Value", left.title, right.title});
  table_->setRootIsDecorated(false);
  table_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  // One rule for what differs, and one count: the compare's own.
  const configuration::Comparison comparison = configuration::Compare(left.configuration, right.configuration);
  for (const std::string& group : configuration::Groups()) {
    auto* heading = new QTreeWidgetItem(table_, {QString::fromStdString(configuration::GroupTitle(group))});
    heading->setFirstColumnSpanned(true);
    QFont headingFont = heading->font(0);
    headingFont.setBold(true);
    heading->setFont(0, headingFont);
    int groupDifferences = 0;
    for (const CatalogueValue& entry : configuration::Values()) {
      if (entry.group != group) continue;
      auto* row = new QTreeWidgetItem(heading, {"  " + QString::fromStdString(entry.name),
                                                QString::fromStdString(ShownValue(entry, left.configuration)),
                                                QString::fromStdString(ShownValue(entry, right.configuration))});
      const bool differs = comparison.differs(entry.key);
      row->setData(0, kDiffersRole, differs);
      if (!differs) continue;
      ++groupDifferences;
      for (int c = 0; c < 3; ++c) row->setBackground(c, kDiffers);
    }
    heading->setData(0, kDiffersRole, groupDifferences > 0);
    differences_ += groupDifferences;
  }
  table_->expandAll();
  column->addWidget(table_, 1);

  count_->setText(QString::fromStdString(configuration::DifferenceCount(comparison.differences.size())));
  // What changes from the left to the right, in words (a unit change with
  // what it does to the range).
  QStringList changes;
  for (const std::string& line : configuration::DescribeChanges(comparison, left.configuration, right.configuration)) {
    changes << QString::fromStdString(line);
  }
  changes_ = new QLabel(changes.join('\n'));
  changes_->setObjectName("DifferenceText");
  changes_->setWordWrap(true);
  changes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  changes_->setVisible(!changes.isEmpty());
  column->insertWidget(1, changes_);
  connect(onlyDifferences_, &QCheckBox::toggled, this, &CompareDialog::showDifferencesOnly);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  column->addWidget(buttons);
  resize(760, 620);
}

void CompareDialog::showDifferencesOnly(bool only) {
  if (onlyDifferences_->isChecked() != only) onlyDifferences_->setChecked(only);
  for (int g = 0; g < table_->topLevelItemCount(); ++g) {
    QTreeWidgetItem* heading = table_->topLevelItem(g);
    heading->setHidden(only && !heading->data(0, kDiffersRole).toBool());
    for (int r = 0; r < heading->childCount(); ++r) {
      heading->child(r)->setHidden(only && !heading->child(r)->data(0, kDiffersRole).toBool());
    }
  }
}

}  // namespace zolin6::desktop
