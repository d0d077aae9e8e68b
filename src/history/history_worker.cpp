#include "history/history_worker.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <type_traits>
#include <utility>

#include "history/plant_store.h"
#include "history/waiting_file.h"

namespace zolin6::history {

namespace {

const QEvent::Type kDelivery = static_cast<QEvent::Type>(QEvent::registerEventType());

// A call the thread hands to the owner's thread.
struct Delivery : QEvent {
  explicit Delivery(std::function<void()> what) : QEvent(kDelivery), call(std::move(what)) {}
  std::function<void()> call;
};

}  // namespace

// Runs the deliveries on the thread that made the worker; deleted with the
// worker, and with it whatever was not run yet.
class WorkerMailbox : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() != kDelivery) return QObject::event(event);
    static_cast<Delivery*>(event)->call();
    return true;
  }
};

struct WorkerShared {
  WorkerShared(StoreLocation where, WorkerOptions with, WorkerEvents told, QObject* owner)
      : location(std::move(where)),
        options(std::move(with)),
        events(std::move(told)),
        queue(options.limit),
        mailbox(owner) {}

  const StoreLocation location;
  const WorkerOptions options;
  const WorkerEvents events;
  WriteQueue queue;  // safe on both threads by itself

  std::mutex mutex;  // guards everything below
  QObject* mailbox;  // nullptr once the owner stopped the worker
  std::condition_variable wake;
  std::condition_variable ended;
  bool work = false;  // a write came since the last try
  std::optional<std::pair<HistoryFilter, HistoryWorker::Listed>> reading;
  // The plant list: rows to store (asked, or kept from a save that failed),
  // who waits for them, the forgets and the loads asked.
  std::map<DeviceKey, plant::PlantDevice> plantRows;
  std::vector<HistoryWorker::PlantSaved> plantSaved;
  std::vector<std::pair<DeviceKey, HistoryWorker::PlantSaved>> forgets;
  std::vector<HistoryWorker::PlantLoaded> plantLoads;
  bool stopping = false;
  bool abandoned = false;  // the owner stopped waiting: nothing more is written
  bool running = true;
  bool failing = false;
  std::string problem;                  // the store's last failure
  std::vector<std::string> restored;    // files of an earlier run, removed once their writes are stored
  std::vector<std::string> unreadable;  // files of an earlier run that could not be read
};

