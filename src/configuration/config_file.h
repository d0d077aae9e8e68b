#pragma once
// The configuration file: one JSON object, versioned, values grouped as the
// pages group them, in the device's units with "." as the decimal separator
// (docs/configuration-file.md). Reading checks everything the device would
// refuse, so a file that reads is a file that can be downloaded.

#include <string>
#include <string_view>

#include "configuration/values.h"
#include "platform/result.h"

namespace zolin6::configuration {

inline constexpr int kFileVersion = 1;                               // the version this program writes and reads
inline constexpr const char* kFileFormat = "ZOLIN-6 configuration";  // the "format" member of every file

// The file's text for `configuration`.
std::string FormatConfiguration(const Configuration& configuration);

// The configuration in `text`, read from the file `name`, or what is wrong,
// beginning with the file's name and naming the line (when the text is no
// JSON) or the key.
Result<Configuration> ParseConfiguration(std::string_view text, const std::string& name);

// Both, with the file itself; saving replaces the file atomically.
Result<bool> SaveConfiguration(const std::string& path, const Configuration& configuration);
Result<Configuration> LoadConfiguration(const std::string& path);

}  // namespace zolin6::configuration
