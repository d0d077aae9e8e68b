// zolin6: the transmitter's user-interface control in a desktop window,
// and the commands that need none.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLocale>

#include <fstream>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <string_view>

#include "audit_command.h"
#include "burst_command.h"
#include "calibration_report.h"
#include "error_report.h"
#include "file_commands.h"
#include "headless.h"
#include "history/store_location.h"
#include "opened_device.h"
#include "platform/locale.h"
#include "survey_command.h"
#include "window_run.h"

namespace {

using namespace zolin6;

bool ParseSeparator(const QString& text, char& separator) {
  if (text != "." && text != ",") return false;
  separator = text.at(0).toLatin1();
  return true;
}
// Whether one of `names` stands among the arguments.
bool HasArgument(int argc, char** argv, std::initializer_list<std::string_view> names) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    for (std::string_view name : names) {
      if (arg == name || (name.starts_with("--") && arg.starts_with(std::string(name) + "="))) return true;
    }
  }
  return false;
}
}  // namespace

int main(int argc, char** argv) {
  // One name for every run, set before anything looks for its folders: the
  // window, the file commands and the exports keep and find the same device
  // history and settings.
  QCoreApplication::setApplicationName("zolin6");
  QCoreApplication::setOrganizationName("zolin6");
  QCoreApplication::setApplicationVersion(ZOLIN6_VERSION);
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "The ZOLIN-6 six-channel HART temperature transmitter: configure, observe, diagnose and calibrate it.\n"
      "Without a display, run it under xvfb-run, or with QT_QPA_PLATFORM=offscreen and --screenshot.");
  parser.addHelpOption();
  parser.addVersionOption();
  const app::WindowOptions options;
  options.addTo(parser);
  app::AddFileCommandOptions(parser);

  // The configuration file operations run without a window.
  if (app::WantsFileCommand(argc, argv)) return app::RunFileCommand({argv, argv + argc}, std::cout, std::cerr);

  // --help and --version answer without a window, so also without a display;
  // recording and exporting need no window either.
  if (HasArgument(argc, argv, {"--help", "-h", "-?", "--help-all", "--version", "-v"})) {
    QCoreApplication info(argc, argv);
    parser.process(info);
    return 0;
  }
  const bool headless = HasArgument(
      argc, argv,
      {"--record", "--published", "--history-export", "--burst", "--burst-show", "--audit-log", "--survey"});
  // The certificate's PDF needs fonts, so a GUI application; no display.
  const bool certificate = HasArgument(argc, argv, {"--calibration-report"});
  if (certificate && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> app = headless      ? std::make_unique<QCoreApplication>(argc, argv)
                                          : certificate ? std::make_unique<QGuiApplication>(argc, argv)
                                                        : std::make_unique<QApplication>(argc, argv);
  parser.process(*app);
  if (!headless && !certificate) {
    // The installed menu entry's name and icon: the desktop matches the
    // window to them.
    QGuiApplication::setDesktopFileName("zolin6");
    QGuiApplication::setWindowIcon(QIcon::fromTheme("zolin6"));
  }
  const app::ErrorReport report(app::ErrorReport::PersonWatches(parser.isSet(options.screenshot)));

  char separator = QLocale::system().decimalPoint() == "," ? ',' : '.';
  if (parser.isSet(options.locale) && !ParseSeparator(parser.value(options.locale), separator)) {
    return report.Say("--locale takes \".\" or \",\"");
  }
  platform::SetUserLocale({separator});

  std::ifstream scriptFile;
  if (parser.isSet(options.script)) {
    scriptFile.open(parser.value(options.script).toStdString());
    if (!scriptFile) return report.Say("cannot open " + parser.value(options.script).toStdString());
  }

  history::StoreLocation store = history::DefaultStoreLocation();
  if (parser.isSet(options.history)) {
    auto parsed = history::ParseStoreLocation(parser.value(options.history).toStdString());
    if (!parsed) return report.Say(parsed.error().message);
    store = std::move(parsed).value();
  }
  if (parser.isSet(options.survey)) {
    return app::RunSurvey(parser.value(options.survey).toStdString(), parser.value(options.out).toStdString(), store,
                          std::cout, std::cerr);
  }
  if (parser.isSet(options.historyExport)) return app::ExportHistory(store, parser.value(options.historyExport));
  if (certificate) {
    return app::WriteCalibrationReport(store, parser.value(options.calibrationReport),
                                       parser.value(options.fromHistory));
  }

  // --connect and --psk-file are shared with the file commands.
  Result<transport::ConnectionTarget> connection = app::ConnectionFromOptions(parser);
  if (!connection) return report.Say(connection.error().message);
  transport::ConnectionTarget target = std::move(connection).value();
  if (parser.isSet(options.auditLog)) return app::ShowAuditLog(target, std::cout, std::cerr);

  // --record works with the device --connect names; the window starts on
  // the built-in device and connects to that one itself.
  const bool record = parser.isSet(options.record);
  std::optional<toolkit::Millis> length;
  if (record) {
    length = app::ParseDuration(parser.value(options.duration));
    if (!length) return report.Say("--record needs --duration, a number with s, m or h (\"10m\")");
  } else if (parser.isSet(options.published)) {
    return report.Say("--published needs --record");
  }
  // --burst and --burst-show work with it too.
  const bool burst = parser.isSet(options.burst) || parser.isSet(options.burstShow);
  std::optional<app::BurstRequest> burstChange;
  if (parser.isSet(options.burst)) {
    Result<app::BurstRequest> parsed = app::ParseBurstRequest(parser.value(options.burst));
    if (!parsed) return report.Say(parsed.error().message);
    burstChange = *parsed;
  }
  Result<std::unique_ptr<app::OpenedDevice>> device = app::OpenedDevice::Open(
      record || burst ? target : transport::ConnectionTarget{}, parser.value(options.device).toStdString());
  if (!device) return report.Say(device.error().message);
  int status = burst    ? app::RunBurstCommand(**device, store, burstChange, std::cout)
               : record ? app::RecordObservation(**device, app::StatusIconFolder(), parser.value(options.record),
                                                 *length, store, parser.isSet(options.published))
                        : app::RunWindow(parser, options, **device, store, scriptFile, target, report);
  // A state that is not saved is lost: the exit status says so.
  if (Result<bool> saved = (*device)->Close(); !saved) status = report.Say(saved.error().message);
  return status;
}
