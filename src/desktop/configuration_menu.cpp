// The File menu's configuration commands: each asks what it needs (a file,
// a printer) and hands it to the command that does the work.

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>

#include "desktop/configuration_commands.h"
#include "desktop/recent_files.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

constexpr const char* kFolderSetting = "files/folder";  // where the last file was chosen, kept between runs

}  // namespace

void ConfigurationCommands::buildMenu() {
  folder_ = QSettings().value(kFolderSetting).toString();
  QMenu* file = window_.menu("File");
  auto add = [this](const QString& text, const QString& name, const QKeySequence& keys, std::function<void()> run) {
    window_.addCommand("File", text, name, keys, std::move(run));
  };
  add("&New Configuration", "actionNewConfiguration", QKeySequence::New, [this] {
    if (mayDropEdits("make a new one")) newConfiguration();
  });
  add("&Open Configuration\u2026", "actionOpenConfiguration", QKeySequence::Open, [this] {
    if (!mayDropEdits("open another file")) return;
    const QString path = askOpen("Open a configuration file");
    if (!path.isEmpty()) openConfiguration(path);
  });
  recent_ = new RecentFiles(*file->addMenu("Open &Recent"), [this](const QString& path) {
    if (mayDropEdits("open another file")) openConfiguration(path);
  });
  // Ctrl+S saves what is on show: the open file on its off-line pages, the
  // device's configuration elsewhere.
  add("&Save Configuration\u2026", "actionSaveConfiguration", QKeySequence::Save, [this] {
    if (offLineShown()) {
      saveOffLineFile(file_.path());
      return;
    }
    const QString path = askSave("Save the device's configuration", "configuration.json", kConfigurationFiles);
    if (!path.isEmpty()) saveConfiguration(path);
  });
  add("Save Off-line File &As\u2026", "actionSaveOffLineAs", {}, [this] {
    if (!file_.isOpen()) {
      fail("Nothing saved", "No configuration file is open.");
      return;
    }
    const QString name = file_.path().isEmpty() ? QString("configuration.json") : file_.path();
    const QString path = askSave("Save the configuration file as", name, kConfigurationFiles);
    if (!path.isEmpty()) saveOffLineFile(path);
  });
  file->addSeparator();
  add("&Compare with Device\u2026", "actionCompareWithDevice", {}, [this] {
    const QString path = file_.isOpen() ? QString() : askOpen("Compare the device with a file");
    if (file_.isOpen() || !path.isEmpty()) compareWithDevice(path);
  });
  add("Compare &Two Files\u2026", "actionCompareFiles", {}, [this] {
    const QString left = askOpen("The first configuration file");
    const QString right = left.isEmpty() ? QString() : askOpen("The second configuration file");
    if (!right.isEmpty()) compareFiles(left, right);
  });
  add("&Download to Device\u2026", "actionDownload", {}, [this] {
    const QString path = file_.isOpen() ? QString() : askOpen("Download a configuration file to the device");
    if (file_.isOpen() || !path.isEmpty()) download(path);
  });
  file->addSeparator();
  add("&Print Report\u2026", "actionPrintReport", QKeySequence::Print, [this] { print(); });
  add("&Export PDF\u2026", "actionExportPdf", {}, [this] {
    const QString path =
        askSave("Export the configuration sheet", "configuration-sheet.pdf", "PDF files (*.pdf);;HTML files (*.html)");
    if (!path.isEmpty()) exportReport(path);
  });
  file->addSeparator();
}

void ConfigurationCommands::print() {
  const std::optional<report::SheetInput> input = sheet("No report printed");
  if (!input) return;
  QPrinter printer;
  QPrintDialog dialog(&printer, &window_);
  if (dialog.exec() != QDialog::Accepted) return;
  report::PrintSheet(*input, printer);
}

void ConfigurationCommands::remember(const QString& path) {
  if (path.isEmpty()) return;
  folder_ = QFileInfo(path).absolutePath();
  QSettings().setValue(kFolderSetting, folder_);
}

QString ConfigurationCommands::askOpen(const QString& title) {
  QString path = QFileDialog::getOpenFileName(&window_, title, folder_, kConfigurationFiles);
  remember(path);
  return path;
}

QString ConfigurationCommands::askSave(const QString& title, const QString& name, const QString& filter) {
  QString path =
      QFileDialog::getSaveFileName(&window_, title, QFileInfo(folder_, QFileInfo(name).fileName()).filePath(), filter);
  remember(path);
  return path;
}

}  // namespace zolin6::desktop
