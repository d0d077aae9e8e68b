#include "window_run.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include <fstream>
#include <iostream>
#include <memory>

#include "desktop/burst_dialog.h"
#include "desktop/configuration_commands.h"
#include "desktop/device_tools.h"
#include "desktop/held_outputs.h"
#include "desktop/history_window.h"
#include "desktop/input_checks.h"
#include "desktop/loop_safety.h"
#include "desktop/page_guard.h"
#include "desktop/prompter.h"
#include "desktop/traffic_dock.h"
#include "desktop/window_feedback.h"
#include "error_report.h"
#include "event_output.h"
#include "history/store_location.h"
#include "host/user_cntrl.h"
#include "link/link_tap.h"
#include "opened_device.h"
#include "platform/status_icons.h"
#include "transport/event_loop_clock.h"
#include "transport/simulated_device.h"
#include "view/main_window.h"
#include "view/message_boxes.h"
#include "window_commands.h"
#include "window_connection.h"
#include "window_plant.h"
#include "window_script.h"
#include "window_start.h"

namespace zolin6::app {

namespace {

constexpr int kPageDataWaitMs = 15000;  // the longest a picture waits for the page's data
constexpr int kPageDataPollMs = 20;     // how often it looks

// Lets the window's time pass until the page on show has its data: the
// control's first read has gone out and no request waits for its answer.
// Bounded, for a device that never answers.
void WaitForPageData(const desktop::PageGuard& guard, const link::LinkActivity& activity) {
  QElapsedTimer waited;
  waited.start();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, &QEventLoop::quit);
  poll.start(kPageDataPollMs);
  while (waited.elapsed() < kPageDataWaitMs &&
         !(guard.started() && activity.pending() == 0 && activity.lastReadAnswer())) {
    loop.exec();
  }
  QApplication::processEvents();
}

// Lets the window's time pass until the plant view shows the list the
// history's thread reads (bounded, for a store that hangs).
QWidget* WaitForPlant(desktop::PlantWindow& plant) {
  QElapsedTimer waited;
  waited.start();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, &QEventLoop::quit);
  poll.start(kPageDataPollMs);
  while (waited.elapsed() < kPageDataWaitMs && plant.statusText().endsWith(QChar(0x2026))) loop.exec();
  return &plant;
}

// --window-size WxH; false for anything else.
bool ParseSize(const QString& text, QSize& size) {
  const QStringList parts = text.split('x');
  bool w = false;
  bool h = false;
  if (parts.size() == 2) size = QSize(parts[0].toInt(&w), parts[1].toInt(&h));
  return w && h && size.width() > 0 && size.height() > 0;
}

// The device the window starts with: --connect decides; a script or a
// picture starts on the built-in device; a person's window on the last
// connection used.
transport::ConnectionTarget StartTarget(const QCommandLineParser& parser, const WindowOptions& options,
                                        const transport::ConnectionTarget& given) {
  if (parser.isSet("connect")) return given;
  if (parser.isSet(options.simulate) || parser.isSet(options.script) || parser.isSet(options.screenshot)) return {};
  return app::LastConnection();
}

// Says that the device the window started on cannot be reached, and
// offers File > Connect; where nobody looks, it is said on standard error.
void OfferConnect(desktop::Prompter& prompter, QAction& connect, bool person, const QString& why) {
  if (!person) {
    std::cerr << "zolin6: " << why.toStdString() << '\n';
    return;
  }
  const QString text = why + "\n\nCheck that the device is powered and wired, or choose another one.";
  if (prompter.choose({"NoAnswerQuestion", "No Answer", text, {"Connect\u2026", "Close"}, 0}) == 0) connect.trigger();
}

// The lines under the text of the control's boxes: the page they answer
// and, on a procedure, what comes next. Every answer reaches the procedures.
void ExplainBoxes(view::QtMessageBoxes& boxes, view::MainWindow& window, desktop::LoopSafety& safety) {
  boxes.setContext([&window, &safety](const std::string& text, toolkit::Buttons buttons) {
    const QString page = window.pageContext();
    const QString next = safety.boxNote(text, buttons);
    return next.isEmpty() ? page : page + "\n\n" + next;
  });
  boxes.setAnswerListener([&safety](toolkit::Answer answer) { safety.boxAnswered(answer); });
}

}  // namespace