namespace {

using Reading = std::pair<HistoryFilter, HistoryWorker::Listed>;

// Runs `call` on the owner's thread, through its event loop. Posted under
// the lock, so that the owner, which lets go of the mailbox under it too,
// never deletes it while a call is being posted.
void Deliver(WorkerShared& s, std::function<void()> call) {
  const std::lock_guard lock(s.mutex);
  if (s.mailbox != nullptr) QCoreApplication::postEvent(s.mailbox, new Delivery(std::move(call)));
}

// The files an earlier run kept, ahead of everything.
void Restore(WorkerShared& s) {
  KeptWrites kept = LoadWaiting(s.options.waitingFolder, s.location);
  s.queue.Restore(kept.writes);
  {
    const std::lock_guard lock(s.mutex);
    s.restored = kept.files;
    s.unreadable = kept.problems;
    s.work = s.work || !kept.writes.empty();
  }
  for (const std::string& problem : kept.problems) {
    if (s.events.problem) Deliver(s, [told = s.events.problem, problem] { told(problem); });
  }
}

// One try of the store: what waits, or, with nothing waiting while it
// failed, whether it opens again.
Result<bool> Try(WorkerShared& s, SqlHistoryStore& store) {
  bool failing = false;
  {
    const std::lock_guard lock(s.mutex);
    failing = s.failing;
  }
  if (s.queue.size() == 0) return failing ? store.Open() : Result<bool>(true);
  return s.queue.Flush(store, [&s] {
    const std::lock_guard lock(s.mutex);
    return s.abandoned;
  });
}

// Tells the owner when the store stops or starts taking writes; removes the
// earlier run's files once everything is stored.
void Report(WorkerShared& s, const Result<bool>& tried) {
  std::vector<std::string> stored;
  bool changed = false;
  {
    const std::lock_guard lock(s.mutex);
    if (s.mailbox == nullptr) return;  // stopped: the owner keeps what is left
    changed = s.failing == tried.ok();
    s.failing = !tried.ok();
    s.problem = tried ? std::string() : tried.error().message;
    if (tried && s.queue.size() == 0) stored.swap(s.restored);
  }
  RemoveWaiting(stored);
  if (changed && s.events.storeState) {
    Deliver(s, [told = s.events.storeState, ok = tried.ok(), why = tried ? std::string() : tried.error().message] {
      told(ok, why);
    });
  }
}

void Answer(WorkerShared& s, SqlHistoryStore& store, Reading& reading) {
  auto records = std::make_shared<Result<std::vector<Record>>>(store.List(reading.first));
  Deliver(s, [listed = std::move(reading.second), records] { listed(*records); });
}

// What the plant list was asked since the last turn.
struct PlantWork {
  std::vector<std::pair<DeviceKey, HistoryWorker::PlantSaved>> forgets;
  std::vector<plant::PlantDevice> rows;
  std::vector<HistoryWorker::PlantSaved> saved;
  std::vector<HistoryWorker::PlantLoaded> loads;
};

PlantWork TakePlantWork(WorkerShared& s) {
  const std::lock_guard lock(s.mutex);
  PlantWork work;
  work.forgets.swap(s.forgets);
  for (auto& [key, row] : s.plantRows) work.rows.push_back(std::move(row));
  s.plantRows.clear();
  work.saved.swap(s.plantSaved);
  work.loads.swap(s.plantLoads);
  return work;
}

// Rows the store did not take wait for the next save, unless a newer row of
// the device came meanwhile or the device is to be forgotten.
std::string KeepPlantRows(WorkerShared& s, std::vector<plant::PlantDevice>& rows, const std::string& why) {
  const std::lock_guard lock(s.mutex);
  for (plant::PlantDevice& row : rows) {
    const DeviceKey key = KeyOf(row);
    const bool forgotten =
        std::any_of(s.forgets.begin(), s.forgets.end(), [&key](const auto& f) { return f.first == key; });
    if (!forgotten) s.plantRows.try_emplace(key, std::move(row));
  }
  const std::size_t kept = s.plantRows.size();
  return "the plant list could not be stored (" + why + "); " + std::to_string(kept) +
         (kept == 1 ? " device waits" : " devices wait") + " for the next save";
}

template <class Callback, class Value>
void Tell(WorkerShared& s, std::vector<Callback>& callbacks, Value&& value) {
  auto shared = std::make_shared<std::decay_t<Value>>(std::forward<Value>(value));
  for (Callback& callback : callbacks) {
    if (callback) Deliver(s, [told = std::move(callback), shared] { told(*shared); });
  }
}

// Forgets first, so that a device forgotten and found again stays.
void DoPlantWork(WorkerShared& s, SqlHistoryStore& store, PlantWork& work) {
  for (auto& [key, forgotten] : work.forgets) {
    std::vector<HistoryWorker::PlantSaved> told{std::move(forgotten)};
    Tell(s, told, store.ForgetDevice(key));
  }
  if (!work.rows.empty()) {
    Result<bool> saved = store.SavePlant(work.rows);
    if (!saved) saved = Error{KeepPlantRows(s, work.rows, saved.error().message)};
    Tell(s, work.saved, std::move(saved));
  } else {
    Tell(s, work.saved, Result<bool>(true));  // nothing to store, or all of it forgotten since
  }
  if (!work.loads.empty()) Tell(s, work.loads, store.LoadPlant());
}

// The thread: the store lives and dies here.
void Run(const std::shared_ptr<WorkerShared>& shared) {
  WorkerShared& s = *shared;
  {
    SqlHistoryStore store(s.location);
    Restore(s);
    if (s.options.openAtStart) Report(s, store.Open());
    for (bool last = false; !last;) {
      std::optional<Reading> reading;
      {
        std::unique_lock lock(s.mutex);
        const auto due = [&s] {
          return s.work || s.stopping || s.reading || !s.forgets.empty() || !s.plantLoads.empty();
        };
        if (s.failing) {
          s.wake.wait_for(lock, s.options.retry, due);
        } else {
          s.wake.wait(lock, due);
        }
        s.work = false;
        last = s.stopping;
        reading = std::exchange(s.reading, std::nullopt);
      }
      Report(s, Try(s, store));
      PlantWork plant = TakePlantWork(s);
      DoPlantWork(s, store, plant);
      if (reading) Answer(s, store, *reading);
    }
  }
  const std::lock_guard lock(s.mutex);
  s.running = false;
  s.ended.notify_all();
}

std::size_t RecordCount(const std::vector<WaitingWrite>& writes) {
  std::set<std::string> keys;
  for (const WaitingWrite& write : writes) keys.insert(write.record.key);
  return keys.size();
}

// At the end: what the store did not take goes to a file of its own, which
// also takes the place of the earlier run's files still waiting.
WorkerEnd KeepWhatWaits(WorkerShared& s, std::chrono::milliseconds waited) {
  WorkerEnd end;
  const std::vector<WaitingWrite> writes = s.queue.Waiting();
  std::vector<std::string> restored;
  {
    const std::lock_guard lock(s.mutex);
    end.storeProblem = s.problem;
    end.problems = s.unreadable;
    end.plantUnsaved = s.plantRows.size();
    restored.swap(s.restored);
  }
  if (writes.empty()) return end;
  if (end.storeProblem.empty()) {
    end.storeProblem =
        "no answer from " + s.location.describe().toStdString() + " within " + std::to_string(waited.count()) + " ms";
  }
  end.kept = RecordCount(writes);
  Result<std::string> kept = KeepWaiting(s.options.waitingFolder, s.location, writes);
  if (!kept) {
    end.fileProblem = kept.error().message;
    return end;
  }
  end.file = *kept;
  RemoveWaiting(restored);
  return end;
}

}  // namespace

