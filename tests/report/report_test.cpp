// The configuration sheet, looked at as a reader does: the PDF's text, and
// the comparison marks of the HTML.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "configuration/sim_device.h"
#include "configuration/transfer.h"
#include "fakes/qt_environment.h"
#include "report/report.h"

namespace zolin6::report {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new fakes::QtEnvironment);

configuration::Configuration Uploaded(configuration::testing::SimDevice& device) {
  Result<configuration::Configuration> uploaded =
      configuration::Upload(device.link, {{}, nullptr, "2026-12-06T10:00:00Z"});
  EXPECT_TRUE(uploaded) << uploaded.error().message;
  return uploaded ? *uploaded : configuration::Configuration{};
}

std::string Command(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string text;
  std::array<char, 4096> buffer{};
  while (pipe && std::fgets(buffer.data(), buffer.size(), pipe.get()) != nullptr) text += buffer.data();
  return text;
}

// What a reader sees, page by page, each cut to its A4 page (595 x 842
// points): text drawn off a page is not there for him.
std::string PdfText(const std::string& path) {
  std::string text;
  for (int page = 1; page <= 20; ++page) {
    const std::string shown = Command("pdftotext -layout -r 72 -x 0 -y 0 -W 595 -H 842 -f " + std::to_string(page) +
                                      " -l " + std::to_string(page) + " '" + path + "' - 2>/dev/null");
    if (shown.empty()) break;
    text += shown;
  }
  return text;
}

TEST(ReportTest, PdfHoldsTheTagEveryChannelsRangeAndTheDate) {
  configuration::testing::SimDevice device;
  device.Set("Tag", "TT-101");
  for (int channel = 1; channel <= 6; ++channel) {
    device.Set("Sns" + std::to_string(channel) + "UpperRangeValue", std::to_string(100 + channel * 11) + ".5");
    device.Set("Sns" + std::to_string(channel) + "LowerRangeValue", "-" + std::to_string(channel) + ".25");
  }
  SheetInput input;
  input.configuration = Uploaded(device);
  input.printedAt = "2026-12-06 21:30 UTC";
  const std::string path = (std::filesystem::temp_directory_path() / ("sheet-" + std::to_string(::getpid()) + ".pdf"));
  Result<bool> written = WriteSheetPdf(input, path);
  ASSERT_TRUE(written) << written.error().message;
  const std::string text = PdfText(path);
  std::filesystem::remove(path);
  EXPECT_NE(text.find("TT-101"), std::string::npos) << text;
  EXPECT_NE(text.find("2026-12-06 21:30 UTC"), std::string::npos);
  // The sheet's last row, on its second page, within the page.
  EXPECT_NE(text.find("Page 2 of 2"), std::string::npos) << text;
  EXPECT_NE(text.find("Checked by (quality assurance)"), std::string::npos) << text;
  for (int channel = 1; channel <= 6; ++channel) {
    EXPECT_NE(text.find(std::to_string(100 + channel * 11) + ".5"), std::string::npos) << "channel " << channel;
    EXPECT_NE(text.find("-" + std::to_string(channel) + ".25"), std::string::npos) << "channel " << channel;
  }
}

TEST(ReportTest, ComparisonColumnMarksEveryDifference) {
  configuration::testing::SimDevice device;
  const configuration::Configuration asFound = Uploaded(device);
  configuration::Configuration asLeft = asFound;
  asLeft.values["channel 4.upper range value"] = 321.0;
  asLeft.values["local display.line 2"] = std::int64_t{12};
  SheetInput input;
  input.configuration = asLeft;
  input.comparison = asFound;
  const std::string html = SheetHtml(input);
  EXPECT_NE(html.find("2 differences (highlighted)"), std::string::npos);
  EXPECT_NE(html.find(">Channel 1</th>"), std::string::npos);
  EXPECT_NE(html.find(">Channel 6</th>"), std::string::npos);
  std::size_t marked = 0;
  for (std::size_t at = html.find("class='differs'"); at != std::string::npos;
       at = html.find("class='differs'", at + 1)) {
    ++marked;
  }
  EXPECT_EQ(marked, 3U);  // the channel cell, and both cells of the display line
  EXPECT_NE(html.find("321 °C (As found: "), std::string::npos);
}

}  // namespace
}  // namespace zolin6::report
