#include "desktop/background_write.h"

#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>

#include <memory>
#include <optional>

#include "platform/atomic_file.h"

namespace zolin6::desktop {

void WriteInBackground(QObject* owner, std::string path, std::string bytes,
                       std::function<void(const Result<bool>& written)> done) {
  MakeAndWriteInBackground(
      owner, std::move(path), [bytes = std::move(bytes)]() mutable { return std::move(bytes); }, std::move(done));
}

void MakeAndWriteInBackground(QObject* owner, std::string path, std::function<std::string()> make,
                              std::function<void(const Result<bool>& written)> done) {
  // The worker leaves its result here before it finishes the promise; the
  // owner's thread reads it once the watcher hears the promise finished.
  auto result = std::make_shared<std::optional<Result<bool>>>();
  auto promise = std::make_shared<QPromise<void>>();
  auto* watcher = new QFutureWatcher<void>(owner);
  QObject::connect(watcher, &QFutureWatcherBase::finished, owner, [watcher, result, done = std::move(done)] {
    watcher->deleteLater();
    if (*result) done(**result);
  });
  watcher->setFuture(promise->future());
  promise->start();
  QThreadPool::globalInstance()->start([promise, result, path = std::move(path), make = std::move(make)] {
    *result = platform::WriteFileAtomically(path, make());
    promise->finish();
  });
}

}  // namespace zolin6::desktop
