// The built-in simulated device, held to what the transmitter's first
// simulator answered: a fixed set of generated scenarios (a random
// technician on `driver sim`, see scenario_generator.h) must give the same
// output, frame events aside, as they gave then. Each scenario's output is
// pinned by its SHA-256 in differential.sha256; the scenarios themselves
// come from their seeds.
//
// ZOLIN6_DIFFERENTIAL_DUMP=FOLDER writes each scenario and its output there
// instead (SEED.scn, SEED.jsonl), to compare two builds by hand;
// ZOLIN6_DIFFERENTIAL_SEEDS=N runs seeds 1 to N.

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "scenario_generator.h"

namespace zolin6::scenario {
namespace {

constexpr int kPinnedSeeds = 40;
constexpr int kSteps = 80;

std::string Sha256(const std::vector<std::string>& lines) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (const std::string& line : lines) {
    hash.addData(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
    hash.addData(QByteArrayView("\n", 1));
  }
  return hash.result().toHex().toStdString();
}

std::map<int, std::string> PinnedHashes() {
  std::map<int, std::string> pinned;
  std::ifstream file(std::filesystem::path(ZOLIN6_TESTS_DIR) / "scenario" / "differential.sha256");
  int seed = 0;
  std::string hash;
  while (file >> seed >> hash) pinned[seed] = hash;
  return pinned;
}

int SeedCount() {
  const char* count = std::getenv("ZOLIN6_DIFFERENTIAL_SEEDS");
  return count != nullptr ? std::atoi(count) : kPinnedSeeds;
}

TEST(DifferentialTest, GeneratedScenariosGiveThePinnedOutput) {
  const char* dump = std::getenv("ZOLIN6_DIFFERENTIAL_DUMP");
  const std::map<int, std::string> pinned = PinnedHashes();
  for (int seed = 1; seed <= SeedCount(); ++seed) {
    const GeneratedScenario scenario = GenerateScenario(static_cast<std::uint32_t>(seed), kSteps);
    if (dump != nullptr) {
      const std::filesystem::path folder = dump;
      std::ofstream(folder / (std::to_string(seed) + ".scn")) << scenario.text;
      std::ofstream out(folder / (std::to_string(seed) + ".jsonl"));
      for (const std::string& line : scenario.output) out << line << '\n';
      std::cout << seed << ' ' << Sha256(scenario.output) << '\n';
      continue;
    }
    const auto expected = pinned.find(seed);
    ASSERT_NE(expected, pinned.end()) << "no pinned output for seed " << seed;
    EXPECT_EQ(Sha256(scenario.output), expected->second)
        << "seed " << seed << " gives another output; ZOLIN6_DIFFERENTIAL_DUMP shows it";
  }
}

}  // namespace
}  // namespace zolin6::scenario
