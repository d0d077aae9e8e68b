#include "file_commands.h"

#include <QDateTime>
#include <QGuiApplication>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "configuration/change_text.h"
#include "configuration/config_file.h"
#include "configuration/link_client.h"
#include "configuration/transfer.h"
#include "history/command_history.h"
#include "history/history_recorder.h"
#include "history/store_location.h"
#include "link/link_tap.h"
#include "opened_device.h"
#include "report/report.h"
#include "transport/connection_target.h"

namespace zolin6::app {

namespace {

using configuration::Configuration;

const std::vector<std::string> kOperations{"upload", "download", "compare", "report"};

QList<QCommandLineOption> Options() {
  return {
      {"upload", "Read the device's configuration and save it to FILE.", "FILE"},
      {"download", "Write the configuration of FILE to the device; only what differs is written.", "FILE"},
      {"compare", "Compare the device (or --against FILE2) with FILE; exit status 1 when they differ.", "FILE"},
      {"against", "With --compare: compare with this file instead of the device.", "FILE2"},
      {"report", "Write the configuration sheet to FILE (.pdf, or .html for HTML).", "FILE"},
      {"from", "With --report: the sheet of this configuration file instead of the device.", "FILE"},
      {"as-found", "With --report: show this configuration beside as found.", "FILE"},
      {"connect",
       "Work with the device at WHERE: sim (the built-in simulated device, the default; also \"simulated\"), "
       "hart-ip://HOST[:PORT][/DEVICE][?udp][&v2] or serial:PATH[?address=N]. DEVICE: a device behind an I/O "
       "system, by index or long tag. v2: secure HART-IP, with --psk-file.",
       "WHERE"},
      {"psk-file",
       "With --connect hart-ip://…?v2: the key file, one identity:hexkey line per key (the first is ours), "
       "readable by its owner alone.",
       "FILE"},
  };
}

// One side of a comparison: its name in the output and its values.
struct Side {
  std::string name;  // "file", "device" or the other file's name
  const Configuration& values;
};

std::string Utc(Qt::DateFormat format) { return QDateTime::currentDateTimeUtc().toString(format).toStdString(); }

// The device behind the link for one command: the simulated transmitter,
// its state kept in the device file when one is named, or a device on a
// real line.
class Session {
 public:
  Result<bool> Open(const transport::ConnectionTarget& target, const std::string& deviceFile) {
    Result<std::unique_ptr<OpenedDevice>> opened = OpenedDevice::Open(target, deviceFile);
    if (!opened) return opened.error();
    device_ = std::move(opened).value();
    tap_ = link::LinkTap::Wrap(device_->driver());
    link_ = std::make_unique<configuration::LinkClient>(device_->clock(), device_->Waiting());
    Result<bool> connected = link_->Connect(tap_);
    if (!connected) return Error{target.describe() + ": " + connected.error().message};
    return true;
  }

  // Keeps every write of this session in the device history at `location`,
  // as one `operation`. The store is opened only when there is a record.
  void RecordHistory(const history::StoreLocation& location, const std::string& operation) {
    history_ = std::make_unique<history::CommandHistory>(
        location, device_->clock(), [] { return "Configuration file"; }, operation);
    tap_->AddListener(&history_->recorder());
  }

  // Saves the device file, and lets the history take what waits.
  Result<bool> Close() {
    if (history_) tap_->RemoveListener(&history_->recorder());
    link_.reset();
    return device_ ? device_->Close() : Result<bool>(true);
  }
  // What the history could not store; empty when it stored everything.
  std::string CloseHistory() {
    if (!history_) return {};
    std::string said = history_->Close();
    history_.reset();
    return said;
  }
  configuration::LinkClient& link() { return *link_; }

