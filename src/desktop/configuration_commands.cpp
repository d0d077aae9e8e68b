#include "desktop/configuration_commands.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidgetItem>

#include <string_view>

#include "configuration/catalogue.h"
#include "configuration/change_text.h"
#include "configuration/config_file.h"
#include "desktop/compare_dialog.h"
#include "desktop/factory_configuration.h"
#include "desktop/offline_values_page.h"
#include "desktop/prompter.h"
#include "desktop/recent_files.h"
#include "history/history_recorder.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

using configuration::Configuration;

constexpr const char* kValuesNode = "All Values";
constexpr const char* kUntitled = "Untitled";  // a new configuration before it is saved

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

// What a download will change, in words, one line per page.
QString ChangeList(const configuration::DownloadPlan& plan, const Configuration& file) {
  QStringList lines;
  for (const std::string& line : configuration::DescribeChanges(plan.comparison, plan.device, file)) {
    lines << QString::fromStdString(line);
  }
  return lines.join('\n');
}

QString Titles(const std::vector<std::string>& titles) {
  if (titles.empty()) return "nothing";
  QStringList list;
  for (const std::string& title : titles) list << QString::fromStdString(title);
  return list.join(", ");
}

}  // namespace

ConfigurationCommands::ConfigurationCommands(view::MainWindow& window, toolkit::Clock& clock,
                                             std::shared_ptr<link::LinkTap> tap, Prompter& prompter)
    : QObject(&window),
      window_(window),
      prompter_(prompter),
      transfer_(window, clock, std::move(tap)),
      file_(window.binding().form(), window.binding()) {
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
        const QString path = askSave("Save the device's configuration", "configuration.json", kConfigurationFiles);
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

bool ConfigurationCommands::offLineShown() const { return window_.ownPageShown() && file_.isOpen(); }

bool ConfigurationCommands::saveConfiguration(const QString& path) {
  Result<Configuration> device = transfer_.upload("Reading the device");
  if (!device) return fail("The configuration was not saved", QString::fromStdString(device.error().message));
  if (Result<bool> saved = configuration::SaveConfiguration(path.toStdString(), *device); !saved) {
    return fail("The configuration was not saved", QString::fromStdString(saved.error().message));
  }
  recent_->add(path);
  tell("Saved the configuration of " + Tag(*device) + " to " + QFileInfo(path).fileName());
  return true;
}

bool ConfigurationCommands::openConfiguration(const QString& path) {
  Result<Configuration> loaded = configuration::LoadConfiguration(path.toStdString());
  if (!loaded) return fail("The file was not opened", QString::fromStdString(loaded.error().message));
  recent_->add(path);
  showFile(std::move(loaded).value(), path);
  return true;
}

bool ConfigurationCommands::newConfiguration() {
  Result<Configuration> factory = FactoryConfiguration();
  if (!factory) return fail("No configuration made", QString::fromStdString(factory.error().message));
  showFile(std::move(factory).value(), {});
  tell("A new configuration with the factory's values: save it to keep it");
  return true;
}

void ConfigurationCommands::showFile(Configuration configuration, const QString& path) {
  buildOffLineTree();
  file_.open(std::move(configuration), path);
  window_.tree()->setCurrentItem(offLineNode(kOffLinePages[0].frame));
  window_.showOwnPage(kOffLinePages[0].frame, kOffLinePages[0].title);
}

bool ConfigurationCommands::saveOffLineFile(const QString& path) {
  if (!file_.isOpen()) return fail("Nothing saved", "No configuration file is open.");
  const QString target =
      path.isEmpty() ? askSave("Save the configuration file as", "configuration.json", kConfigurationFiles) : path;
  if (target.isEmpty()) return false;
  if (Result<bool> saved = file_.saveAs(target); !saved) {
    return fail("The file was not saved", QString::fromStdString(saved.error().message));
  }
  recent_->add(target);
  tell("Saved " + QFileInfo(target).fileName());
  return true;
}

bool ConfigurationCommands::mayDropEdits(const QString& action) {
  if (!file_.isOpen() || !file_.modified()) return true;
  const QString name = file_.path().isEmpty() ? QString(kUntitled) : QFileInfo(file_.path()).fileName();
  const int choice =
      prompter_.choose({"UnsavedEditsQuestion",
                        "Unsaved Changes",
                        name + " has changes that are not saved.\n\nSave them before you " + action + "?",
                        {"Save", "Discard Changes", "Cancel"},
                        0});
  if (choice == 0) return saveOffLineFile(file_.path());
  return choice == 1;
}

std::optional<std::pair<QString, Configuration>> ConfigurationCommands::fileToUse(const QString& path) {
  if (path.isEmpty() && file_.isOpen()) {
    const QString name = file_.path().isEmpty() ? QString(kUntitled) : QFileInfo(file_.path()).fileName();
    return std::make_pair(name, file_.configuration());
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
      QString("Download %1 to the device %2?\n\n%3 will change:\n%4")
          .arg(file->first, tag,
               QString::fromStdString(configuration::DifferenceCount(plan.comparison.differences.size())),
               ChangeList(plan, file->second));
  if (!askConfirmation("Download to " + tag, question)) return false;
  if (announce_) announce_(history::DownloadOperation(file->first.toStdString()));
  Result<configuration::DownloadResult> result = transfer_.download(file->second, plan);
  if (announce_) announce_("");
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

std::optional<report::SheetInput> ConfigurationCommands::sheet(const QString& failure) {
  report::SheetInput input;
  input.printedAt = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm").toStdString();
  if (offLineShown()) {
    input.configuration = file_.configuration();
    input.file = (file_.path().isEmpty() ? QString(kUntitled) : QFileInfo(file_.path()).fileName()).toStdString();
    return input;
  }
  Result<Configuration> device = transfer_.upload("Reading the device for the report");
  if (!device) {
    fail(failure, QString::fromStdString(device.error().message));
    return std::nullopt;
  }
  // After a download the sheet shows the device as found beside it as left.
  input.configuration = *device;
  input.comparison = asFound_;
  return input;
}

bool ConfigurationCommands::exportReport(const QString& path) {
  const std::optional<report::SheetInput> input = sheet("No report written");
  if (!input) return false;
  const bool html = path.endsWith(".html", Qt::CaseInsensitive) || path.endsWith(".htm", Qt::CaseInsensitive);
  Result<bool> written =
      html ? report::WriteSheetHtml(*input, path.toStdString()) : report::WriteSheetPdf(*input, path.toStdString());
  if (!written) return fail("No report written", QString::fromStdString(written.error().message));
  tell("Wrote the configuration sheet of " + Tag(input->configuration) + " to " + QFileInfo(path).fileName());
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
  valuesPage_ = new OffLineValuesPage(file_, window_.binding().form());
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
  window_.setDocumentTitle(file_.path().isEmpty() ? QString(kUntitled) : QFileInfo(file_.path()).fileName());
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

}  // namespace zolin6::desktop