QString StatusIconFolder() {
  return QString::fromStdString(platform::StatusIconFolder(QCoreApplication::applicationDirPath().toStdString()));
}

int RunWindow(const QCommandLineParser& parser, const WindowOptions& options, app::OpenedDevice& device,
              const history::StoreLocation& store, std::ifstream& scriptFile, const transport::ConnectionTarget& target,
              const app::ErrorReport& report) {
  const QString iconFolder = StatusIconFolder();
  toolkit::Clock& clock = device.clock();
  view::QtMessageBoxes boxes;
  UserCntrl control(HostServices{clock, boxes, QDir::toNativeSeparators(iconFolder).toStdString()});
  const bool person = app::ErrorReport::PersonWatches(parser.isSet(options.screenshot));
  int status = 0;
  {
    view::MainWindow window(control, iconFolder);
    boxes.setParent(&window);
    transport::EventLoopClock& ticker = device.ticker();
    window.binding().setUserEventHook([&ticker] { ticker.catchUp(); });
    boxes.setModalListener([&ticker](bool open) { open ? ticker.hold() : ticker.release(); });
    desktop::Prompter prompter(window);
    prompter.setModalListener([&ticker](bool open) { open ? ticker.hold() : ticker.release(); });
    const link::WallTime wallTime(clock, QDateTime::currentMSecsSinceEpoch() - clock.now());

    // What a transport says about itself goes beside the device's name,
    // never over the connection's lamp, and goes with the connection.
    QLabel* secureMark = app::AddSecureMark(window);
    auto* linkMessage = new QLabel;
    linkMessage->setObjectName("LinkMessage");
    window.statusBar()->addPermanentWidget(linkMessage);
    const app::WindowConnection* made = nullptr;  // the connection below, once made
    app::WindowConnection connection(ticker, device.simulated(),
                                     [linkMessage, secureMark, &made](const std::string& text) {
                                       linkMessage->setText(QString::fromStdString(text));
                                       linkMessage->setToolTip(QString::fromStdString(text));
                                       if (made != nullptr) app::ShowSecure(*secureMark, made->security());
                                     });
    made = &connection;
    const transport::ConnectionTarget start = StartTarget(parser, options, target);
    QString startProblem;
    if (start.kind != transport::ConnectionTarget::Kind::Simulated) {
      if (Result<bool> connected = connection.Connect(start); !connected) {
        if (parser.isSet("connect")) return report.Say(connected.error().message);
        // The device used last cannot be opened: the window starts without one.
        connection.Disconnect();
        startProblem = QString::fromStdString(connected.error().message);
      }
    }
    desktop::TrafficDock traffic(window, wallTime);
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
    std::unique_ptr<desktop::ConfigurationCommands> files;
    const app::LeaveGuard mayLeave = [&held, &files](const QString& action) {
      const bool edits = action == "disconnect" || !files || files->mayDropEdits(action);
      return edits && (!held || held->mayGoOn(action));
    };
    QAction* connect = app::AddConnectionCommands(window, connection, ticker, mayLeave);
    files = std::make_unique<desktop::ConfigurationCommands>(window, clock, tap, prompter);
    desktop::DeviceTools tools(window, control, clock, tap, wallTime, store);
    files->onDownload([&tools](const std::string& operation) { tools.setHistoryOperation(operation); });
    app::PlantView plant(window, connection, tools, mayLeave);
    app::AddWindowCommands(window);
    desktop::WindowFeedback feedback(window, control, clock, tap);
    // Sleeps until something happens (the window's clock wakes for the
    // device's answer), so the window stays responsive while it waits.
    held = std::make_unique<desktop::HeldOutputs>(window, clock, tap, feedback.activity(), [] {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      return true;
    });
    window.addCommand("Device", "&Release Held Outputs", "actionReleaseOutputs", {}, [&held] { held->releaseAll(); });
    desktop::AddBurstCommand(window, connection.burstLine(),
                             {tools.historySink(), [&tools] { return tools.deviceIdentity(); }, wallTime});
    window.setCloseGuard([&mayLeave] { return mayLeave("quit"); });
    QLabel* simulatedMark = app::AddSimulatedMark(window);
    const auto nameConnection = [&] {
      feedback.setConnection(connection.describe(), [&connection] { return connection.otherDevice(); });
      app::ShowSimulated(window, *simulatedMark, connection.sim() != nullptr);
      linkMessage->clear();
      linkMessage->setToolTip({});
      app::ShowSecure(*secureMark, connection.security());
    };
    nameConnection();
    connection.onChange(nameConnection);
    desktop::InputChecks checks(window, control);
    desktop::PageGuard guard(window, control, [&checks](const QString& why) { checks.say(why); });
    checks.setWriteRefused([&guard] { return guard.lastWriteRefused(); });
    desktop::LoopSafety safety(window, control, feedback, prompter);
    ExplainBoxes(boxes, window, safety);
    // Asked once the notification has been handled, not inside it.
    QTimer offerConnect;
    offerConnect.setSingleShot(true);
    QObject::connect(&offerConnect, &QTimer::timeout, &window, [&prompter, connect, person, &connection] {
      OfferConnect(prompter, *connect, person, "The device at " + connection.describe() + " does not answer.");
    });
    app::StartWatch watch([&offerConnect] { offerConnect.start(0); });
    // A start device that could not even be opened has been said already.
    if (start.kind != transport::ConnectionTarget::Kind::Simulated && startProblem.isEmpty()) tap->AddListener(&watch);
    if (!parser.isSet(options.screenshot)) window.restoreLayout();
    if (QSize size; parser.isSet(options.size)) {
      if (!ParseSize(parser.value(options.size), size))
        return report.Say("--window-size takes WIDTHxHEIGHT (\"1024x700\")");
      window.resize(size);
    }
    control.Init("invoke-1", "", tap);
    window.show();
    if (!startProblem.isEmpty()) {
      OfferConnect(
          prompter, *connect, person,
          "The device used last (" + QString::fromStdString(start.describe()) + ") cannot be reached: " + startProblem);
    }

    if (scriptFile.is_open()) {
      auto print = [](const scenario::Json& event) { std::cout << scenario::EventLine(event) << '\n' << std::flush; };
      // The window's own questions are answered with their first choice and
      // shown among the script's events.
      prompter.answerFirst([&print, &clock](const QString& title, const QString& text, const QString& answer) {
        print({{"event", answer.isEmpty() ? "notice" : "prompt"},
               {"at", clock.now()},
               {"title", title.toStdString()},
               {"text", text.toStdString()},
               {"answer", answer.toStdString()}});
      });
      app::WindowScript runner(window, control, clock, boxes, print, sim);
      status = runner.Run(scriptFile);
      if (person) prompter.answerFirst({});
    }
    if (parser.isSet(options.open)) files->openConfiguration(parser.value(options.open));
    if (parser.isSet(options.trend)) tools.setTrendWanted(true);
    if (parser.isSet(options.historyWindow)) tools.showHistory();
    if (parser.isSet(options.plantWindow)) plant.show();
    if (parser.isSet(options.screenshot)) {
      WaitForPageData(guard, feedback.activity());
      const QString file = parser.value(options.screenshot);
      QWidget* shown = parser.isSet(options.historyWindow) ? static_cast<QWidget*>(tools.showHistory()) : &window;
      if (parser.isSet(options.plantWindow)) shown = WaitForPlant(*plant.show());
      QApplication::processEvents();
      if (!shown->grab().save(file, "PNG")) {
        std::cerr << "zolin6: cannot write " << file.toStdString() << '\n';
        status = 1;
      }
    } else {
      status = QApplication::exec();
    }
    tap->RemoveListener(&watch);
  }
  control.PrepareToRelease();
  return status;
}

}  // namespace zolin6::app