 private:
  std::unique_ptr<OpenedDevice> device_;
  std::shared_ptr<link::LinkTap> tap_;
  std::unique_ptr<configuration::LinkClient> link_;
  std::unique_ptr<history::CommandHistory> history_;
};

Result<Configuration> UploadDevice(Session& session) {
  return configuration::Upload(session.link(), {{}, nullptr, Utc(Qt::ISODate)});
}

// One line per value, each side as the pages show it, and the count the
// window and the sheet show.
void PrintDifferences(const configuration::Comparison& comparison, const Side& left, const Side& right,
                      std::ostream& out) {
  for (const configuration::Difference& d : comparison.differences) {
    out << d.key << ": " << left.name << " " << configuration::ShownOrNone(d.key, left.values) << ", " << right.name
        << " " << configuration::ShownOrNone(d.key, right.values) << '\n';
  }
  out << configuration::DifferenceCount(comparison.differences.size()) << '\n';
}

struct Command {
  const QCommandLineParser& parser;
  std::ostream& out;
  std::ostream& err;
  std::string value(const char* name) const { return parser.value(name).toStdString(); }
};

int Fail(const Command& command, const std::string& message) {
  command.err << "zolin6: " << message << '\n';
  return kExitError;
}

int Upload(const Command& c, Session& session) {
  const std::string file = c.value("upload");
  Result<Configuration> uploaded = UploadDevice(session);
  if (!uploaded) return Fail(c, file + ": cannot upload: " + uploaded.error().message);
  if (Result<bool> saved = configuration::SaveConfiguration(file, *uploaded); !saved) {
    return Fail(c, saved.error().message);
  }
  c.out << file << ": configuration of " << configuration::ValueText(uploaded->values.at("identification.tag"))
        << " saved\n";
  return kExitSuccess;
}

int Download(const Command& c, const Configuration& file, Session& session) {
  const std::string name = c.value("download");
  Result<Configuration> device = UploadDevice(session);
  if (!device) return Fail(c, name + ": cannot read the device: " + device.error().message);
  const configuration::DownloadPlan plan = configuration::PlanDownload(*device, file);
  c.out << "Download to " << plan.deviceTag() << ": " << plan.writes.size() << " writes\n";
  for (const std::string& line : configuration::DescribeChanges(plan.comparison, *device, file)) {
    c.out << line << '\n';
  }
  PrintDifferences(plan.comparison, {"device", *device}, {"file", file}, c.out);
  const configuration::DownloadResult result = configuration::Download(session.link(), file, plan, {});
  for (const std::string& title : result.written) c.out << "written: " << title << '\n';
  for (const std::string& title : result.notWritten) c.out << "not written: " << title << '\n';
  if (result.refusal) {
    return Fail(c, name + ": the device refused the " + result.refusal->title + " (write " +
                       std::to_string(result.refusal->writeCode) + ") with response code " +
                       std::to_string(result.refusal->responseCode) + " (" + result.refusal->meaning + "); " +
                       std::to_string(result.written.size()) + " writes done, " +
                       std::to_string(result.notWritten.size()) + " not done");
  }
  if (result.error) return Fail(c, name + ": " + *result.error);
  if (!result.verified->same()) {
    PrintDifferences(*result.verified, {"file", file}, {"device", *result.readBack}, c.out);
    return Fail(c, name + ": the device read back differs from the file in " +
                       std::to_string(result.verified->differences.size()) + " values");
  }
  c.out << "verified: the device holds the file's configuration\n";
  return kExitSuccess;
}

int Compare(const Command& c, const Configuration& file, Session* session) {
  Result<Configuration> other = Error{""};
  std::string otherName = "device";
  if (c.parser.isSet("against")) {
    otherName = c.value("against");
    other = configuration::LoadConfiguration(otherName);
  } else {
    other = UploadDevice(*session);
  }
  if (!other) return Fail(c, otherName + ": " + other.error().message);
  const configuration::Comparison comparison = configuration::Compare(file, *other);
  PrintDifferences(comparison, {"file", file}, {otherName, *other}, c.out);
  return comparison.same() ? kExitSuccess : kExitDifferences;
}

int Report(const Command& c, Session* session) {
  const std::string file = c.value("report");
  report::SheetInput input;
  Result<Configuration> values =
      c.parser.isSet("from") ? configuration::LoadConfiguration(c.value("from")) : UploadDevice(*session);
  if (!values) return Fail(c, (c.parser.isSet("from") ? c.value("from") : file) + ": " + values.error().message);
  input.configuration = *values;
  if (c.parser.isSet("as-found")) {
    Result<Configuration> found = configuration::LoadConfiguration(c.value("as-found"));
    if (!found) return Fail(c, found.error().message);
    input.comparison = *found;
  }
  input.printedAt = QDateTime::currentDateTimeUtc().toString("yyyy-MM-dd HH:mm 'UTC'").toStdString();
  const bool html = file.ends_with(".html") || file.ends_with(".htm");
  Result<bool> written = html ? report::WriteSheetHtml(input, file) : report::WriteSheetPdf(input, file);
  if (!written) return Fail(c, written.error().message);
  c.out << file << ": configuration sheet written\n";
  return kExitSuccess;
}

}  // namespace

bool WantsFileCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    for (const std::string& name : kOperations) {
      if (arg == "--" + name || arg.starts_with("--" + name + "=")) return true;
    }
  }
  return false;
}

