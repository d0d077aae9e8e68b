#pragma once
// The configuration file operations from the command line, without a
// window: --upload, --download, --compare and --report, each with
// --connect (the built-in simulated device by default) and --device FILE
// (the simulated device's state, kept between runs as the window keeps it).
// Exit status: 0 success, 1 a compare that found differences, 2 an error,
// with a message on standard error that names the file and what is wrong.

#include <QCommandLineParser>

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/result.h"
#include "transport/connection_target.h"

namespace zolin6::app {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitDifferences = 1;
inline constexpr int kExitError = 2;

// Whether the arguments ask for a file operation instead of the window.
bool WantsFileCommand(int argc, char** argv);

// Adds the file operations' options to the window's parser, so that --help
// lists them.
void AddFileCommandOptions(QCommandLineParser& parser);

// The device --connect names (the built-in simulated device without it),
// with the key file --psk-file names for secure HART-IP.
Result<transport::ConnectionTarget> ConnectionFromOptions(const QCommandLineParser& parser);

// Runs the file operation the arguments (argv[0] included) name; makes the
// Qt application it needs for the PDF when there is none yet.
int RunFileCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace zolin6::app
