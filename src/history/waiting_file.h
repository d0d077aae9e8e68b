#pragma once
// The writes the history could not store before the program ended, kept in
// a file until a later start (of the window or of a command) writes them to
// their store first. Each end writes a file of its own, so two programs
// ending at once keep both; a start takes every file of its store and
// removes them once their writes are stored. A write stored before it was
// kept is not stored twice: the store keeps each record's key once.

#include <string>
#include <string_view>
#include <vector>

#include "history/store_location.h"
#include "history/write_queue.h"
#include "platform/result.h"

namespace zolin6::history {

// Where the files of `location` are kept: the folder of an SQLite history,
// the user's data folder for a PostgreSQL one.
std::string WaitingFolder(const StoreLocation& location);

// The writes as the file holds them (JSON), for the store `location`.
std::string WaitingText(const StoreLocation& location, const std::vector<WaitingWrite>& writes);
// The writes of a file's text, or what is wrong with it.
Result<std::vector<WaitingWrite>> ParseWaiting(std::string_view text);

// Writes a new file in `folder` (atomically); its path.
Result<std::string> KeepWaiting(const std::string& folder, const StoreLocation& location,
                                const std::vector<WaitingWrite>& writes);

// The writes kept in `folder` for `location`, oldest file first.
struct KeptWrites {
  std::vector<WaitingWrite> writes;
  std::vector<std::string> files;     // the files they came from, to remove once stored
  std::vector<std::string> problems;  // files that cannot be read: left alone, each said
};
KeptWrites LoadWaiting(const std::string& folder, const StoreLocation& location);

// Removes files whose writes are stored or kept anew; false when one stays.
bool RemoveWaiting(const std::vector<std::string>& files);

}  // namespace zolin6::history
