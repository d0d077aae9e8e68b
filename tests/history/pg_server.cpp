#include "pg_server.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <vector>

namespace zolin6::history::testing {

namespace {

constexpr int kCommandTimeoutMs = 60000;  // initdb or pg_ctl, each

QString FindBinDir() {
  const QDir versions("/usr/lib/postgresql");
  const QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    const QString bin = versions.filePath(*it + "/bin");
    if (QFile::exists(bin + "/pg_ctl")) return bin;
  }
  return {};
}

// Runs a server command, as "postgres" when we are root.
bool Run(const QString& program, const QStringList& arguments, std::string& why) {
  QProcess process;
  if (geteuid() == 0) {
    process.start("runuser", QStringList{"-u", "postgres", "--", program} + arguments);
  } else {
    process.start(program, arguments);
  }
  if (!process.waitForFinished(kCommandTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    process.kill();
    process.waitForFinished(kCommandTimeoutMs);
    why = (program + " failed: " + QString::fromLocal8Bit(process.readAllStandardError())).toStdString();
    return false;
  }
  return true;
}

// The fields of /proc/PID/stat after the command name: state, parent, ...
QStringList ProcessStat(const QString& pid) {
  QFile file("/proc/" + pid + "/stat");
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString stat = QString::fromLatin1(file.readAll());
  return stat.mid(stat.lastIndexOf(')') + 2).split(' ');
}

// The server's processes: the postmaster (first line of postmaster.pid)
// and its children.
std::vector<pid_t> ServerProcesses(const QString& data) {
  QFile file(data + "/postmaster.pid");
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString postmaster = QString::fromLatin1(file.readLine()).trimmed();
  std::vector<pid_t> pids{static_cast<pid_t>(postmaster.toInt())};
  for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QStringList stat = ProcessStat(pid);
    if (stat.size() > 1 && stat[1] == postmaster) pids.push_back(static_cast<pid_t>(pid.toInt()));
  }
  return pids;
}

}  // namespace

PgServer* PgServer::Get(std::string& why) {
  static std::unique_ptr<PgServer> server;
  static std::string failure;
  if (!server && failure.empty()) {
    auto started = std::unique_ptr<PgServer>(new PgServer());
    if (started->Start(failure)) server = std::move(started);
  }
  why = failure;
  return server.get();
}

PgServer::~PgServer() {
  Resume();
  Stop();
}

bool PgServer::Start(std::string& why) {
  binDir_ = FindBinDir();
  if (binDir_.isEmpty()) {
    why = "no PostgreSQL server under /usr/lib/postgresql (scripts/setup installs it)";
    return false;
  }
  // Under /tmp whatever TMPDIR says: the postgres user must be able to reach
  // the folder, and a Unix socket path may not be longer than 107 bytes.
  QTemporaryDir temporary("/tmp/zolin6-pg-XXXXXX");
  if (!temporary.isValid()) {
    why = "cannot make a temporary folder";
    return false;
  }
  temporary.setAutoRemove(false);
  folder_ = temporary.path();
  if (geteuid() == 0) {
    const passwd* postgres = getpwnam("postgres");
    if (postgres == nullptr || chown(folder_.toLocal8Bit().constData(), postgres->pw_uid, postgres->pw_gid) != 0) {
      why = "cannot hand the temporary folder to the postgres user";
      return false;
    }
  }
  const QString data = folder_ + "/data";
  if (!Run(binDir_ + "/initdb", {"-D", data, "-A", "trust", "-U", "postgres", "-E", "UTF8", "--no-sync"}, why)) {
    return false;
  }
  // No TCP port at all: the socket in our folder is the only way in.
  const QString options = "-k " + folder_ + " -c listen_addresses= -F";
  if (!Run(binDir_ + "/pg_ctl", {"-D", data, "-o", options, "-l", folder_ + "/log", "-w", "-t", "60", "start"}, why)) {
    return false;
  }
  running_ = true;
  return true;
}

void PgServer::Stop() {
  if (running_) {
    std::string why;
    Run(binDir_ + "/pg_ctl", {"-D", folder_ + "/data", "-m", "immediate", "-w", "-t", "60", "stop"}, why);
    running_ = false;
  }
  if (!folder_.isEmpty()) QDir(folder_).removeRecursively();
}

bool PgServer::Pause(std::string& why, std::chrono::seconds atMost) {
  Resume();  // a pause at a time
  const std::vector<pid_t> pids = ServerProcesses(folder_ + "/data");
  if (pids.size() < 2) {
    why = "no server processes found";
    return false;
  }
  {
    const std::lock_guard lock(mutex_);
    paused_ = true;
  }
  watchdog_ = std::thread([this, atMost, pids] {
    std::unique_lock lock(mutex_);
    if (resumed_.wait_for(lock, atMost, [this] { return !paused_; })) return;
    for (pid_t pid : pids) ::kill(pid, SIGCONT);
  });
  for (pid_t pid : pids) ::kill(pid, SIGSTOP);
  // Bounded: the kernel stops them at once, but not before kill returns.
  for (int round = 0; round < 1000; ++round) {
    bool all = true;
    for (pid_t pid : pids) {
      const QStringList stat = ProcessStat(QString::number(pid));
      all = all && (stat.isEmpty() || stat[0] == "T");
    }
    if (all) return true;
    QThread::msleep(1);
  }
  why = "the server did not stop";
  return false;
}

void PgServer::Resume() {
  {
    const std::lock_guard lock(mutex_);
    paused_ = false;
  }
  resumed_.notify_all();
  if (watchdog_.joinable()) watchdog_.join();
  for (pid_t pid : ServerProcesses(folder_ + "/data")) ::kill(pid, SIGCONT);
}

StoreLocation PgServer::NewDatabase(std::string& why) {
  const QString name = QString("history_%1").arg(++databases_);
  {
    QSqlDatabase admin = QSqlDatabase::addDatabase("QPSQL", "zolin6-pg-admin");
    admin.setHostName(folder_);
    admin.setUserName("postgres");
    admin.setDatabaseName("postgres");
    if (!admin.open()) {
      why = admin.lastError().text().toStdString();
    } else if (QSqlQuery query(admin); !query.exec("CREATE DATABASE " + name)) {
      why = query.lastError().text().toStdString();
    }
    admin.close();
  }
  QSqlDatabase::removeDatabase("zolin6-pg-admin");
  return {"QPSQL", name, folder_, "postgres", {}, -1};
}

}  // namespace zolin6::history::testing
