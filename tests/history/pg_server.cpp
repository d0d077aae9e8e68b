#include "pg_server.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

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

PgServer::~PgServer() { Stop(); }

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
