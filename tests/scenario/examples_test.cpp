// The example scenarios pin the public scenario interface: each one's output
// must match, line by line, the expected output saved beside it
// (examples/NAME.expected.jsonl). After a deliberate change of behaviour,
// scripts/regenerate-examples writes them anew, and the diff shows what
// changed.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "event_output.h"
#include "platform/locale.h"
#include "scenario_runner.h"

namespace zolin6::scenario {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Examples() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(ZOLIN6_EXAMPLES_DIR)) {
    if (entry.path().extension() == ".scn") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Lines(std::istream& input) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(input, line);) lines.push_back(line);
  return lines;
}

class ExampleTest : public ::testing::TestWithParam<std::string> {
 protected:
  void TearDown() override { platform::SetUserLocale({'.'}); }
};

TEST_P(ExampleTest, OutputMatchesTheExpectedLines) {
  const fs::path folder = ZOLIN6_EXAMPLES_DIR;
  std::ifstream scenario(folder / (GetParam() + ".scn"));
  std::ifstream expectedFile(folder / (GetParam() + ".expected.jsonl"));
  ASSERT_TRUE(scenario && expectedFile) << "run scripts/regenerate-examples to write " << GetParam()
                                        << ".expected.jsonl";

  std::vector<std::string> actual;
  {
    // The runner's end (the control closing its session) is part of the output.
    ScenarioRunner runner([&actual](const Json& event) { actual.push_back(EventLine(event)); }, ZOLIN6_ASSETS_DIR);
    EXPECT_EQ(runner.Run(scenario), 0) << "a line of the example was refused";
  }

  const std::vector<std::string> expected = Lines(expectedFile);
  for (std::size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
    ASSERT_EQ(actual[i], expected[i]) << "first difference at output line " << i + 1;
  }
  ASSERT_EQ(actual.size(), expected.size()) << "the outputs differ in length after the common lines";
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest, ::testing::ValuesIn(Examples()),
                         [](const ::testing::TestParamInfo<std::string>& example) {
                           std::string name = example.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace zolin6::scenario
