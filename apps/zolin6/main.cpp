// zolin6: the transmitter's user-interface control in a desktop window.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLocale>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string_view>

#include "host/user_cntrl.h"
#include "platform/locale.h"
#include "recording_driver.h"
#ifdef ZOLIN6_HAVE_DRIVER
#include "driver/sim_driver.h"
#endif
#include "view/event_loop_clock.h"
#include "view/main_window.h"
#include "view/message_boxes.h"
#include "view/window_script.h"

namespace {

using namespace zolin6;

// The device behind the window: the simulated transmitter, its state kept
// in `deviceFile` when one is named. A build without it has a driver that is
// ready and answers nothing.
class Device {
 public:
  Device(toolkit::Clock& clock, QString deviceFile) : deviceFile_(deviceFile.toStdString()) {
#ifdef ZOLIN6_HAVE_DRIVER
    sim_ = std::make_shared<driver::SimDriver>(clock);
    driver_ = sim_;
#else
    (void)clock;
    driver_ = std::make_shared<scenario::RecordingDriver>(true, [](const scenario::DriverCall&) {});
#endif
  }

  // Loads the device file when it exists; false (after saying why) when it
  // cannot be used.
  bool Load() {
    if (deviceFile_.empty()) return true;
#ifdef ZOLIN6_HAVE_DRIVER
    if (!std::filesystem::exists(deviceFile_)) return true;  // a new device, saved on exit
    if (auto loaded = sim_->LoadState(deviceFile_); !loaded) {
      std::cerr << "zolin6: cannot load " << deviceFile_ << ": " << loaded.error().message << '\n';
      return false;
    }
    return true;
#else
    std::cerr << "zolin6: --device needs the simulated transmitter, which this build does not have\n";
    return false;
#endif
  }

  void Save() const {
#ifdef ZOLIN6_HAVE_DRIVER
    if (deviceFile_.empty()) return;
    if (auto saved = sim_->SaveState(deviceFile_); !saved) {
      std::cerr << "zolin6: cannot save " << deviceFile_ << ": " << saved.error().message << '\n';
    }
#endif
  }

  std::shared_ptr<framelink::DtmObject> driver() const { return driver_; }

  // The scenario's `sim` lines.
  view::WindowScript::SimCommands commands(toolkit::Clock& clock) {
#ifdef ZOLIN6_HAVE_DRIVER
    // The same lines, with the same meanings and messages, as zolin6-script's.
    return [this, &clock](const std::vector<std::string>& args) -> std::string {
      const std::string usage =
          "bad argument: sim takes offline, online, set TAG VALUE, fault CHANNEL, repair CHANNEL, latency MS, "
          "save FILE or load FILE";
      const std::string what = args.empty() ? std::string() : args[0];
      if ((what == "offline" || what == "online") && args.size() == 1) {
        sim_->SetOnline(what == "online");
        return "";
      }
      if (what == "set" && args.size() == 3) {
        const std::string refused = sim_->transmitter().SetValue(args[1], args[2], clock.now());
        return refused.empty() ? "" : "bad argument: " + refused;
      }
      if ((what == "fault" || what == "repair") && args.size() == 2) {
        // Sensors 1 to 6, or "local" for the device's own temperature sensor.
        const std::string& channel = args[1];
        const bool sensor = channel.size() == 1 && channel[0] >= '1' && channel[0] <= '6';
        if (!sensor && channel != "local") return "bad argument: sim " + what + " takes a channel 1 to 6 or local";
        sim_->transmitter().SetBroken(sensor ? channel[0] - '0' : 0, what == "fault");
        return "";
      }
      if (what == "latency" && args.size() == 2) {
        const long ms = std::strtol(args[1].c_str(), nullptr, 10);
        if (args[1].empty() || args[1].find_first_not_of("0123456789") != std::string::npos) {
          return "bad argument: sim latency takes a number of milliseconds";
        }
        sim_->SetLatency(ms);
        return "";
      }
      if ((what == "save" || what == "load") && args.size() == 2) {
        Result<bool> done = what == "save" ? sim_->SaveState(args[1]) : sim_->LoadState(args[1]);
        return done ? "" : done.error().message;
      }
      return usage;
    };
#else
    (void)clock;
    return {};
#endif
  }

