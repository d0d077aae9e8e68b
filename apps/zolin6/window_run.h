#pragma once
// The desktop window: its options, and the control in it over the device
// the program opened, with the docks, dialogs and commands around it.

#include <QCommandLineParser>
#include <QString>

#include <fstream>

#include "error_report.h"
#include "history/store_location.h"
#include "opened_device.h"
#include "transport/connection_target.h"

namespace zolin6::app {

// The window's own options; the file operations add theirs.
struct WindowOptions {
  QCommandLineOption simulate{"simulate",
                              "Start on the built-in simulated transmitter, whatever was connected last (the "
                              "default for --script and --screenshot)."};
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
  QCommandLineOption published{"published",
                               "With --record: record what the device publishes (burst mode) instead of polling."};
  QCommandLineOption burst{"burst",
                           "Switch burst message N on (\"on N CMD PERIOD_MS [VARIABLE...]\") or off (\"off N\") "
                           "without a window, then show the messages.",
                           "WORDS"};
  QCommandLineOption burstShow{"burst-show", "Show the device's burst messages without a window."};
  QCommandLineOption auditLog{"audit-log",
                              "Show the audit log of a secure HART-IP device's sessions (with --connect "
                              "hart-ip://HOST[:PORT]?v2 and --psk-file)."};
  QCommandLineOption survey{"survey",
                            "Survey the devices behind the endpoints of the plant file FILE (JSON) without a "
                            "window; with --out.",
                            "FILE"};
  QCommandLineOption out{"out", "Write the devices --survey finds to FILE (CSV).", "FILE"};
  QCommandLineOption trend{"trend", "Open the trend of the observation page (for --screenshot)."};
  QCommandLineOption historyWindow{"history-window", "Open the History window (for --screenshot)."};
  QCommandLineOption plantWindow{"plant-window", "Open the Plant view, its list from the history (for --screenshot)."};
  QCommandLineOption open{"open", "Open the configuration file FILE on the off-line pages.", "FILE"};
  QCommandLineOption trace{"trace", "Write every frame of the HART line to FILE, one line each.", "FILE"};
  QCommandLineOption size{"window-size", "Make the window WIDTHxHEIGHT pixels (for --screenshot).", "WxH"};

  void addTo(QCommandLineParser& parser) const {
    parser.addOptions(
        {simulate,    device, locale,        screenshot, script, history,   historyExport, calibrationReport,
         fromHistory, record, duration,      published,  burst,  burstShow, auditLog,      survey,
         out,         trend,  historyWindow, open,       trace,  size});
    parser.addOption(plantWindow);
  }
};
// The status icons: beside the program in the build, in share/zolin6 when
// installed.
QString StatusIconFolder();

// The control in the window over `device`, until the window closes (or,
// with --screenshot, until the picture is saved). Returns the exit status.
int RunWindow(const QCommandLineParser& parser, const WindowOptions& options, OpenedDevice& device,
              const history::StoreLocation& store, std::ifstream& scriptFile, const transport::ConnectionTarget& target,
              const ErrorReport& report);

}  // namespace zolin6::app
