#pragma once
// Replacing a file so that it is either the old file or the whole new one:
// the text goes to a temporary file in the same folder, is flushed to the
// disk, and only then renamed over the old name. A crash, a full disk or a
// folder that refuses the temporary file leaves the old file as it was.

#include <string>

#include "platform/result.h"

namespace zolin6::platform {

// True, or why the file could not be written (naming the file).
Result<bool> WriteFileAtomically(const std::string& path, const std::string& text);

// The whole file, or why it could not be read (naming the file): a folder
// is refused as such.
Result<std::string> ReadWholeFile(const std::string& path);

}  // namespace zolin6::platform
