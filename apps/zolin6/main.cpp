// zolin6: the transmitter's user-interface control in a desktop window.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLocale>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string_view>

#include "driver/sim_driver.h"
#include "event_output.h"
#include "file_commands.h"
#include "host/user_cntrl.h"
#include "platform/locale.h"
#include "view/event_loop_clock.h"
#include "view/main_window.h"
#include "view/message_boxes.h"
#include "window_script.h"

namespace {

using namespace zolin6;

// The device behind the window: the simulated transmitter, its state kept
// in `deviceFile` when one is named.
class Device {
 public:
  Device(toolkit::Clock& clock, QString deviceFile)
      : deviceFile_(deviceFile.toStdString()), sim_(std::make_shared<driver::SimDriver>(clock)) {}

  // Loads the device file when it exists; false (after saying why) when it
  // cannot be used.
  bool Load() {
    if (deviceFile_.empty() || !std::filesystem::exists(deviceFile_)) return true;  // a new device, saved on exit
    if (auto loaded = sim_->LoadState(deviceFile_); !loaded) {
      std::cerr << "zolin6: cannot load " << deviceFile_ << ": " << loaded.error().message << '\n';
      return false;
    }
    return true;
  }

  void Save() const {
    if (deviceFile_.empty()) return;
    if (auto saved = sim_->SaveState(deviceFile_); !saved) {
      std::cerr << "zolin6: cannot save " << deviceFile_ << ": " << saved.error().message << '\n';
    }
  }

  const std::shared_ptr<driver::SimDriver>& sim() const { return sim_; }

 private:
  std::string deviceFile_;
  std::shared_ptr<driver::SimDriver> sim_;
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
  app::AddFileCommandOptions(parser);

  // The configuration file operations run without a window.
  if (app::WantsFileCommand(argc, argv)) return app::RunFileCommand({argv, argv + argc}, std::cout, std::cerr);

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
    boxes.setModalListener([&ticker](bool open) { open ? ticker.hold() : ticker.release(); });

    control.Init("invoke-1", "", device.sim());
    window.show();

    if (scriptFile.is_open()) {
      auto print = [](const scenario::Json& event) { std::cout << scenario::EventLine(event) << '\n' << std::flush; };
      app::WindowScript runner(window, control, clock, boxes, print, device.sim());
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
