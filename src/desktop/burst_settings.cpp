#include "desktop/burst_settings.h"

#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cmath>

#include "hart/command_codec.h"

namespace zolin6::desktop {

namespace {

constexpr std::uint16_t kWritePeriod = 103;
constexpr std::uint16_t kWriteTrigger = 104;
constexpr std::uint16_t kReadMessage = 105;
constexpr std::uint16_t kWriteVariables = 107;
constexpr std::uint16_t kWriteCommand = 108;
constexpr std::uint16_t kControl = 109;

constexpr std::uint8_t kAdjusted = 8;           // a warning: carried out with values the device chose
constexpr std::uint8_t kTemperatureClass = 64;  // the classification a level trigger on a temperature takes
constexpr std::uint8_t kDegreesCelsius = 32;    // the units of a level given none

constexpr std::array<const char*, kBurstTriggerCount> kTriggerNames{"continuous", "window", "rising", "falling",
                                                                    "on change"};

driver::HartRequest Request(std::uint16_t command, const hart::Record& fields) {
  // The fields come from the dialog's own choices: they always fit the layout.
  Result<hart::Bytes> data = hart::BuildRequest(command, fields);
  return {command, data ? std::move(data).value() : hart::Bytes{}};
}

std::uint8_t Byte(const hart::Record& record, std::string_view field, int entry = hart::kNoEntry) {
  const Result<std::uint32_t> value = record.number(field, entry);
  return value ? static_cast<std::uint8_t>(*value) : 0;
}

std::uint32_t Number(const hart::Record& record, std::string_view field) {
  const Result<std::uint32_t> value = record.number(field);
  return value ? *value : 0;
}

std::string Name(const BurstMessage& message, const char* what) {
  return "Burst message " + std::to_string(message.number) + " " + what;
}

std::string PeriodText(std::uint32_t ticks) {
  return QLocale::c().toString(PeriodSeconds(ticks), 'g', 6).toStdString() + " s";
}

std::string TriggerText(const BurstMessage& m) {
  if (m.trigger == BurstTrigger::Continuous) return TriggerName(m.trigger);
  return std::string(TriggerName(m.trigger)) + " at " + QLocale::c().toString(m.triggerLevel, 'g', 6).toStdString();
}

bool SameTrigger(const BurstMessage& a, const BurstMessage& b) {
  if (a.trigger != b.trigger) return false;
  return a.trigger == BurstTrigger::Continuous || a.triggerLevel == b.triggerLevel;
}

}  // namespace

const char* TriggerName(BurstTrigger trigger) {
  const auto index = static_cast<std::size_t>(trigger);
  return index < kTriggerNames.size() ? kTriggerNames[index] : "unknown";
}

std::optional<std::vector<std::uint8_t>> ParseBurstVariables(std::string_view text) {
  static const QRegularExpression separators("[\\s,]+");
  std::vector<std::uint8_t> codes;
  const QString all = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  for (const QString& part : all.split(separators, Qt::SkipEmptyParts)) {
    bool number = false;
    const uint code = part.toUInt(&number);
    if (!number || code >= kSlotNotUsed || codes.size() == kBurstSlotCount) return std::nullopt;
    codes.push_back(static_cast<std::uint8_t>(code));
  }
  return codes;
}

std::string BurstVariablesText(const std::vector<std::uint8_t>& codes) {
  QStringList texts;
  for (const std::uint8_t code : codes) texts << QString::number(code);
  return texts.join(' ').toStdString();
}

std::string DescribeBurstMessage(const BurstMessage& m) {
  std::string text = std::string(m.on ? "on" : "off") + ", command " + std::to_string(m.command);
  if (!m.variables.empty()) text += " (variables " + BurstVariablesText(m.variables) + ")";
  return text + ", every " + PeriodText(m.updatePeriod) + ", at most every " + PeriodText(m.maximumPeriod) + ", " +
         TriggerText(m);
}

double PeriodSeconds(std::uint32_t ticks) { return ticks / (1000.0 * kBurstTicksPerMs); }

std::uint32_t PeriodTicks(double seconds) {
  return static_cast<std::uint32_t>(std::lround(seconds * 1000.0 * kBurstTicksPerMs));
}

driver::HartRequest ReadBurstMessage(std::uint8_t number) {
  return Request(kReadMessage, {{"burst message", std::uint32_t{number}}});
}

Result<BurstMessage> ParseBurstMessage(std::uint8_t number, const hart::Completion& completion) {
  if (completion.outcome != hart::Outcome::Replied) return Error{hart::Describe(completion.outcome)};
  const std::uint8_t code = completion.status.responseCode();
  if (completion.status.communicationError() || hart::IsErrorCode(code)) {
    return Error{BurstResponseText(kReadMessage, code)};
  }
  Result<hart::Record> reply = hart::ParseReply(kReadMessage, completion.status, completion.data);
  if (!reply) return Error{"the reply does not read: " + reply.error().message};
  const hart::Record& r = *reply;
  BurstMessage message;
  message.number = number;
  message.on = Byte(r, "burst mode control") != 0;
  message.command = static_cast<std::uint16_t>(Number(r, "burst command"));
  for (int slot = 0; slot < static_cast<int>(kBurstSlotCount); ++slot) {
    const std::uint8_t variable = Byte(r, "device variable", slot);
    if (r.has("device variable", slot) && variable != kSlotNotUsed) message.variables.push_back(variable);
  }
  message.updatePeriod = Number(r, "update period");
  message.maximumPeriod = Number(r, "maximum update period");
  message.trigger = static_cast<BurstTrigger>(std::min<int>(Byte(r, "trigger mode"), kBurstTriggerCount - 1));
  message.triggerClass = Byte(r, "trigger classification");
  message.triggerUnits = Byte(r, "trigger units");
  const Result<float> level = r.real("trigger level");
  message.triggerLevel = level ? *level : 0;
  return message;
}

std::vector<BurstChange> ChangesBetween(const BurstMessage& was, const BurstMessage& wanted) {
  const std::uint32_t number = wanted.number;
  std::vector<BurstChange> changes;
  auto control = [&] {
    changes.push_back({Request(kControl, {{"burst mode control", std::uint32_t{wanted.on}}, {"burst message", number}}),
                       Name(wanted, "publishing"), was.on ? "on" : "off", wanted.on ? "on" : "off"});
  };
  if (was.on && !wanted.on) control();
  if (was.command != wanted.command) {
    changes.push_back(
        {Request(kWriteCommand, {{"burst command", std::uint32_t{wanted.command}}, {"burst message", number}}),
         Name(wanted, "command"), std::to_string(was.command), std::to_string(wanted.command)});
  }
  if (was.variables != wanted.variables && !wanted.variables.empty()) {
    hart::Record fields;
    for (std::size_t slot = 0; slot < kBurstSlotCount; ++slot) {
      const std::uint8_t code = slot < wanted.variables.size() ? wanted.variables[slot] : kSlotNotUsed;
      fields.set("device variable", std::uint32_t{code}, static_cast<int>(slot));
    }
    fields.set("burst message", number);
    changes.push_back({Request(kWriteVariables, fields), Name(wanted, "variables"), BurstVariablesText(was.variables),
                       BurstVariablesText(wanted.variables)});
  }
  if (was.updatePeriod != wanted.updatePeriod) {
    const std::uint32_t maximum = std::max(wanted.updatePeriod, wanted.maximumPeriod);
    changes.push_back({Request(kWritePeriod, {{"burst message", number},
                                              {"update period", wanted.updatePeriod},
                                              {"maximum update period", maximum}}),
                       Name(wanted, "period"), PeriodText(was.updatePeriod), PeriodText(wanted.updatePeriod)});
  }
  if (!SameTrigger(was, wanted)) {
    const bool level = wanted.trigger != BurstTrigger::Continuous;
    // A level is a temperature: the message's own units, or degrees Celsius.
    const std::uint8_t units = !level                                ? kSlotNotUsed
                               : wanted.triggerUnits != kSlotNotUsed ? wanted.triggerUnits
                                                                     : kDegreesCelsius;
    changes.push_back(
        {Request(kWriteTrigger, {{"burst message", number},
                                 {"trigger mode", static_cast<std::uint32_t>(wanted.trigger)},
                                 {"trigger classification", std::uint32_t{level ? kTemperatureClass : 0U}},
                                 {"trigger units", std::uint32_t{units}},
                                 {"trigger level", level ? wanted.triggerLevel : 0.0F}}),
         Name(wanted, "trigger"), TriggerText(was), TriggerText(wanted)});
  }
  if (!was.on && wanted.on) control();
  return changes;
}

std::string BurstAnswerText(const hart::Completion& completion) {
  if (completion.outcome != hart::Outcome::Replied) return hart::Describe(completion.outcome);
  const std::uint8_t code = completion.status.responseCode();
  if (code == 0) return "accepted";
  std::string said = BurstResponseText(completion.command, code);
  if (completion.command != kWritePeriod || code != kAdjusted) return said;
  // The reply carries the periods the device keeps.
  const Result<hart::Record> reply = hart::ParseReply(kWritePeriod, completion.status, completion.data);
  const Result<std::uint32_t> kept = reply ? reply->number("update period") : Result<std::uint32_t>(Error{""});
  return kept ? said + " (" + PeriodText(*kept) + ")" : said;
}

bool BurstChangeTaken(std::uint8_t code) { return code == 0 || code == kAdjusted; }

std::string BurstResponseText(std::uint16_t command, std::uint8_t code) {
  switch (code) {
    case 0: return {};
    case 2:
      return command == kWriteCommand ? "the device cannot publish this command" : "a value the device does not take";
    case 5: return "the device found the request too short";
    case 7: return "the device is write protected";
    case kAdjusted:
      return command == kWriteCommand ? "done; the device set the trigger back to continuous"
                                      : "done; the device adjusted the period to one it keeps";
    case 9: return "the device has no such burst message";
    case 11: return "the device does not take a level of this kind";
    case 12: return "the device does not take the level's units";
    case 13: return "this trigger does not go with the message's command";
    case 16: return "the device refuses access now";
    case 19: return "the first variable slot must name a variable";
    case 32: return "the device stayed busy";
    case 64: return "the device does not know this command";
    default: return "the device answered response code " + std::to_string(code);
  }
}

}  // namespace zolin6::desktop
