// Upload, download and compare over the framework link with the simulated
// transmitter as the device.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "configuration/config_file.h"
#include "configuration/transfer.h"
#include "fakes/fake_driver.h"
#include "sim_device.h"

namespace zolin6::configuration {
namespace {

using testing::SimDevice;

Configuration UploadOrFail(SimDevice& device) {
  Result<Configuration> uploaded = Upload(device.link, {{}, nullptr, "2026-12-06T10:00:00Z"});
  EXPECT_TRUE(uploaded) << uploaded.error().message;
  return uploaded ? *uploaded : Configuration{};
}

// A device configured away from the factory state on most pages.
void Configure(SimDevice& device) {
  device.Set("Tag", "TT-101");
  device.Set("Long Tag", "Reactor 4 inlet, north side");
  device.Set("Message", "AS LEFT 2026");
  device.Set("Sns2Type", "3");
  device.Set("Sns3UpperRangeValue", "250.5");
  device.Set("Sns3LowerRangeValue", "-20.25");
  device.Set("Display3", "12");
  device.Set("CoeffA", "0.0039083");
  device.Set("Damping", "2.5");
  device.Set("TempUnit", "33");
  device.Set("BackupSensor", "3");
}

bool Sent(const SimDevice& device, const std::string& code) { return std::ranges::count(device.writes, code) > 0; }

TEST(TransferTest, UploadReadsEveryValueInTheDevicesUnits) {
  SimDevice device;
  Configure(device);
  const Configuration configuration = UploadOrFail(device);
  EXPECT_EQ(configuration.readAt, "2026-12-06T10:00:00Z");
  EXPECT_EQ(configuration.values.at("identification.tag"), Value{"TT-101"});
  EXPECT_EQ(configuration.values.at("identification.long tag"), Value{"Reactor 4 inlet, north side"});
  EXPECT_EQ(configuration.values.at("channel 3.upper range value"), Value{250.5});
  EXPECT_EQ(configuration.values.at("local temperature.unit"), Value{std::int64_t{33}});
  EXPECT_TRUE(device.writes.empty());
}

TEST(TransferTest, RoundTripThroughAFileLeavesNoDifferences) {
  SimDevice source;
  Configure(source);
  Result<Configuration> file = ParseConfiguration(FormatConfiguration(UploadOrFail(source)), "as-left.json");
  ASSERT_TRUE(file) << file.error().message;

  SimDevice target;
  target.Set("Sns5Type", "15");
  target.Set("Display1", "4");
  const DownloadPlan plan = PlanDownload(UploadOrFail(target), *file);
  const DownloadResult result = Download(target.link, *file, plan, {});
  ASSERT_FALSE(result.refusal) << result.refusal->title;
  ASSERT_FALSE(result.error) << *result.error;
  ASSERT_TRUE(result.verified);
  EXPECT_TRUE(result.verified->same());
  EXPECT_TRUE(Compare(*file, UploadOrFail(target)).same());
  // Only what differs is written: the HART settings were equal.
  EXPECT_FALSE(Sent(target, "2"));
  EXPECT_TRUE(Sent(target, "1"));
}

TEST(TransferTest, ASensorChangeAlsoRewritesItsChannelsRange) {
  SimDevice source;
  source.Set("Sns4Type", "3");
  const Configuration file = UploadOrFail(source);
  SimDevice target;
  const DownloadPlan plan = PlanDownload(UploadOrFail(target), file);
  std::vector<std::string> titles;
  for (const PlannedWrite& write : plan.writes) titles.push_back(write.write->title);
  EXPECT_EQ(titles, (std::vector<std::string>{"sensor of channel 4", "range of channel 4"}));
  EXPECT_TRUE(Download(target.link, file, plan, {}).ok());
}

TEST(TransferTest, RefusalStopsTheDownloadAndSaysWhatWasWritten) {
  SimDevice source;
  Configure(source);
  const Configuration file = UploadOrFail(source);
  SimDevice target;
  // The technician switches write protection on at the device while the
  // third write is on its way.
  target.onWrite = [&target](int n) {
    if (n == 3) target.Set("WriteProtect", "1");
  };
  const DownloadPlan plan = PlanDownload(UploadOrFail(target), file);
  ASSERT_GT(plan.writes.size(), 4U);
  const DownloadResult result = Download(target.link, file, plan, {});
  ASSERT_TRUE(result.refusal);
  EXPECT_EQ(result.refusal->responseCode, 7);
  EXPECT_EQ(result.refusal->meaning, "In Write Protect Mode!");
  EXPECT_EQ(result.refusal->title, plan.writes[2].write->title);
  EXPECT_EQ(result.written.size(), 2U);
  EXPECT_EQ(result.notWritten.size(), plan.writes.size() - 2);
  EXPECT_EQ(target.writes.size(), 3U);  // nothing sent after the refusal
  EXPECT_FALSE(result.verified);
}

TEST(TransferTest, AProtectedDeviceIsUnprotectedFirstWhenTheFileSaysSo) {
  SimDevice source;
  Configure(source);
  const Configuration file = UploadOrFail(source);
  SimDevice target;
  target.Set("WriteProtect", "1");
  const DownloadPlan plan = PlanDownload(UploadOrFail(target), file);
  ASSERT_FALSE(plan.writes.empty());
  EXPECT_EQ(plan.writes.front().write->code, 2);
  EXPECT_TRUE(Download(target.link, file, plan, {}).ok());
}

TEST(TransferTest, CancelStopsBeforeTheNextRequest) {
  SimDevice source;
  Configure(source);
  const Configuration file = UploadOrFail(source);
  SimDevice target;
  const DownloadPlan plan = PlanDownload(UploadOrFail(target), file);
  std::atomic<bool> cancel = false;
  TransferOptions options;
  options.cancel = &cancel;
  // The user presses Cancel while the first write is on its way.
  options.progress = [&cancel](const Progress& progress) { cancel = progress.done == 0; };
  const DownloadResult result = Download(target.link, file, plan, options);
  EXPECT_EQ(result.error, "the download was cancelled");
  EXPECT_EQ(result.written.size(), 1U);
  EXPECT_EQ(target.writes.size(), 1U);

  cancel = true;
  Result<Configuration> upload = Upload(target.link, options);
  ASSERT_FALSE(upload);
  EXPECT_EQ(upload.error().message, "the upload was cancelled");
}

TEST(TransferTest, ADeviceOffLineFailsTheUploadWithoutHanging) {
  SimDevice device;
  device.sim->SetOnline(false);
  Result<Configuration> upload = Upload(device.link, {});
  ASSERT_FALSE(upload);
  EXPECT_NE(upload.error().message.find("off line"), std::string::npos) << upload.error().message;
}

TEST(LinkClientTest, ADriverThatNeverAnswersFailsInsteadOfWaitingForever) {
  toolkit::Clock clock;
  // Something else keeps the host's clock busy all along, as a window's
  // timers do.
  std::function<void()> tick;
  tick = [&clock, &tick] { clock.callAt(clock.now() + 100, tick); };
  tick();
  auto driver = std::make_shared<fakes::FakeDriver>();
  LinkClient link(clock, AdvanceClock(clock));
  Result<bool> connected = link.Connect(driver);
  ASSERT_FALSE(connected);
  EXPECT_EQ(connected.error().message, "the device did not come on line");

  link.UpdateUI(0, "<DTMInfo state='Online' />");
  Result<std::string> read = link.Read(1, NoAttributes());
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().message, "the device did not answer the read 1");
  EXPECT_EQ(driver->requests.size(), 1U);
}

// What is due at the clock's very first moment is waited for too.
TEST(LinkClientTest, AnAnswerDueAtOnceIsWaitedFor) {
  toolkit::Clock clock;
  bool ran = false;
  clock.callAt(0, [&ran] { ran = true; });
  const Wait wait = AdvanceClock(clock);
  EXPECT_TRUE(wait());
  EXPECT_TRUE(ran);
  EXPECT_FALSE(wait());  // nothing more is due
}

TEST(TransferTest, CompareNamesEveryDifferingValueAndKeepsIdentityApart) {
  SimDevice device;
  const Configuration before = UploadOrFail(device);
  Configuration after = before;
  after.values["channel 6.upper range value"] = 99.0;
  after.values["device.device id"] = std::int64_t{4242};
  after.values["identification.tag"] = std::string("tt-7");
  const Comparison comparison = Compare(before, after);
  ASSERT_EQ(comparison.differences.size(), 2U);
  EXPECT_EQ(comparison.differences[0].key, "identification.tag");
  EXPECT_EQ(comparison.differences[1].key, "channel 6.upper range value");
  ASSERT_EQ(comparison.identity.size(), 1U);
  // Packed texts are kept in upper case: the case alone is no difference.
  std::string tag = ValueText(before.values.at("identification.tag"));
  std::ranges::transform(tag, tag.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  after.values["identification.tag"] = tag;
  EXPECT_EQ(Compare(before, after).differences.size(), 1U);
}

}  // namespace
}  // namespace zolin6::configuration
