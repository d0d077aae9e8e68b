// The trend's memory and the recording, fed by the real control polling the
// simulated transmitter through the link tap.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>
#include <sstream>

#include "fakes/control_harness.h"
#include "link/link_tap.h"
#include "transport/simulated_device.h"
#include "trend/csv.h"
#include "trend/csv_recorder.h"
#include "trend/trend_buffer.h"

namespace zolin6::trend {
namespace {

constexpr std::int64_t kEpoch = 1788000000000;  // 2026-08-29T10:40:00Z, the clock's 0

link::Notification Observe(const char* loopCurrent, const char* pv, const char* pvUnit) {
  std::string text = "<Parameters>";
  const std::pair<const char*, const char*> pairs[] = {
      {"LoopCurrent", loopCurrent}, {"PercentRange", "50"}, {"PV", pv},      {"SV", "20.5"}, {"TV", "25"},
      {"PVUnit", pvUnit},           {"SVUnit", "32"},       {"TVUnit", "32"}};
  for (const auto& [tag, value] : pairs) text += std::string("<P tag='") + tag + "' value='" + value + "'/>";
  return link::ParseNotification(2400, text + "</Parameters>");
}

TEST(ObservedValues, TakeUnitsFromTheDocumentAndNotANumberAsNaN) {
  const std::vector<ObservedValue> values = ObservedValues(Observe("1.#QNAN", "21.456", "33"));
  ASSERT_EQ(values.size(), 5U);
  EXPECT_TRUE(std::isnan(values[0].value));
  EXPECT_EQ(values[0].unit, "mA");
  EXPECT_EQ(values[1].unit, "%");
  EXPECT_EQ(values[2], (ObservedValue{"PV", "°F", 21.456}));
  EXPECT_EQ(values[3].unit, "°C");
  // 2141192192 is the device's NaN read as an integer.
  EXPECT_TRUE(std::isnan(ObservedValues(Observe("4", "2141192192", "32"))[2].value));
  // A document without its units is not half a sample.
  EXPECT_TRUE(ObservedValues(link::ParseNotification(2400, "<P tag='PV' value='1'/>")).empty());
  EXPECT_TRUE(ObservedValues(link::ParseNotification(1900, "<P tag='PV' value='1'/>")).empty());
}

// The second tab's rows take the names of the variables its read asked for.
TEST(ObservedValues, NameTheChosenVariables) {
  std::string request = "<ViewData><ControlData Attribute1=\"02\" Attribute2=\"0C\" Attribute3=\"\"";
  for (int i = 4; i <= 22; ++i) request += " Attribute" + std::to_string(i) + "=\"None\"";
  const std::vector<std::string> names = ChosenVariables(request + "/></ViewData>");
  EXPECT_EQ(names, (std::vector<std::string>{"Sensor 3", "Local Temp", "", "", "", "", "", ""}));
  std::string document = "<P>";
  for (int i = 1; i <= 8; ++i) {
    document += "<V tag='Var" + std::to_string(i) + "' value='" + std::to_string(i) + "'/><V tag='Var" +
                std::to_string(i) + "Unit' value='32'/>";
  }
  const std::vector<ObservedValue> values = ObservedValues(link::ParseNotification(3200, document + "</P>"), names);
  ASSERT_EQ(values.size(), 8U);
  EXPECT_EQ(values[0], (ObservedValue{"Sensor 3", "°C", 1}));
  EXPECT_EQ(values[2].name, "Var 3");
  // Before any read named them (or with fewer names), the rows keep theirs.
  const std::vector<ObservedValue> unnamed =
      ObservedValues(link::ParseNotification(3200, document + "</P>"), {"Sensor 1"});
  ASSERT_EQ(unnamed.size(), 8U);
  EXPECT_EQ(unnamed[0].name, "Sensor 1");
  EXPECT_EQ(unnamed[7].name, "Var 8");
}

TEST(TrendBuffer, KeepsNaNAsAGapAndOneSeriesPerUnit) {
  TrendBuffer buffer;
  buffer.Append(0, ObservedValues(Observe("4", "20", "32")));
  buffer.Append(3000, ObservedValues(Observe("1.#R", "1.#QNAN", "32")));
  buffer.Append(6000, ObservedValues(Observe("5", "70", "33")));  // PV now in °F
  ASSERT_EQ(buffer.series().size(), 6U);
  const Series& current = buffer.series()[0];
  ASSERT_EQ(current.samples.size(), 3U);
  EXPECT_TRUE(std::isnan(current.samples.at(1).value));
  EXPECT_EQ(current.samples.at(2).value, 5);
  EXPECT_EQ(buffer.series()[2].unit, "°C");
  EXPECT_EQ(buffer.series()[2].samples.size(), 2U);
  EXPECT_EQ(buffer.series()[5].name, "PV");
  EXPECT_EQ(buffer.series()[5].unit, "°F");
}

// The window's first and last moment are both kept: 9 s at 3 s are four
// samples, and a day at the fastest polling one more than 28800. Faster
// values (bursts) keep one sample in each stretch of that spacing, the first.
TEST(TrendBuffer, KeepsTheWholeWindowAtItsSpacing) {
  TrendBuffer buffer(9000, 3000);
  for (toolkit::Millis time = 0; time <= 12000; time += 3000) buffer.Append(time, {{"PV", "°C", 1.0}});
  const SampleRing& samples = buffer.series().at(0).samples;
  ASSERT_EQ(samples.size(), 4U);
  EXPECT_EQ(samples.at(0).time, 3000);
  EXPECT_EQ(samples.at(3).time, 12000);
  TrendBuffer day;
  day.Append(0, {{"PV", "°C", 1.0}});
  EXPECT_EQ(day.series().at(0).samples.capacity(), 28801U);
  EXPECT_EQ(SampleRing(0).capacity(), 1U);

  TrendBuffer stretch(9000, 3000);
  for (const toolkit::Millis time : {0, 2999, 3000, 5999, 6000}) stretch.Append(time, {{"PV", "°C", 1.0}});
  const SampleRing& kept = stretch.series().at(0).samples;
  ASSERT_EQ(kept.size(), 3U);
  EXPECT_EQ(kept.at(1).time, 3000);
  EXPECT_EQ(kept.at(2).time, 6000);
}

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer keeps freed memory in quarantine: the resident size
// grows with every allocation made and freed, and says nothing of the trend.
constexpr bool kResidentSizeMeaningful = false;
#else
constexpr bool kResidentSizeMeaningful = true;
#endif

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// A day of polling on the manual clock, through the control and the
// simulated transmitter: the memory after the day is that after one hour.
TEST(TrendSoak, ADayOfNotificationsUsesNoMoreMemoryThanAnHour) {
  fakes::ControlHarness h;
  auto sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  auto tap = link::LinkTap::Wrap(sim);
  TrendBuffer buffer;
  ObservationFeed feed(h.clock);
  feed.Subscribe(
      [&buffer](toolkit::Millis time, const std::vector<ObservedValue>& values) { buffer.Append(time, values); });
  tap->AddListener(&feed);
  h.control->Init("invoke-1", "", tap);
  h.clock.advance(2000);
  h.ClickTree("Observe");
  constexpr toolkit::Millis kHour = 60LL * 60 * 1000;
  h.clock.advance(kHour);
  const long afterHour = ResidentKilobytes();
  const std::size_t samplesAfterHour = buffer.series().at(0).samples.size();
  h.clock.advance(25 * kHour);
  const long afterDay = ResidentKilobytes();
  h.control->PrepareToRelease();
  tap->RemoveListener(&feed);

  EXPECT_GT(samplesAfterHour, 1000U);  // the page really polled
  EXPECT_EQ(buffer.series().at(0).samples.size(), buffer.series().at(0).samples.capacity());
  if (kResidentSizeMeaningful) {
    EXPECT_LE(afterDay - afterHour, 512) << "kB grown from the first hour to the end of the day";
  }
}

TEST(CsvRecorder, ARecordingParsesBackToTheSameValuesAndTimes) {
  QTemporaryDir folder;
  const std::string path = folder.filePath("session.csv").toStdString();
  toolkit::Clock clock;
  constexpr int kOffset = 2 * 3600;
  auto started = CsvRecorder::Start(path, link::WallTime(clock, kEpoch), kOffset);
  ASSERT_TRUE(started);
  std::unique_ptr<CsvRecorder> recorder = std::move(started).value();
  const std::vector<std::vector<ObservedValue>> session{ObservedValues(Observe("4.25", "21.456", "32")),
                                                        ObservedValues(Observe("1.#QNAN", "-3.5e-07", "32")),
                                                        ObservedValues(Observe("19.999", "1000.125", "32"))};
  for (const auto& values : session) {
    clock.advance(3001);
    recorder->Append(clock.now(), values);
  }
  ASSERT_TRUE(recorder->Stop());

  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(static_cast<std::int64_t>(text.str().size()), recorder->bytesWritten());
  const auto lines = ParseCsv(text.str());
  ASSERT_EQ(lines.size(), 4U);
  EXPECT_EQ(lines[0], (std::vector<std::string>{"time", "Loop current [mA]", "Percent of range [%]", "PV [°C]",
                                                "SV [°C]", "TV [°C]"}));
  for (std::size_t i = 0; i < session.size(); ++i) {
    const std::vector<std::string>& line = lines[i + 1];
    const QDateTime time = QDateTime::fromString(QString::fromStdString(line[0]), Qt::ISODateWithMs);
    EXPECT_EQ(time.toMSecsSinceEpoch(), kEpoch + 3001 * static_cast<std::int64_t>(i + 1)) << line[0];
    EXPECT_EQ(time.offsetFromUtc(), kOffset);
    for (std::size_t column = 0; column < session[i].size(); ++column) {
      const double expected = session[i][column].value;
      if (std::isnan(expected)) {
        EXPECT_EQ(line[column + 1], "");  // a gap, not a zero
      } else {
        EXPECT_EQ(std::stod(line[column + 1]), expected);
      }
    }
  }
}

// On the clock, a line reaches the disk within five seconds, and not with
// every line: the disk is not worn by a line every few seconds.
TEST(CsvRecorder, FlushesEveryFiveSecondsNotEveryLine) {
  QTemporaryDir folder;
  const std::string path = folder.filePath("flush.csv").toStdString();
  toolkit::Clock clock;
  std::unique_ptr<CsvRecorder> recorder = CsvRecorder::Start(path, link::WallTime(clock, kEpoch), 0).value();
  auto onDisk = [&path] {
    std::ifstream file(path, std::ios::binary);
    return static_cast<std::int64_t>(std::string(std::istreambuf_iterator<char>(file), {}).size());
  };
  const auto values = ObservedValues(Observe("4", "20", "32"));
  recorder->Append(clock.now(), values);
  EXPECT_EQ(onDisk(), 0);  // not yet due
  clock.advance(kRecordingFlushInterval);
  recorder->FlushIfDue();
  const std::int64_t first = recorder->bytesWritten();
  EXPECT_EQ(onDisk(), first);

  clock.advance(1000);
  recorder->Append(clock.now(), values);
  EXPECT_EQ(onDisk(), first);  // not on the line itself
  clock.advance(kRecordingFlushInterval - 1000 - 1);
  recorder->FlushIfDue();
  EXPECT_EQ(onDisk(), first);
  clock.advance(1);
  recorder->FlushIfDue();
  EXPECT_EQ(onDisk(), recorder->bytesWritten());

  // A line that comes when a flush is due takes it along.
  clock.advance(kRecordingFlushInterval);
  recorder->Append(clock.now(), values);
  EXPECT_EQ(onDisk(), recorder->bytesWritten());

  // Stopped, it writes nothing more.
  ASSERT_TRUE(recorder->Stop());
  const std::int64_t lines = recorder->lines();
  recorder->Append(clock.now(), values);
  EXPECT_EQ(recorder->lines(), lines);
  EXPECT_EQ(onDisk(), recorder->bytesWritten());
}

// A full disk is told when the write fails, not at the stop, and once.
TEST(CsvRecorder, TellsAWriteErrorWhenItHappens) {
  toolkit::Clock clock;
  std::vector<std::string> told;
  auto started = CsvRecorder::Start("/dev/full", link::WallTime(clock, kEpoch), 0,
                                    [&told](const std::string& reason) { told.push_back(reason); });
  ASSERT_TRUE(started) << started.error().message;
  std::unique_ptr<CsvRecorder> recorder = std::move(started).value();
  const auto values = ObservedValues(Observe("4", "20", "32"));
  recorder->Append(clock.now(), values);
  EXPECT_TRUE(told.empty());  // still in memory
  clock.advance(kRecordingFlushInterval);
  recorder->FlushIfDue();
  ASSERT_EQ(told, std::vector<std::string>{"cannot write /dev/full: No space left on device"});
  EXPECT_TRUE(recorder->failed());
  const std::int64_t lines = recorder->lines();
  clock.advance(kRecordingFlushInterval);
  recorder->Append(clock.now(), values);
  EXPECT_EQ(recorder->lines(), lines);
  Result<bool> stopped = recorder->Stop();
  ASSERT_FALSE(stopped);
  EXPECT_EQ(stopped.error().message, told.front());
  EXPECT_EQ(told.size(), 1U);
}

TEST(Csv, QuotesOnlyWhatMustBeQuoted) {
  const std::pair<const char*, const char*> cases[] = {
      {"21.5", "21.5"}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\nlines", "\"two\nlines\""},
      {"", ""},
  };
  for (const auto& [text, field] : cases) {
    EXPECT_EQ(CsvField(text), field);
    EXPECT_EQ(ParseCsv(CsvLine({text, "x"})), (std::vector<std::vector<std::string>>{{text, "x"}}));
  }
  // A file saved by another program may end its lines without the return.
  EXPECT_EQ(ParseCsv("a,bc\nd,\r\n"), (std::vector<std::vector<std::string>>{{"a", "bc"}, {"d", ""}}));
}

// A text a spreadsheet would run is written so that it shows it; a signed
// number stays a number.
TEST(Csv, TextsThatStartAFormulaStayTexts) {
  const std::pair<const char*, const char*> cases[] = {
      // formulas
      {"=1+2", "\"'=1+2\""},
      {"+5", "\"'+5\""},
      {"@SUM(A1)", "\"'@SUM(A1)\""},
      {"-1-2", "\"'-1-2\""},
      {"-", "\"'-\""},
      {"-nan", "\"'-nan\""},
      {"\t=1", "\"'\t=1\""},
      {"\r=1", "\"'\r=1\""},
      {"=\"x\",1", "\"'=\"\"x\"\",1\""},
      // numbers and plain texts
      {"-12.500", "-12.500"},
      {"-1e-07", "-1e-07"},
      {"-.5", "-.5"},
      {"TT-101", "TT-101"},
      {"a=b", "a=b"},
      {"", ""},
  };
  for (const auto& [text, field] : cases) {
    EXPECT_EQ(CsvTextField(text), field) << text;
    const std::string shown = field[0] == '"' && field[1] == '\'' ? std::string("'") + text : std::string(text);
    EXPECT_EQ(ParseCsv(CsvTextLine({text, "x"})), (std::vector<std::vector<std::string>>{{shown, "x"}})) << text;
  }
}

}  // namespace
}  // namespace zolin6::trend
