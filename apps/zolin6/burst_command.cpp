#include "burst_command.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <iostream>
#include <memory>

#include "configuration/link_client.h"
#include "desktop/burst_records.h"
#include "history/command_history.h"
#include "link/link_tap.h"
#include "link/wall_time.h"

namespace zolin6::app {

namespace {

constexpr qsizetype kOnWords = 4;          // on, N, CMD, PERIOD_MS
constexpr int kHartInformationRead = 1;    // the pages that give the history its device: tag and serial number
constexpr int kDeviceInformationRead = 2;  // manufacturer and device type
constexpr auto kShortestMs = static_cast<std::uint32_t>(desktop::kShortestBurstPeriodS * 1000);
constexpr auto kLongestMs = static_cast<std::uint32_t>(desktop::kLongestBurstPeriodS * 1000);

Error Usage(const std::string& what) { return Error{"--burst: " + what}; }

// What a run of the command shares: the device, its way to the HART
// commands, and how to let its time pass.
struct BurstSession {
  OpenedDevice& device;
  driver::HartDriver& hart;
  configuration::Wait wait;
  std::ostream& out;

  // One transaction, waited for; a clear failure when no answer comes in time.
  hart::Completion ask(const driver::HartRequest& request) const {
    auto answer = std::make_shared<std::optional<hart::Completion>>();
    hart.Transact(request, [answer](const hart::Completion& completion) { *answer = completion; });
    toolkit::Clock& clock = device.clock();
    const toolkit::Millis until = clock.now() + desktop::kBurstAnswerTimeoutMs;
    while (!answer->has_value() && clock.now() <= until && wait()) {
    }
    if (answer->has_value()) return **answer;
    hart::Completion none;
    none.command = request.command;
    none.outcome = hart::Outcome::NoReply;
    return none;
  }

  // Reads and prints every message; false when one got no answer (a
  // message the device does not have is printed with its refusal).
  bool printMessages() const {
    bool answered = true;
    for (int n = 0; n < desktop::kBurstMessageCount; ++n) {
      const auto number = static_cast<std::uint8_t>(n);
      const hart::Completion completion = ask(desktop::ReadBurstMessage(number));
      const Result<desktop::BurstMessage> message = desktop::ParseBurstMessage(number, completion);
      out << "burst message " << n << ": "
          << (message ? desktop::DescribeBurstMessage(*message) : message.error().message) << '\n';
      answered = answered && completion.outcome == hart::Outcome::Replied;
    }
    return answered;
  }

  // Sends each change, kept in the history; stops at the first one the
  // device did not take. False then.
  bool change(const BurstRequest& asked, history::CommandHistory& history) const {
    const hart::Completion read = ask(desktop::ReadBurstMessage(asked.number));
    const Result<desktop::BurstMessage> was = desktop::ParseBurstMessage(asked.number, read);
    if (!was) {
      std::cerr << "zolin6: burst message " << int{asked.number} << ": " << was.error().message << '\n';
      return false;
    }
    const link::WallTime wallTime(device.clock(), QDateTime::currentMSecsSinceEpoch() - device.clock().now());
    for (const desktop::BurstChange& change : desktop::ChangesBetween(*was, asked.appliedTo(*was))) {
      history::Record record =
          desktop::BurstChangeRecord(change, history.recorder().memory().identity(), wallTime.now());
      if (!history.sink().Add(record)) std::cerr << "zolin6: the device history cannot take this change's record\n";
      desktop::CompleteBurstRecord(record, ask(change.request));
      history.sink().Complete(record);
      out << change.name << ": " << change.before << " \u2192 " << change.after << ": " << record.outcomeText << '\n';
      if (record.outcome != history::Outcome::Accepted) {
        std::cerr << "zolin6: " << change.name << ": " << record.outcomeText << '\n';
        return false;
      }
    }
    return true;
  }
};

}  // namespace

desktop::BurstMessage BurstRequest::appliedTo(const desktop::BurstMessage& was) const {
  desktop::BurstMessage wanted = was;
  wanted.on = on;
  if (!on) return wanted;
  wanted.command = command;
  wanted.updatePeriod = periodMs * desktop::kBurstTicksPerMs;
  if (variables) wanted.variables = *variables;
  wanted.trigger = desktop::BurstTrigger::Continuous;
  return wanted;
}

Result<BurstRequest> ParseBurstRequest(const QString& words) {
  const QStringList w = words.split(' ', Qt::SkipEmptyParts);
  BurstRequest request;
  request.on = w.size() >= kOnWords && w[0] == "on";
  if (!request.on && (w.size() != 2 || w[0] != "off")) {
    return Usage("takes \"on N CMD PERIOD_MS [VARIABLE...]\" or \"off N\"");
  }
  bool number = false;
  const uint n = w[1].toUInt(&number);
  if (!number || n >= static_cast<uint>(desktop::kBurstMessageCount)) return Usage("the message N is 0, 1 or 2");
  request.number = static_cast<std::uint8_t>(n);
  if (!request.on) return request;
  const uint command = w[2].toUInt(&number);
  if (!number || std::find(desktop::kBurstCommands.begin(), desktop::kBurstCommands.end(), command) ==
                     desktop::kBurstCommands.end()) {
    return Usage("the command CMD is 1, 2, 3, 9 or 48");
  }
  request.command = static_cast<std::uint16_t>(command);
  request.periodMs = w[3].toUInt(&number);
  if (!number || request.periodMs < kShortestMs || request.periodMs > kLongestMs) {
    return Usage("the period PERIOD_MS is a whole number of ms from 100 to 3600000");
  }
  if (w.size() > kOnWords) {
    request.variables = desktop::ParseBurstVariables(w.mid(kOnWords).join(' ').toStdString());
    if (!request.variables || command != 9) {
      return Usage("the variables are up to eight device variable codes below 250, for command 9 only");
    }
  }
  return request;
}

int RunBurstCommand(OpenedDevice& device, const history::StoreLocation& store,
                    const std::optional<BurstRequest>& change, std::ostream& out) {
  const configuration::Wait wait = device.Waiting();
  configuration::LinkClient client(device.clock(), wait);
  auto tap = link::LinkTap::Wrap(device.driver());
  // The records name the device as the window's do: from its information pages.
  history::CommandHistory history(
      store, device.clock(), [] { return std::string("Burst Mode"); }, "burst mode");
  tap->AddListener(&history.recorder());
  bool done = false;
  if (Result<bool> connected = client.Connect(tap); !connected) {
    std::cerr << "zolin6: " << connected.error().message << '\n';
  } else {
    const BurstSession session{device, *device.hart(), wait, out};
    bool changed = true;
    if (change) {
      // What cannot be read leaves the records without it; the change goes on.
      (void)client.Read(kHartInformationRead, configuration::NoAttributes());
      (void)client.Read(kDeviceInformationRead, configuration::NoAttributes());
      changed = session.change(*change, history);
    }
    const bool read = session.printMessages();
    if (!read) std::cerr << "zolin6: the device did not answer every burst message read\n";
    done = changed && read;
  }
  client.PrepareToRelease();
  tap->RemoveListener(&history.recorder());
  const std::string said = history.Close();
  if (!said.empty()) std::cerr << "zolin6: " << said << '\n';
  return done && said.empty() ? 0 : 2;
}

}  // namespace zolin6::app
