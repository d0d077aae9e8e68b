// zolin6: the transmitter's user-interface control in a desktop window.

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QIcon>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include <fstream>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <string_view>

#include "calibration_report.h"
#include "desktop/configuration_commands.h"
#include "desktop/connect_dialog.h"
#include "desktop/device_tools.h"
#include "desktop/held_outputs.h"
#include "desktop/history_window.h"
#include "desktop/input_checks.h"
#include "desktop/traffic_dock.h"
#include "desktop/window_feedback.h"
#include "error_report.h"
#include "event_output.h"
#include "file_commands.h"
#include "headless.h"
#include "history/store_location.h"
#include "host/user_cntrl.h"
#include "link/link_tap.h"
#include "opened_device.h"
#include "platform/locale.h"
#include "platform/status_icons.h"
#include "transport/event_loop_clock.h"
#include "transport/simulated_device.h"
#include "view/main_window.h"
#include "view/message_boxes.h"
#include "window_connection.h"
#include "window_script.h"

namespace {

using namespace zolin6;

bool ParseSeparator(const QString& text, char& separator) {
  if (text != "." && text != ",") return false;
  separator = text.at(0).toLatin1();
  return true;
}

// The window's own options; the file operations add theirs.
struct WindowOptions {
  QCommandLineOption simulate{"simulate", "Work with the simulated transmitter (the default)."};
  QCommandLineOption device{"device", "Keep the simulated transmitter's state in FILE.", "FILE"};
  QCommandLineOption locale{"locale", "Use SEP (\".\" or \",\") as the decimal separator instead of the desktop's.",
                            "SEP"};
  QCommandLineOption screenshot{"screenshot", "Save a PNG of the window to FILE and quit (after --script).", "FILE"};
  QCommandLineOption script{"script", "Run the scenario lines of FILE in the window first.", "FILE"};
  QCommandLineOption history{
      "history", "Keep the device history in LOCATION: an SQLite file, or postgresql://USER@HOST/DB.", "LOCATION"};
  QCommandLineOption historyExport{"history-export", "Export the device history to FILE (CSV) and quit.", "FILE"};
  QCommandLineOption calibrationReport{
      "calibration-report", "Write the certificate of a calibration in the history to FILE (PDF) and quit.", "FILE"};
  QCommandLineOption fromHistory{
      "from-history", "The history id or certificate number of the calibration --calibration-report prints.", "ID"};
  QCommandLineOption record{"record", "Record the observed values to FILE (CSV) without a window.", "FILE"};
  QCommandLineOption duration{"duration", "How long --record records: a number with s, m or h.", "D"};
  QCommandLineOption trend{"trend", "Open the trend of the observation page (for --screenshot)."};
  QCommandLineOption historyWindow{"history-window", "Open the History window (for --screenshot)."};
  QCommandLineOption open{"open", "Open the configuration file FILE on the off-line pages.", "FILE"};
  QCommandLineOption trace{"trace", "Write every frame of the HART line to FILE, one line each.", "FILE"};

