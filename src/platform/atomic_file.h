#pragma once
// Replacing a file so that it is either the old file or the whole new one:
// the text goes to a temporary file in the same folder, is flushed to the
// disk, and only then renamed over the old name. A crash, a full disk or a
// folder that refuses the temporary file leaves the old file as it was.
//
// Only a regular file is replaced, and it keeps its mode (and, where the
// user may, its owner). A symbolic link stays a link: the file it points to
// is replaced, beside itself. A device, FIFO or socket (/dev/null, a pipe a
// program reads) is written to as it is and never replaced; a folder is
// refused.

#include <sys/stat.h>

#include <string>

#include "platform/result.h"

namespace zolin6::platform {

// How a path is written, from what stands there now.
enum class WriteWay {
  Create,   // nothing is there: a new file, with the mode the user's umask gives
  Replace,  // a regular file: replaced whole, keeping its mode
  InPlace,  // a device, FIFO or socket: written to as it is
  Refuse,   // a folder
};

// `status`: the path's stat (links followed), or nullptr when nothing is there.
WriteWay WriteWayFor(const struct stat* status);

// True, or why the file could not be written (naming the file).
Result<bool> WriteFileAtomically(const std::string& path, const std::string& text);

// The whole file, or why it could not be read (naming the file): a folder
// is refused as such.
Result<std::string> ReadWholeFile(const std::string& path);

}  // namespace zolin6::platform
