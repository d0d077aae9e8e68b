#pragma once
// Every value of the open configuration file, grouped as the pages group
// them: the page where the values the off-line pages do not show (ranges,
// texts, sensor parameters) are edited. A value is typed as the file keeps
// it, a number with the user's decimal separator or "."; one the device
// would refuse is not taken, and the row says why.

#include <QTreeWidget>

namespace zolin6::desktop {

class OffLineFile;

class OffLineValuesPage : public QTreeWidget {
 public:
  explicit OffLineValuesPage(OffLineFile& file, QWidget* parent = nullptr);

  // Shows the file's values again (after it was opened or changed elsewhere).
  void refresh();

 private:
  void edited(QTreeWidgetItem* item, int column);

  OffLineFile& file_;
  bool refreshing_ = false;
};

}  // namespace zolin6::desktop