  void addTo(QCommandLineParser& parser) const {
    parser.addOptions({simulate, device, locale, screenshot, script, history, historyExport, calibrationReport,
                       fromHistory, record, duration, trend, historyWindow, open, trace});
  }
};

// The status icons: beside the program in the build, in share/zolin6 when
// installed.
QString StatusIconFolder() {
  return QString::fromStdString(platform::StatusIconFolder(QCoreApplication::applicationDirPath().toStdString()));
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

// Asked before leaving the device ("quit", "disconnect"): whether to go on.
using LeaveGuard = std::function<bool(const QString& action)>;

// File > Connect… and Disconnect, and the same on the toolbar. The dialog
// starts from the present connection, or from the last one chosen while
// disconnected; a line that cannot be opened is said and nothing changes.
void AddConnectionCommands(view::MainWindow& window, app::WindowConnection& connection,
                           transport::EventLoopClock& ticker, const LeaveGuard& mayLeave) {
  QAction* connect = window.addCommand(
      "File", "&Connect…", "actionConnect", QKeySequence(Qt::CTRL | Qt::Key_K),
      [&window, &connection, &ticker, mayLeave] {
        QSettings settings;
        transport::ConnectionTarget preset = connection.target();
        Result<transport::ConnectionTarget> last =
            transport::ParseConnection(settings.value("connection/last", "sim").toString().toStdString());
        if (!connection.connected() && last) preset = *last;
        desktop::ConnectDialog dialog(&window, ticker, preset);
        if (dialog.exec() != QDialog::Accepted) return;
        const transport::ConnectionTarget chosen = dialog.target();
        if (!mayLeave("connect elsewhere")) return;
        if (Result<bool> connected = connection.Connect(chosen); !connected) {
          QMessageBox::warning(&window, "Connect", QString::fromStdString(connected.error().message));
          return;
        }
        settings.setValue("connection/last", QString::fromStdString(chosen.url()));
      });
  QAction* disconnect = window.addCommand("File", "&Disconnect", "actionDisconnect", {}, [&connection, mayLeave] {
    if (mayLeave("disconnect")) connection.Disconnect();
  });
  window.menu("File")->addSeparator();
  QAction* first = window.toolBar()->actions().value(0);
  window.toolBar()->insertAction(first, connect);
  window.toolBar()->insertAction(first, disconnect);
  window.toolBar()->insertSeparator(first);
}

// What closes the File and View menus once every feature has added its own.
void AddWindowCommands(view::MainWindow& window) {
  window.menu("View")->addSeparator();
  QAction* fullScreen = window.addCommand("View", "&Full Screen", "actionFullScreen", QKeySequence(Qt::Key_F11), {});
  fullScreen->setCheckable(true);
  QObject::connect(fullScreen, &QAction::toggled, &window,
                   [&window](bool on) { on ? window.showFullScreen() : window.showNormal(); });
  window.addCommand("File", "&Quit", "actionQuit", QKeySequence::Quit, [&window] { window.close(); });
}

// The control in the window over `device`, until the window closes (or,
// with --screenshot, until the picture is saved). Returns the exit status.
int RunWindow(const QCommandLineParser& parser, const WindowOptions& options, app::OpenedDevice& device,
              const history::StoreLocation& store, std::ifstream& scriptFile, const transport::ConnectionTarget& target,
              const app::ErrorReport& report) {
  const QString iconFolder = StatusIconFolder();
  toolkit::Clock& clock = device.clock();
  view::QtMessageBoxes boxes;
  UserCntrl control(HostServices{clock, boxes, QDir::toNativeSeparators(iconFolder).toStdString()});
  int status = 0;
  {
    view::MainWindow window(control, iconFolder);
    boxes.setParent(&window);
    boxes.setContext([&window] { return window.pageContext(); });
    transport::EventLoopClock& ticker = device.ticker();
    window.binding().setUserEventHook([&ticker] { ticker.catchUp(); });
    boxes.setModalListener([&ticker](bool open) { open ? ticker.hold() : ticker.release(); });

    app::WindowConnection connection(ticker, device.simulated(), [&window](const std::string& text) {
      window.statusBar()->showMessage(QString::fromStdString(text));
    });
    if (target.kind != transport::ConnectionTarget::Kind::Simulated) {
      if (Result<bool> connected = connection.Connect(target); !connected) return report.Say(connected.error().message);
    }
    desktop::TrafficDock traffic(window);
    connection.addFrameSink([&traffic](const hart::TracedFrame& frame) { traffic.append(frame); });
    if (parser.isSet(options.trace)) {
      Result<bool> tracing = connection.traceTo(parser.value(options.trace).toStdString());
      if (!tracing) return report.Say(tracing.error().message);
    }
    const std::shared_ptr<transport::SimulatedDevice> sim = connection.sim();

    // The configuration files, the trend, the recording and the device
    // history use or watch the link.
    auto tap = link::LinkTap::Wrap(connection.driver());
    // An output held at a fixed current is released, or knowingly left, before the device is.
    std::unique_ptr<desktop::HeldOutputs> held;
    const LeaveGuard mayLeave = [&held](const QString& action) { return !held || held->mayGoOn(action); };
    AddConnectionCommands(window, connection, ticker, mayLeave);
    desktop::ConfigurationCommands files(window, clock, tap);
    desktop::DeviceTools tools(window, control, clock, tap,
                               link::WallTime(clock, QDateTime::currentMSecsSinceEpoch() - clock.now()), store);
    AddWindowCommands(window);
    desktop::WindowFeedback feedback(window, control, clock, tap);
    // Sleeps until something happens (the window's clock wakes for the
    // device's answer), so the window stays responsive while it waits.
    held = std::make_unique<desktop::HeldOutputs>(window, clock, tap, feedback.activity(), [] {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      return true;
    });
    window.addCommand("Device", "&Release Held Outputs", "actionReleaseOutputs", {}, [&held] { held->releaseAll(); });
    window.setCloseGuard([&mayLeave] { return mayLeave("quit"); });
    const auto nameConnection = [&feedback, &connection] {
      feedback.setConnection(connection.describe(), [&connection] { return connection.otherDevice(); });
    };
    nameConnection();
    connection.onChange(nameConnection);
    desktop::InputChecks checks(window, control);
    if (!parser.isSet(options.screenshot)) window.restoreLayout();
    control.Init("invoke-1", "", tap);
    window.show();

    if (scriptFile.is_open()) {
      auto print = [](const scenario::Json& event) { std::cout << scenario::EventLine(event) << '\n' << std::flush; };
      app::WindowScript runner(window, control, clock, boxes, print, sim);
      status = runner.Run(scriptFile);
    }
    if (parser.isSet(options.open)) files.openConfiguration(parser.value(options.open));
    if (parser.isSet(options.trend)) tools.trendDock()->show();
    if (parser.isSet(options.historyWindow)) tools.showHistory();
    if (parser.isSet(options.screenshot)) {
      QApplication::processEvents();
      const QString file = parser.value(options.screenshot);
      QWidget* shown = parser.isSet(options.historyWindow) ? static_cast<QWidget*>(tools.showHistory()) : &window;
      QApplication::processEvents();
      if (!shown->grab().save(file, "PNG")) {
        std::cerr << "zolin6: cannot write " << file.toStdString() << '\n';
        status = 1;
      }
    } else {
      status = QApplication::exec();
    }
  }
  control.PrepareToRelease();
  return status;
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
  const WindowOptions options;
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
  const bool headless = HasArgument(argc, argv, {"--record", "--history-export"});
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
  if (parser.isSet(options.historyExport)) return app::ExportHistory(store, parser.value(options.historyExport));
  if (certificate) {
    return app::WriteCalibrationReport(store, parser.value(options.calibrationReport),
                                       parser.value(options.fromHistory));
  }

  transport::ConnectionTarget target;
  // --connect is shared with the file commands.
  if (parser.isSet("connect")) {
    Result<transport::ConnectionTarget> parsed = transport::ParseConnection(parser.value("connect").toStdString());
    if (!parsed) return report.Say(parsed.error().message);
    target = std::move(parsed).value();
  }

  // --record works with the device --connect names; the window starts on
  // the built-in device and connects to that one itself.
  const bool record = parser.isSet(options.record);
  std::optional<toolkit::Millis> length;
  if (record) {
    length = app::ParseDuration(parser.value(options.duration));
    if (!length) return report.Say("--record needs --duration, a number with s, m or h (\"10m\")");
  }
  Result<std::unique_ptr<app::OpenedDevice>> device = app::OpenedDevice::Open(
      record ? target : transport::ConnectionTarget{}, parser.value(options.device).toStdString());
  if (!device) return report.Say(device.error().message);
  int status = record
                   ? app::RecordObservation(**device, StatusIconFolder(), parser.value(options.record), *length, store)
                   : RunWindow(parser, options, **device, store, scriptFile, target, report);
  // A state that is not saved is lost: the exit status says so.
  if (Result<bool> saved = (*device)->Close(); !saved) status = report.Say(saved.error().message);
  return status;
}
