#pragma once
// The window's configuration files: the File menu's New Configuration,
// Open Configuration (Ctrl+O) and Open Recent with the off-line pages, Save
// (Ctrl+S, and the "Save" button: the open file on its off-line pages, the
// device's configuration elsewhere), Compare with Device, Compare Two
// Files, Download to Device, Print Report and Export PDF (of the open file
// on its off-line pages, of the device elsewhere). Each command that asks
// for a file comes in two halves: the menu asks, the public function does
// the work (and is what the tests call). Unsaved edits of the open file are
// never dropped without asking.

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
#include "report/report.h"

class QLabel;
class QTreeWidgetItem;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

// The file dialogs' filter of configuration files.
inline constexpr const char* kConfigurationFiles = "Configuration files (*.json)";

class CompareDialog;
class OffLineValuesPage;
class Prompter;
class RecentFiles;

class ConfigurationCommands : public QObject {
 public:
  ConfigurationCommands(view::MainWindow& window, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap,
                        Prompter& prompter);

  // Each returns whether it did what it was asked; what went wrong has been
  // shown to the user.
  bool saveConfiguration(const QString& path);
  bool openConfiguration(const QString& path);
  bool newConfiguration();
  // Saves the open file to `path`; asks where for "".
  bool saveOffLineFile(const QString& path);
  CompareDialog* compareWithDevice(const QString& path);  // nullptr: nothing to show
  CompareDialog* compareFiles(const QString& left, const QString& right);
  bool download(const QString& path);
  // Told the operation the device history gives a download's writes while
  // it runs, and "" after it.
  void onDownload(std::function<void(const std::string& operation)> announce) { announce_ = std::move(announce); }
  bool exportReport(const QString& path);  // PDF, or HTML for a name ending in .html
  // Before `action` ("quit", "open another file", "connect"): true when the
  // open file has no unsaved edits, or the user saved or dropped them.
  bool mayDropEdits(const QString& action);

  OffLineFile& offLineFile() { return file_; }
  // Whether an off-line page of the open file is on show.
  bool offLineShown() const;
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
  void showFile(configuration::Configuration configuration, const QString& path);
  void showFileState();
  bool reportDownload(const configuration::DownloadResult& result, const configuration::DownloadPlan& plan,
                      const QString& name);
  // The sheet of the open file on its off-line pages, else of the device.
  std::optional<report::SheetInput> sheet(const QString& failure);
  void print();
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
  Prompter& prompter_;
  std::function<void(const std::string& operation)> announce_;
  WindowTransfer transfer_;
  OffLineFile file_;
  RecentFiles* recent_ = nullptr;
  OffLineValuesPage* valuesPage_ = nullptr;
  QTreeWidgetItem* offLineRoot_ = nullptr;
  QLabel* status_ = nullptr;
  QString folder_;                                       // where the last file was chosen
  std::optional<configuration::Configuration> asFound_;  // the device before this session's last download
  std::function<bool(const QString&, const QString&)> confirm_;
};

}  // namespace zolin6::desktop
