#include "desktop/background_write.h"

#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>

#include <memory>

#include "platform/atomic_file.h"

namespace zolin6::desktop {

void WriteInBackground(QObject* owner, std::string path, std::string bytes,
                       std::function<void(const Result<bool>& written)> done) {
  MakeAndWriteInBackground(
      owner, std::move(path), [bytes = std::move(bytes)]() mutable { return std::move(bytes); }, std::move(done));
}

void MakeAndWriteInBackground(QObject* owner, std::string path, std::function<std::string()> make,
                              std::function<void(const Result<bool>& written)> done) {
  auto written = std::make_shared<Result<bool>>(true);
  RunInBackground(
      owner,
      [written, path = std::move(path), make = std::move(make)] {
        *written = platform::WriteFileAtomically(path, make());
      },
      [written, done = std::move(done)] { done(*written); });
}

void RunInBackground(QObject* owner, std::function<void()> work, std::function<void()> done) {
  // The worker finishes the promise once its work is done; the owner's
  // thread hears that through the watcher, which dies with the owner.
  auto promise = std::make_shared<QPromise<void>>();
  auto* watcher = new QFutureWatcher<void>(owner);
  QObject::connect(watcher, &QFutureWatcherBase::finished, owner, [watcher, done = std::move(done)] {
    watcher->deleteLater();
    done();
  });
  watcher->setFuture(promise->future());
  promise->start();
  QThreadPool::globalInstance()->start([promise, work = std::move(work)] {
    work();
    promise->finish();
  });
}

}  // namespace zolin6::desktop