void AddFileCommandOptions(QCommandLineParser& parser) { parser.addOptions(Options()); }

Result<transport::ConnectionTarget> ConnectionFromOptions(const QCommandLineParser& parser) {
  Result<transport::ConnectionTarget> target =
      transport::ParseConnection(parser.isSet("connect") ? parser.value("connect").toStdString() : "sim");
  if (!target || !parser.isSet("psk-file")) return target;
  if (!target->secure) return Error{"--psk-file is for secure HART-IP: connect to hart-ip://HOST[:PORT]?v2"};
  transport::ConnectionTarget secure = std::move(target).value();
  secure.keyFile = parser.value("psk-file").toStdString();
  return secure;
}

int RunFileCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  // Fonts for the PDF need a GUI application; none needs a display.
  std::unique_ptr<QGuiApplication> app;
  static int argc = 1;
  static char name[] = "zolin6";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  QCommandLineParser parser;
  parser.addOptions(Options());
  parser.addOption({"device", "Keep the simulated transmitter's state in FILE.", "FILE"});
  parser.addOption({"history", "Keep the device history in LOCATION.", "LOCATION"});
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  const Command c{parser, out, err};
  if (!parser.parse(list)) return Fail(c, parser.errorText().toStdString());
  int operations = 0;
  for (const std::string& operation : kOperations)
    operations += parser.isSet(QString::fromStdString(operation)) ? 1 : 0;
  if (operations != 1) return Fail(c, "name exactly one of --upload, --download, --compare and --report");

  // A file is read and checked before the device is touched: a bad file
  // sends nothing.
  std::optional<Configuration> file;
  for (const char* operation : {"download", "compare"}) {
    if (!parser.isSet(operation)) continue;
    Result<Configuration> loaded = configuration::LoadConfiguration(c.value(operation));
    if (!loaded) return Fail(c, loaded.error().message);
    file = *loaded;
  }
  const bool needsDevice =
      !(parser.isSet("compare") && parser.isSet("against")) && !(parser.isSet("report") && parser.isSet("from"));
  Session session;
  if (needsDevice) {
    Result<transport::ConnectionTarget> target = ConnectionFromOptions(parser);
    if (!target) return Fail(c, target.error().message);
    if (Result<bool> opened = session.Open(*target, c.value("device")); !opened) return Fail(c, opened.error().message);
  }
  if (needsDevice && parser.isSet("download")) {
    // A download changes the device: its writes go to the device history.
    history::StoreLocation store = history::DefaultStoreLocation();
    if (parser.isSet("history")) {
      auto parsed = history::ParseStoreLocation(c.value("history"));
      if (!parsed) return Fail(c, parsed.error().message);
      store = std::move(parsed).value();
    }
    session.RecordHistory(store,
                          history::DownloadOperation(std::filesystem::path(c.value("download")).filename().string()));
  }
  int status = kExitError;
  if (parser.isSet("upload")) status = Upload(c, session);
  if (parser.isSet("download")) status = Download(c, *file, session);
  if (parser.isSet("compare")) status = Compare(c, *file, &session);
  if (parser.isSet("report")) status = Report(c, &session);
  // The operation is done and its output kept either way; a history that
  // could not be written is said and fails the command.
  const Result<bool> closed = session.Close();
  const std::string history = session.CloseHistory();
  if (!closed) status = Fail(c, closed.error().message);
  if (!history.empty()) status = Fail(c, history);
  return status;
}

}  // namespace zolin6::app
