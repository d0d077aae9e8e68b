// A calibration run on the simulated transmitter, from the as-found test to
// the certificate, read as a reader does: the PDF's text.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "calibration/calibration_json.h"
#include "calibration/channel_reader.h"
#include "configuration/sim_device.h"
#include "report/calibration_certificate.h"

namespace zolin6::report {
namespace {

// The program's one QApplication is registered by report_test.cpp.

std::string PdfText(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("pdftotext -layout '" + path + "' -").c_str(), "r"), ::pclose);
  std::string text;
  std::array<char, 4096> buffer{};
  while (pipe && std::fgets(buffer.data(), buffer.size(), pipe.get()) != nullptr) text += buffer.data();
  return text;
}

// One test of channel 2: at each point the process is brought to the
// applied value, and the reference reads it `referenceOffset` off.
std::vector<calibration::TestPoint> MeasureChannel2(configuration::testing::SimDevice& device,
                                                    calibration::ChannelReader& reader,
                                                    const calibration::ChannelRange& range, double referenceOffset) {
  std::vector<calibration::TestPoint> points;
  for (double percent : calibration::TestPercents(3)) {
    const double applied = calibration::RangeValue(range, percent);
    device.Set("Sns2Value", std::to_string(applied));
    Result<std::vector<calibration::TestPoint>> measured =
        calibration::RunTest(reader, {percent}, {applied + referenceOffset});
    EXPECT_TRUE(measured) << measured.error().message;
    if (measured) points.push_back(measured->front());
  }
  return points;
}

TEST(CalibrationCertificateTest, RunFromAsFoundToCertificate) {
  configuration::testing::SimDevice device;
  device.Set("Tag", "TT-204");
  device.Set("Sns2LowerRangeValue", "0");
  device.Set("Sns2UpperRangeValue", "200");
  calibration::ChannelReader reader(device.link, 2);
  Result<calibration::ChannelSetup> setup = reader.ReadSetup();
  ASSERT_TRUE(setup) << setup.error().message;
  EXPECT_EQ(setup->device.tag, "TT-204");
  EXPECT_EQ(setup->range, (calibration::ChannelRange{0, 200, "°C"}));

  calibration::CalibrationRecord record;
  record.device = setup->device;
  record.channel = 2;
  record.range = setup->range;
  record.tolerance = 0.5;
  record.reference = {"Dry block <DB-9>", "S-77", "C-2026-14", "2027-05-31"};
  record.technician = "A. Field";
  record.ambient = "21 °C";
  record.performedAt = "2026-12-07T16:00:00Z";
  // As found, the reference reads 3 °C (1.5 % of span) above the device.
  record.asFound = MeasureChannel2(device, reader, record.range, 3);
  record.asLeft = MeasureChannel2(device, reader, record.range, 0);
  ASSERT_EQ(record.asLeft.size(), 3U);
  for (std::size_t i = 0; i < record.asLeft.size(); ++i) {
    const calibration::TestPoint& point = record.asLeft[i];
    EXPECT_NEAR(point.pv, point.reference, 0.5) << i;
    EXPECT_NEAR(point.current, 4 + 8.0 * static_cast<double>(i), 0.05) << i;
  }
  EXPECT_FALSE(calibration::TestPassed(record, record.asFound));
  EXPECT_TRUE(calibration::RecordPassed(record));

  const std::string path =
      std::filesystem::temp_directory_path() / ("certificate-" + std::to_string(::getpid()) + ".pdf");
  Result<bool> written = WriteCertificatePdf(record, path);
  ASSERT_TRUE(written) << written.error().message;
  const std::string text = PdfText(path);
  std::filesystem::remove(path);
  EXPECT_NE(text.find("TT-204"), std::string::npos) << text;
  EXPECT_NE(text.find("As found: FAIL"), std::string::npos) << text;
  EXPECT_NE(text.find("As left: PASS"), std::string::npos) << text;
  EXPECT_NE(text.find("Verdict: PASS"), std::string::npos) << text;
  EXPECT_NE(text.find("203.000"), std::string::npos) << text;   // the as-found reference at 100 %
  EXPECT_NE(text.find("4.240"), std::string::npos) << text;     // the current the as-found zero should give
  EXPECT_EQ(text.find("203.0000"), std::string::npos) << text;  // three decimals, no more
  EXPECT_NE(text.find("Dry block <DB-9>"), std::string::npos) << text;
}

TEST(CalibrationCertificateTest, TextsAreEscaped) {
  calibration::CalibrationRecord record;
  record.technician = "<b>A & B</b>";
  const std::string html = CertificateHtml(record);
  EXPECT_NE(html.find("&lt;b&gt;A &amp; B&lt;/b&gt;"), std::string::npos);
  EXPECT_EQ(html.find("<b>A"), std::string::npos);
}

TEST(CalibrationCertificateTest, ChannelBeyondTheSixIsRefused) {
  configuration::testing::SimDevice device;
  calibration::ChannelReader reader(device.link, 7);
  EXPECT_FALSE(reader.ReadSetup());
}

}  // namespace
}  // namespace zolin6::report
