#pragma once
// The device history's own thread. The store (its database connection made,
// used and closed on that thread only) takes the records the window's
// thread hands over, in order, answers the History window's readings, and
// reads and writes the plant list. Nothing the window's thread calls waits
// for the store: a server that is away costs the worker its connect
// timeout, one that hangs costs it all its time, and the window goes on
// either way.
//
// What the store has not taken when the worker stops is kept in a file
// (waiting_file.h) that the next worker of the same store writes first.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "history/sql_store.h"
#include "history/write_queue.h"
#include "plant/plant_row.h"

namespace zolin6::history {

// How long the worker waits before it tries a store again that failed
// (a new record tries at once).
inline constexpr std::chrono::milliseconds kStoreRetryInterval{10000};
// How long the end of the program waits for the store to take what waits
// before keeping it in a file: longer than the 2 s a server that is away
// takes to refuse a connection.
inline constexpr std::chrono::milliseconds kQuitWait{3000};

struct WorkerOptions {
  std::string waitingFolder;              // where writes left at the end are kept (WaitingFolder)
  bool openAtStart = true;                // open the store at once, so that one that is away is said before any change
  std::size_t limit = kMaxWaitingWrites;  // writes that may wait
  std::chrono::milliseconds retry = kStoreRetryInterval;  // between tries of a failing store
};

// What the owner hears, on its own thread, through its event loop.
struct WorkerEvents {
  // The store stopped taking writes (ok false, with why) or takes them again.
  std::function<void(bool ok, const std::string& why)> storeState;
  // A file of writes kept from an earlier run cannot be read (it is left as it is).
  std::function<void(const std::string& problem)> problem = {};
};

// What the worker left when it stopped.
struct WorkerEnd {
  std::size_t kept = 0;               // writes the store did not take, kept in `file` (or lost, see fileProblem)
  std::string file;                   // where they are kept
  std::string storeProblem;           // why the store did not take them
  std::string fileProblem;            // why they could not be kept either
  std::vector<std::string> problems;  // files of an earlier run that could not be read
  std::size_t refused = 0;            // records refused because too many waited
  std::size_t plantUnsaved = 0;       // devices of the plant list the store did not take

  // What the user is told, in one line; empty when all is stored.
  std::string Describe() const;
};

// The worker's state, shared with its thread (which may outlive the worker
// when a hung store holds it), and what delivers to the owner's thread.
struct WorkerShared;
class WorkerMailbox;

class HistoryWorker : public RecordSink {
 public:
  using Listed = std::function<void(const Result<std::vector<Record>>& records)>;
  using PlantLoaded = std::function<void(const Result<std::vector<plant::PlantDevice>>& devices)>;
  using PlantSaved = std::function<void(const Result<bool>& saved)>;

  // Starts the thread. The events and the readings' answers are delivered
  // through the event loop of the thread that makes the worker, until it
  // stops.
  HistoryWorker(StoreLocation location, WorkerOptions options, WorkerEvents events);
  // Stops as Stop() does, unless stopped before.
  ~HistoryWorker() override;
  HistoryWorker(const HistoryWorker&) = delete;
  HistoryWorker& operator=(const HistoryWorker&) = delete;

  // Refused, as all writes, once the worker has stopped.
  bool Add(const Record& record) override;
  void Complete(const Record& record) override;

  // Reads the records once what waits is written; `listed` gets them. A
  // reading that has not begun gives way to a newer one.
  void List(HistoryFilter filter, Listed listed);

  // The plant list (plant_store.h), in the order asked: saves before loads.
  // Stores the rows in one transaction; `saved` gets the outcome. Rows the
  // store did not take are kept and stored with the next save (or the next
  // try of the store), a newer row of the same device taking their place.
  void SavePlant(std::vector<plant::PlantDevice> devices, PlantSaved saved = {});
  // Reads every device of the list, by endpoint and sub-device index.
  void LoadPlant(PlantLoaded loaded);
  // Removes one device from the list, and its row if one waits.
  void ForgetDevice(DeviceKey device, PlantSaved forgotten = {});

  std::size_t waiting() const;
  // Records refused so far because too many waited.
  std::size_t refused() const { return refused_; }
  const StoreLocation& location() const { return location_; }

  // Lets the store take what waits for up to `wait`, then keeps the rest in
  // a file. A thread still held by a hung store is left to end with the
  // process: it writes nothing more.
  WorkerEnd Stop(std::chrono::milliseconds wait = kQuitWait);

 private:
  void Wake();

  StoreLocation location_;
  std::unique_ptr<WorkerMailbox> mailbox_;
  std::shared_ptr<WorkerShared> shared_;
  std::thread thread_;
  std::size_t refused_ = 0;
  bool stopped_ = false;
};

}  // namespace zolin6::history
