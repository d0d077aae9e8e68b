#pragma once
// The real control with the simulated transmitter behind the link tap, on a
// manual clock, its writes recorded by the device history (at once, on the
// test's thread) into a store the test chooses: an SQLite file in a temporary folder, or a database on the
// test's own PostgreSQL server.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "fakes/control_harness.h"
#include "fakes/immediate_history.h"
#include "history/history_recorder.h"
#include "history/sql_store.h"
#include "link/link_tap.h"
#include "pg_server.h"
#include "transport/simulated_device.h"

namespace zolin6::history::testing {

inline constexpr std::int64_t kEpoch = 1788000000000;  // 2026-08-29 UTC, the clock's 0

// Runs the event loop (the worker's deliveries) until `done`, for at most
// `bound`; whether done.
inline bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = std::chrono::seconds(30)) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!done() && std::chrono::steady_clock::now() < end) {
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
}

// Where a test keeps its history.
enum class Backend { Sqlite, PostgreSql };

class StoreFolder {
 public:
  // A new, empty store of the kind; the test fails when there is none.
  StoreLocation NewStore(Backend backend) {
    if (backend == Backend::Sqlite) return {"QSQLITE", folder.filePath("history.sqlite"), {}, {}, {}, -1};
    std::string why;
    PgServer* server = PgServer::Get(why);
    if (server == nullptr) {
      ADD_FAILURE() << why;
      return {};
    }
    StoreLocation location = server->NewDatabase(why);
    if (!why.empty()) ADD_FAILURE() << why;
    return location;
  }
  QTemporaryDir folder;
};

struct DeviceBench {
  explicit DeviceBench(RecordStore& store)
      : sim(std::make_shared<transport::SimulatedDevice>(h.clock)),
        tap(link::LinkTap::Wrap(sim)),
        sink(store, [this](bool ok, const std::string& why) { told.push_back((ok ? "ok " : "down ") + why); }),
        recorder(sink, RecorderContext{h.clock, link::WallTime(h.clock, kEpoch), "technician",
                                       [this] { return h.state().sPage; },
                                       [this](const Record&) { told.push_back("not kept"); }}) {
    tap->AddListener(&recorder);
    h.control->Init("invoke-1", "", tap);
    h.clock.advance(2000);  // on line, and the information page read
  }
  ~DeviceBench() {
    h.control->PrepareToRelease();
    tap->RemoveListener(&recorder);
  }
  // Lets the device answer everything sent so far.
  void Settle() { h.clock.advance(3000); }

  fakes::ControlHarness h;
  std::shared_ptr<transport::SimulatedDevice> sim;
  std::shared_ptr<link::LinkTap> tap;
  fakes::ImmediateHistory sink;
  HistoryRecorder recorder;
  std::vector<std::string> told;  // what the user was told about the store
};

}  // namespace zolin6::history::testing