std::string WorkerEnd::Describe() const {
  std::string text;
  if (kept > 0) {
    text = std::to_string(kept) + (kept == 1 ? " record" : " records") +
           " of the device history could not be stored (" + storeProblem + ")";
    text += fileProblem.empty() ? "; kept in " + file + " and stored at the next start"
                                : " and could not be kept either: " + fileProblem;
  }
  if (refused > 0) {
    text += (text.empty() ? "" : "; ") + std::to_string(refused) + (refused == 1 ? " change was" : " changes were") +
            " not recorded in the device history: too many waited for its store";
  }
  if (plantUnsaved > 0) {
    text += (text.empty() ? "" : "; ") + std::to_string(plantUnsaved) + (plantUnsaved == 1 ? " device" : " devices") +
            " of the plant list could not be stored; the next survey finds them again";
  }
  for (const std::string& problem : problems) {
    text += (text.empty() ? "" : "; ") + std::string("history records kept earlier cannot be read: ") + problem;
  }
  return text;
}

HistoryWorker::HistoryWorker(StoreLocation location, WorkerOptions options, WorkerEvents events)
    : location_(location), mailbox_(std::make_unique<WorkerMailbox>()) {
  if (options.waitingFolder.empty()) options.waitingFolder = WaitingFolder(location);
  shared_ = std::make_shared<WorkerShared>(std::move(location), std::move(options), std::move(events), mailbox_.get());
  thread_ = std::thread(Run, shared_);
}

HistoryWorker::~HistoryWorker() {
  if (!stopped_) (void)Stop();
}

void HistoryWorker::Wake() {
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->work = true;
  }
  shared_->wake.notify_all();
}

bool HistoryWorker::Add(const Record& record) {
  if (stopped_) return false;
  if (!shared_->queue.Add(record)) {
    ++refused_;
    return false;
  }
  Wake();
  return true;
}

void HistoryWorker::Complete(const Record& record) {
  if (stopped_) return;  // its record went to the file without it; it stays "pending"
  shared_->queue.Complete(record);
  Wake();
}

void HistoryWorker::List(HistoryFilter filter, Listed listed) {
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->reading.emplace(std::move(filter), std::move(listed));
  }
  shared_->wake.notify_all();
}

void HistoryWorker::SavePlant(std::vector<plant::PlantDevice> devices, PlantSaved saved) {
  {
    const std::lock_guard lock(shared_->mutex);
    for (plant::PlantDevice& device : devices) shared_->plantRows.insert_or_assign(KeyOf(device), std::move(device));
    shared_->plantSaved.push_back(std::move(saved));
    shared_->work = true;
  }
  shared_->wake.notify_all();
}

void HistoryWorker::LoadPlant(PlantLoaded loaded) {
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->plantLoads.push_back(std::move(loaded));
  }
  shared_->wake.notify_all();
}

void HistoryWorker::ForgetDevice(DeviceKey device, PlantSaved forgotten) {
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->plantRows.erase(device);
    shared_->forgets.emplace_back(device, std::move(forgotten));
  }
  shared_->wake.notify_all();
}

std::size_t HistoryWorker::waiting() const { return shared_->queue.size(); }

WorkerEnd HistoryWorker::Stop(std::chrono::milliseconds wait) {
  if (stopped_) return {};
  stopped_ = true;
  bool ended = false;
  {
    std::unique_lock lock(shared_->mutex);
    shared_->stopping = true;
    shared_->wake.notify_all();
    ended = shared_->ended.wait_for(lock, wait, [this] { return !shared_->running; });
    shared_->abandoned = !ended;
    shared_->mailbox = nullptr;
  }
  // A thread held by a hung store cannot be joined; it ends with the
  // process, and writes and delivers nothing more when it wakes.
  ended ? thread_.join() : thread_.detach();
  WorkerEnd end = KeepWhatWaits(*shared_, wait);
  end.refused = refused_;
  return end;
}

}  // namespace zolin6::history
