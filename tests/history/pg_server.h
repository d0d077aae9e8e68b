#pragma once
// A PostgreSQL server of the test's own: a new cluster in a temporary
// folder, listening on a Unix socket in that folder only, started on first
// use and stopped when the test program ends. PostgreSQL refuses to run as
// root, so under root it runs as the "postgres" user the Debian package
// creates. Each test gets a database of its own on it.

#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "history/store_location.h"

namespace zolin6::history::testing {

class PgServer {
 public:
  // The running server, started if need be; nullptr (with the reason in
  // `why`) when it cannot be started.
  static PgServer* Get(std::string& why);
  ~PgServer();

  // A new, empty database on the server.
  StoreLocation NewDatabase(std::string& why);

  // Stops (SIGSTOP) or continues (SIGCONT) the server and every process of
  // it: a stopped server takes connections and queries and never answers,
  // as a hung server does. Pause returns once every process is stopped; the
  // server continues by itself after `atMost`, so that a thread it holds
  // ends a failing test instead of hanging it.
  bool Pause(std::string& why, std::chrono::seconds atMost = std::chrono::seconds(60));
  void Resume();

 private:
  PgServer() = default;
  bool Start(std::string& why);
  void Stop();

  QString folder_;  // cluster, socket and log
  QString binDir_;  // initdb and pg_ctl
  bool running_ = false;
  int databases_ = 0;
  std::mutex mutex_;  // the watchdog's
  std::condition_variable resumed_;
  bool paused_ = false;
  std::thread watchdog_;
};

}  // namespace zolin6::history::testing
