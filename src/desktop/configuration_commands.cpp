#include "desktop/configuration_commands.h"

#include <QAction>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTextDocument>
#include <QTreeWidgetItem>

#include <string_view>

#include "configuration/catalogue.h"
#include "configuration/config_file.h"
#include "desktop/compare_dialog.h"
#include "desktop/offline_values_page.h"
#include "report/report.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

using configuration::Configuration;

constexpr const char* kFileFilter = "Configuration files (*.json)";
constexpr const char* kValuesNode = "All Values";
constexpr const char* kFolderSetting = "files/folder";  // where the last file was chosen, kept between runs

// The off-line pages in the tree: node text, page frame, title.
struct OffLinePage {
  const char* node;
  const char* frame;
  const char* title;
};
constexpr OffLinePage kOffLinePages[] = {
    {"Sensor", "frmOffLineChannelSensor", "Off-line \u2013 Sensor"},
    {"Range", "frmOffLineConfRange", "Off-line \u2013 Sensor Range Units"},
    {"Local Temp", "frmOffLineConfLocalTemp", "Off-line \u2013 Local Temp"},
    {"LCD", "frmOffLineConfLCD", "Off-line \u2013 LCD"},
};

QString Tag(const Configuration& configuration) {
  auto tag = configuration.values.find("identification.tag");
  return tag == configuration.values.end() ? QString("the device")
                                           : QString::fromStdString(configuration::ValueText(tag->second));
}

// What a download will change, one line per value.
QString ChangeList(const configuration::DownloadPlan& plan) {
  QStringList lines;
  for (const configuration::Difference& difference : plan.comparison.differences) {
    lines << QString::fromStdString(difference.key + ": " +
                                    (difference.left ? configuration::ValueText(*difference.left) : "-") + " \u2192 " +
                                    (difference.right ? configuration::ValueText(*difference.right) : "-"));
  }
  return lines.join('\n');
}

QString Titles(const std::vector<std::string>& titles) {
  if (titles.empty()) return "nothing";
  QStringList list;
  for (const std::string& title : titles) list << QString::fromStdString(title);
  return list.join(", ");
}

// The sheet of the device as read now; after a download, with the device
// as found beside it.
report::SheetInput Sheet(const Configuration& device, const std::optional<Configuration>& asFound) {
  report::SheetInput input;
  input.configuration = device;
  input.comparison = asFound;
  input.printedAt = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm").toStdString();
  return input;
}

}  // namespace

ConfigurationCommands::ConfigurationCommands(view::MainWindow& window, toolkit::Clock& clock,
                                             std::shared_ptr<link::LinkTap> tap)
    : QObject(&window),
      window_(window),
      transfer_(window, clock, std::move(tap)),
      file_(window.binding().form(), window.binding()) {
  folder_ = QSettings().value(kFolderSetting).toString();
  status_ = new QLabel;
  status_->setObjectName("ConfigurationStatus");
  window_.statusBar()->addPermanentWidget(status_);
  file_.changed = [this] { showFileState(); };
  file_.refused = [this](const QString& reason) { tell("Not taken: " + reason); };
  buildMenu();

  // The "Save" button saves the open file on the off-line pages and the
  // device's configuration elsewhere.
  QWidget* save = window_.binding().widgetFor("cmdSave");
  if (auto* button = qobject_cast<QPushButton*>(save)) {
    connect(button, &QPushButton::clicked, this, [this] {
      if (window_.ownPageShown()) {
        saveOffLineFile(file_.path());
      } else {
        const QString path = askSave("Save the device's configuration", "configuration.json", kFileFilter);
        if (!path.isEmpty()) saveConfiguration(path);
      }
    });
  }
  // On the off-line pages the Write button has no device page to write and
  // Save saves the file; on the device's pages both are as the control
  // leaves them.
  window_.onPageShown([this](bool own) {
    for (const char* name : {"cmdWriteParameter", "cmdSave"}) {
      QWidget* button = window_.binding().widgetFor(name);
      auto* model = dynamic_cast<toolkit::CommandButton*>(window_.binding().form().find(name));
      if (button == nullptr || model == nullptr) continue;
      const bool saves = std::string_view(name) == "cmdSave";
      button->setEnabled(own ? saves && file_.isOpen() : model->enabled());
    }
  });
}

