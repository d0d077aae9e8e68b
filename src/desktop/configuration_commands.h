#pragma once
// The window's configuration files: the File menu's Save Configuration
// (Ctrl+S, and the "Save" button), Open Configuration (Ctrl+O) with the
// off-line pages, Compare with Device, Compare Two Files, Download to
// Device, Print Report and Export PDF. Each command that asks for a file
// comes in two halves: the menu asks, the public function does the work
// (and is what the tests call).

#include <QMessageBox>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "configuration/values.h"
#include "desktop/offline_file.h"
#include "desktop/window_transfer.h"
#include "link/link_tap.h"

class QLabel;
class QTreeWidgetItem;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

class CompareDialog;
class OffLineValuesPage;

class ConfigurationCommands : public QObject {
 public:
  ConfigurationCommands(view::MainWindow& window, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap);

  // Each returns whether it did what it was asked; what went wrong has been
  // shown to the user.
  bool saveConfiguration(const QString& path);
  bool openConfiguration(const QString& path);
  bool saveOffLineFile(const QString& path);
  CompareDialog* compareWithDevice(const QString& path);  // nullptr: nothing to show
  CompareDialog* compareFiles(const QString& left, const QString& right);
  bool download(const QString& path);
  bool exportReport(const QString& path);  // PDF, or HTML for a name ending in .html

  OffLineFile& offLineFile() { return file_; }
  // Answers the download's confirmation instead of asking (for tests).
  void setConfirmation(std::function<bool(const QString& title, const QString& text)> confirm) {
    confirm_ = std::move(confirm);
  }
  OffLineValuesPage* valuesPage() const { return valuesPage_; }
  // The tree node that opens the off-line page of `frame`, or the values page for "".
  QTreeWidgetItem* offLineNode(const QString& frame) const;

 private:
  void buildMenu();
  void buildOffLineTree();
  void showFileState();
  bool reportDownload(const configuration::DownloadResult& result, const configuration::DownloadPlan& plan,
                      const QString& name);
  void tell(const QString& text);
  // Tells the user `what` failed and `why`; false.
  bool fail(const QString& what, const QString& why);
  void show(QMessageBox::Icon icon, const QString& title, const QString& text);
  bool askConfirmation(const QString& title, const QString& text);
  // The open file's configuration, or the one in `path`, with its title.
  std::optional<std::pair<QString, configuration::Configuration>> fileToUse(const QString& path);
  QString askOpen(const QString& title);
  void remember(const QString& path);
  QString askSave(const QString& title, const QString& name, const QString& filter);

  view::MainWindow& window_;
  WindowTransfer transfer_;
  OffLineFile file_;
  OffLineValuesPage* valuesPage_ = nullptr;
  QTreeWidgetItem* offLineRoot_ = nullptr;
  QLabel* status_ = nullptr;
  QString folder_;                                       // where the last file was chosen
  std::optional<configuration::Configuration> asFound_;  // the device before this session's last download
  std::function<bool(const QString&, const QString&)> confirm_;
};

}  // namespace zolin6::desktop
