// zolin6-script: runs a scenario against the control, headless, and prints
// one JSON object per line.

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "event_output.h"
#include "platform/status_icons.h"
#include "scenario_runner.h"

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h"))) {
    std::cerr << "usage: zolin6-script [SCENARIO]\n"
                 "Runs the scenario lines of SCENARIO (or standard input) against one control and prints one\n"
                 "JSON object per line. Exit status 0, or 2 when a line could not be run.\n";
    return argc == 2 ? 0 : 2;
  }
  // The status icons ship with the program: beside it in the build, in
  // share/zolin6 when installed.
  std::error_code error;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", error);
  std::string iconFolder = error ? std::string(".") : zolin6::platform::StatusIconFolder(self.parent_path());

  // The event loop carries `driver hart-ip` and `driver serial`; nothing else uses it.
  QCoreApplication application(argc, argv);
  zolin6::scenario::ScenarioRunner runner(
      [](const zolin6::scenario::Json& event) {
        std::cout << zolin6::scenario::EventLine(event) << '\n' << std::flush;
      },
      iconFolder);
  if (argc == 2) {
    std::ifstream file(argv[1]);
    if (!file) {
      std::cerr << "zolin6-script: cannot open " << argv[1] << '\n';
      return 2;
    }
    return runner.Run(file);
  }
  return runner.Run(std::cin);
}
