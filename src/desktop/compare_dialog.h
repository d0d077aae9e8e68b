#pragma once
// Two configurations side by side (the device and a file, or two files):
// every value in one row as the pages show it, a value that differs
// highlighted, the count of differences and what changes in words above,
// and a filter that shows only those.

#include <QDialog>
#include <QString>

#include "configuration/values.h"

class QCheckBox;
class QLabel;
class QTreeWidget;

namespace zolin6::desktop {

struct ComparedSide {
  QString title;  // "Device TT-601", "plant.json"
  configuration::Configuration configuration;
};

class CompareDialog : public QDialog {
 public:
  CompareDialog(const ComparedSide& left, const ComparedSide& right, QWidget* parent = nullptr);

  int differences() const { return differences_; }
  QTreeWidget* table() const { return table_; }
  void showDifferencesOnly(bool only);

 private:
  QTreeWidget* table_ = nullptr;
  QCheckBox* onlyDifferences_ = nullptr;
  QLabel* count_ = nullptr;
  QLabel* changes_ = nullptr;  // the differences in words
  int differences_ = 0;
};

}  // namespace zolin6::desktop