void ConfigurationCommands::buildMenu() {
  QMenu* file = window_.menu("File");
  auto add = [this](const QString& text, const QString& name, const QKeySequence& keys, std::function<void()> run) {
    window_.addCommand("File", text, name, keys, std::move(run));
  };
  add("&Save Configuration\u2026", "actionSaveConfiguration", QKeySequence::Save, [this] {
    const QString path = askSave("Save the device's configuration", "configuration.json", kFileFilter);
    if (!path.isEmpty()) saveConfiguration(path);
  });
  add("&Open Configuration\u2026", "actionOpenConfiguration", QKeySequence::Open, [this] {
    const QString path = askOpen("Open a configuration file");
    if (!path.isEmpty()) openConfiguration(path);
  });
  add("Save Off-line File &As\u2026", "actionSaveOffLineAs", {}, [this] {
    if (!file_.isOpen()) {
      fail("Nothing saved", "No configuration file is open.");
      return;
    }
    const QString path = askSave("Save the configuration file as", file_.path(), kFileFilter);
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
  add("&Print Report\u2026", "actionPrintReport", QKeySequence::Print, [this] {
    Result<Configuration> device = transfer_.upload("Reading the device for the report");
    if (!device) {
      fail("No report printed", QString::fromStdString(device.error().message));
      return;
    }
    const report::SheetInput input = Sheet(*device, asFound_);
    QPrinter printer;
    QPrintDialog dialog(&printer, &window_);
    if (dialog.exec() != QDialog::Accepted) return;
    QTextDocument sheet;
    sheet.setHtml(QString::fromStdString(report::SheetHtml(input)));
    sheet.print(&printer);
  });
  add("&Export PDF\u2026", "actionExportPdf", {}, [this] {
    const QString path =
        askSave("Export the configuration sheet", "configuration-sheet.pdf", "PDF files (*.pdf);;HTML files (*.html)");
    if (!path.isEmpty()) exportReport(path);
  });
  file->addSeparator();
}

bool ConfigurationCommands::saveConfiguration(const QString& path) {
  Result<Configuration> device = transfer_.upload("Reading the device");
  if (!device) return fail("The configuration was not saved", QString::fromStdString(device.error().message));
  if (Result<bool> saved = configuration::SaveConfiguration(path.toStdString(), *device); !saved) {
    return fail("The configuration was not saved", QString::fromStdString(saved.error().message));
  }
  tell("Saved the configuration of " + Tag(*device) + " to " + QFileInfo(path).fileName());
  return true;
}

bool ConfigurationCommands::openConfiguration(const QString& path) {
  Result<Configuration> loaded = configuration::LoadConfiguration(path.toStdString());
  if (!loaded) return fail("The file was not opened", QString::fromStdString(loaded.error().message));
  buildOffLineTree();
  file_.open(std::move(loaded).value(), path);
  window_.tree()->setCurrentItem(offLineNode(kOffLinePages[0].frame));
  window_.showOwnPage(kOffLinePages[0].frame, kOffLinePages[0].title);
  return true;
}

bool ConfigurationCommands::saveOffLineFile(const QString& path) {
  if (Result<bool> saved = file_.saveAs(path); !saved) {
    return fail("The file was not saved", QString::fromStdString(saved.error().message));
  }
  tell("Saved " + QFileInfo(path).fileName());
  return true;
}

std::optional<std::pair<QString, Configuration>> ConfigurationCommands::fileToUse(const QString& path) {
  if (path.isEmpty() && file_.isOpen()) {
    return std::make_pair(QFileInfo(file_.path()).fileName(), file_.configuration());
  }
  Result<Configuration> loaded = configuration::LoadConfiguration(path.toStdString());
  if (!loaded) {
    fail("The file was not read", QString::fromStdString(loaded.error().message));
    return std::nullopt;
  }
  return std::make_pair(QFileInfo(path).fileName(), std::move(loaded).value());
}

CompareDialog* ConfigurationCommands::compareWithDevice(const QString& path) {
  auto file = fileToUse(path);
  if (!file) return nullptr;
  Result<Configuration> device = transfer_.upload("Reading the device for the comparison");
  if (!device) {
    fail("Nothing compared", QString::fromStdString(device.error().message));
    return nullptr;
  }
  auto* dialog = new CompareDialog({"Device " + Tag(*device), *device}, {file->first, file->second}, &window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}

CompareDialog* ConfigurationCommands::compareFiles(const QString& left, const QString& right) {
  auto first = fileToUse(left);
  auto second = first ? fileToUse(right) : std::nullopt;
  if (!second) return nullptr;
  auto* dialog = new CompareDialog({first->first, first->second}, {second->first, second->second}, &window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}

bool ConfigurationCommands::download(const QString& path) {
  auto file = fileToUse(path);
  if (!file) return false;
  Result<Configuration> device = transfer_.upload("Reading the device before the download");
  if (!device) return fail("Nothing downloaded", QString::fromStdString(device.error().message));
  const configuration::DownloadPlan plan = configuration::PlanDownload(*device, file->second);
  const QString tag = Tag(*device);
  if (plan.writes.empty()) {
    tell(tag + " already holds the configuration of " + file->first);
    return true;
  }
  const QString question =
      QString("Download %1 to the device %2?\n\nThese values will change:\n%3").arg(file->first, tag, ChangeList(plan));
  if (!askConfirmation("Download to " + tag, question)) return false;
  Result<configuration::DownloadResult> result = transfer_.download(file->second, plan);
  if (!result) return fail("Nothing downloaded", QString::fromStdString(result.error().message));
  return reportDownload(*result, plan, file->first);
}

bool ConfigurationCommands::reportDownload(const configuration::DownloadResult& result,
                                           const configuration::DownloadPlan& plan, const QString& name) {
  const QString done = "\n\nWritten: " + Titles(result.written) + "\nNot written: " + Titles(result.notWritten);
  if (result.refusal) {
    const configuration::Refusal& refusal = *result.refusal;
    return fail("The download stopped", QString("The device refused the %1 (response code %2: %3).%4")
                                            .arg(QString::fromStdString(refusal.title))
                                            .arg(refusal.responseCode)
                                            .arg(QString::fromStdString(refusal.meaning), done));
  }
  if (result.error) return fail("The download stopped", QString::fromStdString(*result.error) + done);
  if (!result.verified || !result.verified->same()) {
    QStringList keys;
    if (result.verified) {
      for (const auto& difference : result.verified->differences) keys << QString::fromStdString(difference.key);
    }
    return fail("The device differs from the file",
                "Every write was taken, but the device read back differs from " + name + " in: " + keys.join(", "));
  }
  asFound_ = plan.device;
  const QString summary = QString("Downloaded %1 to %2: %3 writes; the device read back matches the file.")
                              .arg(name, Tag(plan.device))
                              .arg(result.written.size());
  tell(summary);
  show(QMessageBox::Information, "Download done", summary);
  return true;
}

bool ConfigurationCommands::exportReport(const QString& path) {
  Result<Configuration> device = transfer_.upload("Reading the device for the report");
  if (!device) return fail("No report written", QString::fromStdString(device.error().message));
  // After a download the sheet shows the device as found beside it as left.
  const report::SheetInput input = Sheet(*device, asFound_);
  const bool html = path.endsWith(".html", Qt::CaseInsensitive) || path.endsWith(".htm", Qt::CaseInsensitive);
  Result<bool> written =
      html ? report::WriteSheetHtml(input, path.toStdString()) : report::WriteSheetPdf(input, path.toStdString());
  if (!written) return fail("No report written", QString::fromStdString(written.error().message));
  tell("Wrote the configuration sheet of " + Tag(*device) + " to " + QFileInfo(path).fileName());
  return true;
}

QTreeWidgetItem* ConfigurationCommands::offLineNode(const QString& frame) const {
  if (offLineRoot_ == nullptr) return nullptr;
  for (int i = 0; i < offLineRoot_->childCount(); ++i) {
    if (offLineRoot_->child(i)->data(0, Qt::ToolTipRole).toString() == frame) return offLineRoot_->child(i);
  }
  return nullptr;
}

void ConfigurationCommands::buildOffLineTree() {
  if (offLineRoot_ != nullptr) return;
  valuesPage_ = new OffLineValuesPage(file_);
  offLineRoot_ = window_.addOwnNode("OffLine Parameterize", nullptr,
                                    [this] { window_.showOwnPage(kOffLinePages[0].frame, kOffLinePages[0].title); });
  for (const OffLinePage& page : kOffLinePages) {
    QTreeWidgetItem* node =
        window_.addOwnNode(page.node, offLineRoot_, [this, page] { window_.showOwnPage(page.frame, page.title); });
    node->setData(0, Qt::ToolTipRole, QString(page.frame));
  }
  QTreeWidgetItem* values = window_.addOwnNode(kValuesNode, offLineRoot_, [this] {
    valuesPage_->refresh();
    window_.showOwnPage(valuesPage_, "Off-line \u2013 All Values");
  });
  values->setData(0, Qt::ToolTipRole, QString());
  offLineRoot_->setExpanded(true);
}

void ConfigurationCommands::showFileState() {
  window_.setWindowTitle(QFileInfo(file_.path()).fileName() + "[*] \u2013 ZOLIN-6 Temperature Transmitter");
  window_.setWindowModified(file_.modified());
  if (valuesPage_ != nullptr) valuesPage_->refresh();
}

void ConfigurationCommands::tell(const QString& text) { status_->setText(text); }

bool ConfigurationCommands::fail(const QString& what, const QString& why) {
  tell(what);
  show(QMessageBox::Warning, what, why);
  return false;
}

// Not modal for the program: the window's clock and the device go on.
void ConfigurationCommands::show(QMessageBox::Icon icon, const QString& title, const QString& text) {
  auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, &window_);
  box->setObjectName("ConfigurationMessage");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

bool ConfigurationCommands::askConfirmation(const QString& title, const QString& text) {
  if (confirm_) return confirm_(title, text);
  return QMessageBox::question(&window_, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

void ConfigurationCommands::remember(const QString& path) {
  if (path.isEmpty()) return;
  folder_ = QFileInfo(path).absolutePath();
  QSettings().setValue(kFolderSetting, folder_);
}

QString ConfigurationCommands::askOpen(const QString& title) {
  QString path = QFileDialog::getOpenFileName(&window_, title, folder_, kFileFilter);
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