 private:
  std::string deviceFile_;
  std::shared_ptr<framelink::DtmObject> driver_;
#ifdef ZOLIN6_HAVE_DRIVER
  std::shared_ptr<driver::SimDriver> sim_;
#endif
};

bool ParseSeparator(const QString& text, char& separator) {
  if (text != "." && text != ",") return false;
  separator = text.at(0).toLatin1();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "The ZOLIN-6 six-channel HART temperature transmitter: configure, observe, diagnose and calibrate it.\n"
      "Without a display, run it under xvfb-run, or with QT_QPA_PLATFORM=offscreen and --screenshot.");
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption simulate("simulate", "Work with the simulated transmitter (the default).");
  const QCommandLineOption deviceOption("device", "Keep the simulated transmitter's state in FILE.", "FILE");
  const QCommandLineOption locale("locale",
                                  "Use SEP (\".\" or \",\") as the decimal separator instead of the "
                                  "desktop's.",
                                  "SEP");
  const QCommandLineOption screenshot("screenshot", "Save a PNG of the window to FILE and quit (after --script).",
                                      "FILE");
  const QCommandLineOption script("script", "Run the scenario lines of FILE in the window first.", "FILE");
  parser.addOptions({simulate, deviceOption, locale, screenshot, script});

  // --help and --version answer without a window, so also without a display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all" || arg == "--version" || arg == "-v") {
      QCoreApplication info(argc, argv);
      QCoreApplication::setApplicationName("zolin6");
      QCoreApplication::setApplicationVersion(ZOLIN6_VERSION);
      parser.process(info);
      return 0;
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("zolin6");
  QApplication::setApplicationVersion(ZOLIN6_VERSION);
  parser.process(app);

  char separator = QLocale::system().decimalPoint() == "," ? ',' : '.';
  if (parser.isSet(locale) && !ParseSeparator(parser.value(locale), separator)) {
    std::cerr << "zolin6: --locale takes \".\" or \",\"\n";
    return 2;
  }
  platform::SetUserLocale({separator});

  std::ifstream scriptFile;
  if (parser.isSet(script)) {
    scriptFile.open(parser.value(script).toStdString());
    if (!scriptFile) {
      std::cerr << "zolin6: cannot open " << parser.value(script).toStdString() << '\n';
      return 2;
    }
  }

  // The status icons ship beside the program.
  const QString iconFolder = QCoreApplication::applicationDirPath();
  toolkit::Clock clock;
  view::QtMessageBoxes boxes;
  Device device(clock, parser.value(deviceOption));
  if (!device.Load()) return 2;
  UserCntrl control(HostServices{clock, boxes, QDir::toNativeSeparators(iconFolder).toStdString()});
  int status = 0;
  {
    view::MainWindow window(control, iconFolder);
    boxes.setParent(&window);
    view::EventLoopClock ticker(clock);
    window.binding().setUserEventHook([&ticker] { ticker.catchUp(); });

    control.Init("invoke-1", "", device.driver());
    window.show();

    if (scriptFile.is_open()) {
      view::WindowScript runner(window, control, clock, boxes, [](const std::string& event) {
        std::cout << event << '\n' << std::flush;
      });
      runner.setSimCommands(device.commands(clock));
      status = runner.Run(scriptFile);
    }
    if (parser.isSet(screenshot)) {
      QApplication::processEvents();
      const QString file = parser.value(screenshot);
      if (!window.grab().save(file, "PNG")) {
        std::cerr << "zolin6: cannot write " << file.toStdString() << '\n';
        status = 1;
      }
    } else {
      status = QApplication::exec();
    }
  }
  control.PrepareToRelease();
  device.Save();
  return status;
}
