// The survey of several endpoints on loopback: the devices of those that
// answer, why the others did not, and the rows kept across surveys as
// devices come and go.

#include "plant/survey.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "served_plant.h"

namespace zolin6::plant {
namespace {

using testing::Plant;
using testing::ServedTransmitter;
using testing::SilentPort;

const PlantDevice* Row(const Survey& survey, std::uint32_t deviceId) {
  for (const PlantDevice& row : survey.rows()) {
    if (row.deviceId == deviceId) return &row;
  }
  return nullptr;
}

// Runs the event loop as the program does (it sleeps between the survey's
// due moments) until the survey has finished, for a minute at most.
bool Surveyed(Survey& survey, bool& finished, bool refresh = false) {
  finished = false;
  refresh ? survey.Refresh() : survey.Start();
  QEventLoop loop;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, &loop, [&] {
    if (finished) loop.quit();
  });
  look.start(5);
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  if (!finished) loop.exec();
  return finished;
}

TEST(Survey, ReadsTheEndpointsThatAnswerAndSaysWhyNotTheOthers) {
  ServedTransmitter first(1001);
  ServedTransmitter second(1002);
  second.transmitter.mutableState().forcedDeviceStatus = 0x80;
  const std::uint16_t down = SilentPort();
  bool finished = false;
  std::vector<SurveyProgress> progress;
  Survey survey(Plant({first.address(), "hart-ip://127.0.0.1:" + std::to_string(down), second.address()}),
                {[&](const SurveyProgress& p) { progress.push_back(p); }, [&](bool) { finished = true; }}, 2);
  ASSERT_TRUE(Surveyed(survey, finished));

  ASSERT_EQ(survey.rows().size(), 2U);
  const PlantDevice* one = Row(survey, 1001);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->endpoint, first.address());
  EXPECT_EQ(one->subDevice, 0);
  EXPECT_EQ(one->tag, "TT-1001");
  EXPECT_EQ(one->longTag, "ZOLIN-6 TEMPERATURE TRANSMITTER");
  EXPECT_EQ(ManufacturerText(one->manufacturer), "NORVEL S.A.");
  EXPECT_EQ(one->health, Health::Ok);
  EXPECT_TRUE(one->pv.has_value());
  EXPECT_EQ(one->unit, "°C");
  EXPECT_TRUE(one->answering);
  EXPECT_GT(one->lastSeenUtc, 0);
  ASSERT_NE(Row(survey, 1002), nullptr);
  EXPECT_EQ(Row(survey, 1002)->health, Health::Failure);

  const std::vector<EndpointOutcome>& outcomes = survey.outcomes();
  EXPECT_TRUE(outcomes[0].reached);
  EXPECT_EQ(outcomes[0].devices, 1);
  EXPECT_FALSE(outcomes[1].reached);
  EXPECT_NE(outcomes[1].why.find("refused"), std::string::npos) << outcomes[1].why;
  EXPECT_TRUE(outcomes[2].reached);
  ASSERT_EQ(progress.size(), 3U);
  EXPECT_EQ(progress.back().endpointsDone, 3);
  EXPECT_EQ(progress.back().endpointsTotal, 3);
  EXPECT_EQ(progress.back().devicesFound, 2);
}

TEST(Survey, KeepsTheRowOfADeviceThatLeftAndAddsOneThatCame) {
  auto staying = std::make_unique<ServedTransmitter>(2001);
  auto leaving = std::make_unique<ServedTransmitter>(2002);
  const std::uint16_t later = SilentPort();
  bool finished = false;
  Survey survey(Plant({staying->address(), leaving->address(), "hart-ip://127.0.0.1:" + std::to_string(later)}),
                {{}, [&](bool) { finished = true; }});
  ASSERT_TRUE(Surveyed(survey, finished));
  ASSERT_EQ(survey.rows().size(), 2U);
  const std::int64_t leftSeen = Row(survey, 2002)->lastSeenUtc;

  leaving.reset();
  ServedTransmitter coming(2003, later);
  ASSERT_TRUE(Surveyed(survey, finished));
  ASSERT_EQ(survey.rows().size(), 3U);
  EXPECT_TRUE(Row(survey, 2001)->answering);
  EXPECT_FALSE(Row(survey, 2002)->answering);
  EXPECT_EQ(Row(survey, 2002)->lastSeenUtc, leftSeen);
  EXPECT_EQ(Row(survey, 2002)->tag, "TT-2002");
  EXPECT_TRUE(Row(survey, 2003)->answering);

  // A refresh reads the status again: the failure shows, the rows stay;
  // another device where 2003 was does not answer for it.
  staying->transmitter.mutableState().forcedDeviceStatus = 0x80;
  coming.transmitter.mutableState().identification.serialNumber = 2009;
  ASSERT_TRUE(Surveyed(survey, finished, true));
  ASSERT_EQ(survey.rows().size(), 3U);
  EXPECT_EQ(Row(survey, 2001)->health, Health::Failure);
  EXPECT_FALSE(Row(survey, 2002)->answering);
  EXPECT_FALSE(Row(survey, 2003)->answering);
}

