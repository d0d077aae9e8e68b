#pragma once
// A file the window writes without waiting for the disk: a slow, full or
// hung disk must not hold the window's thread.

#include <QObject>

#include <functional>
#include <string>

#include "platform/result.h"

namespace zolin6::desktop {

// Runs `work` on a worker thread, then `done` on `owner`'s thread, unless
// `owner` is gone by then. `work` must touch nothing the window's thread uses.
void RunInBackground(QObject* owner, std::function<void()> work, std::function<void()> done);

// Writes `bytes` to `path` atomically on a worker thread; `done` then runs
// on `owner`'s thread with how it went, unless `owner` is gone by then.
void WriteInBackground(QObject* owner, std::string path, std::string bytes,
                       std::function<void(const Result<bool>& written)> done);
// The same for bytes that take long to make (a long PDF): `make` runs on
// the worker thread too, and must touch nothing the window's thread uses.
void MakeAndWriteInBackground(QObject* owner, std::string path, std::function<std::string()> make,
                              std::function<void(const Result<bool>& written)> done);

}  // namespace zolin6::desktop
