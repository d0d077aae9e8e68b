#pragma once
// Every value of the open configuration file, grouped as the pages group
// them: the page where the values the off-line pages do not show (ranges,
// texts, sensor parameters) are edited. Values look as the pages show them:
// a choice by its text, picked from the list its page offers; a number
// with the user's decimal separator, its unit beside it. One the device
// would refuse is not taken, and the row says why.

#include <QTreeWidget>

#include "platform/toolkit/form.h"

namespace zolin6::desktop {

class OffLineFile;

class OffLineValuesPage : public QTreeWidget {
 public:
  // `form` holds the on-line pages' lists the choices are offered from.
  OffLineValuesPage(OffLineFile& file, const toolkit::Form& form, QWidget* parent = nullptr);

  // Shows the file's values again (after it was opened or changed elsewhere).
  void refresh();

 private:
  void edited(QTreeWidgetItem* item, int column);

  OffLineFile& file_;
  bool refreshing_ = false;
};

}  // namespace zolin6::desktop