TEST(Survey, ReadsTheDevicesBehindAnIoSystemAndNotItself) {
  auto gateway = std::make_unique<testing::ServedGateway>(3);
  const std::uint16_t port = gateway->port;
  bool finished = false;
  Survey survey(Plant({gateway->address()}), {{}, [&](bool) { finished = true; }});
  ASSERT_TRUE(Surveyed(survey, finished));
  ASSERT_EQ(survey.rows().size(), 3U);
  for (std::uint16_t index = 1; index <= 3; ++index) {
    const PlantDevice* row = Row(survey, 200000 + index);
    ASSERT_NE(row, nullptr) << index;
    EXPECT_EQ(row->subDevice, index);
    EXPECT_EQ(row->tag, "TT-00" + std::to_string(index));
    EXPECT_EQ(row->longTag, row->tag);  // from 84
    EXPECT_EQ(row->unit, "°C");
    EXPECT_TRUE(row->answering);
  }
  const std::int64_t thirdSeen = Row(survey, 200003)->lastSeenUtc;

  // The I/O system now holds two: the third keeps its row, not answering,
  // on a survey and on a refresh alike (its route leads nowhere now).
  gateway.reset();
  testing::ServedGateway fewer(2, port);
  for (const bool refresh : {false, true}) {
    ASSERT_TRUE(Surveyed(survey, finished, refresh));
    ASSERT_EQ(survey.rows().size(), 3U);
    EXPECT_TRUE(Row(survey, 200002)->answering);
    EXPECT_FALSE(Row(survey, 200003)->answering);
    EXPECT_EQ(Row(survey, 200003)->lastSeenUtc, thirdSeen);
    EXPECT_EQ(survey.outcomes()[0].devices, 2);
  }
}

#ifdef ZOLIN6_DEVICE_PROGRAM
TEST(Survey, ReadsAMultiplexerOnASerialLine) {
  QTemporaryDir dir;
  const QString modem = dir.filePath("modem");
  QProcess device;
  device.start(ZOLIN6_DEVICE_PROGRAM, {"--pty", modem, "--gateway", "2"});
  ASSERT_TRUE(transport::testing::RunUntil([&] { return QFileInfo::exists(modem); }));
  bool finished = false;
  Survey survey(Plant({"serial:" + modem.toStdString()}), {{}, [&](bool) { finished = true; }});
  ASSERT_TRUE(Surveyed(survey, finished));
  device.terminate();
  device.waitForFinished();
  EXPECT_TRUE(survey.outcomes()[0].reached) << survey.outcomes()[0].why;
  ASSERT_EQ(survey.rows().size(), 2U);
  EXPECT_EQ(Row(survey, 200002)->tag, "TT-002");
  EXPECT_EQ(Row(survey, 200002)->subDevice, 2);
  EXPECT_TRUE(Row(survey, 200002)->pv.has_value());
}
#endif

TEST(Survey, CancelStopsEveryVisit) {
  ServedTransmitter served(3001);
  bool finished = false;
  bool cancelled = false;
  Survey survey(Plant({served.address()}), {{}, [&](bool c) {
                                              finished = true;
                                              cancelled = c;
                                            }});
  survey.Start();
  survey.Cancel();
  EXPECT_TRUE(finished);
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(survey.running());
  EXPECT_TRUE(survey.rows().empty());
  // Nothing the cancelled visit still hears reaches the rows.
  transport::testing::RunUntil([] { return false; }, 300);
  EXPECT_TRUE(survey.rows().empty());
}

}  // namespace
}  // namespace zolin6::plant
