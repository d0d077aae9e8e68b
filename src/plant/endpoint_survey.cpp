#include "plant/endpoint_survey.h"

#include <cmath>

#include "codecs/enumerated.h"
#include "hart/command_codec.h"
#include "hart/command_numbers.h"
#include "hart/status.h"

namespace zolin6::plant {

namespace {

// The unit code of a variable that is not used.
constexpr std::uint32_t kUnitNotUsed = 250;

// Packed and Latin-1 texts come padded with blanks or NULs.
std::string Trimmed(std::string text) {
  const std::size_t end = text.find_last_not_of(std::string_view(" \0", 2));
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

// The parsed reply of a command the device answered without an error.
Result<hart::Record> Parsed(std::uint16_t command, bool answered, const hart::ReplyStatus& status,
                            hart::ByteView data) {
  if (!answered) return Error{"no answer"};
  return hart::ParseReply(command, status, data);
}

template <class T>
T Or(const Result<T>& result, T fallback) {
  return result ? *result : std::move(fallback);
}

std::string UnitText(std::uint32_t code) {
  std::string text = codecs::GetUnitText(static_cast<std::int16_t>(code));
  return text.empty() ? std::to_string(code) : text;
}

}  // namespace

EndpointSurvey::EndpointSurvey(toolkit::Clock& clock, std::shared_ptr<driver::ByteLink> link,
                               hart::MasterSettings settings, std::string endpoint, Finished finished)
    : clock_(clock),
      link_(std::move(link)),
      settings_(settings),
      endpoint_(std::move(endpoint)),
      finished_(std::move(finished)) {
  // Command 48 is read here, when a reply flags it, for sub-devices as for
  // the endpoint's own device.
  settings_.readMoreStatus = false;
}

void EndpointSurvey::At(toolkit::Millis at, std::function<void(EndpointSurvey&)> work) {
  clock_.callAt(at, [weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

void EndpointSurvey::Begin() {
  running_ = true;
  devices_.clear();
  done_.clear();
  next_ = 0;
  master_.emplace(settings_);
  // The listeners stay after the survey: what arrives then is ignored, and
  // whoever uses the link next installs its own.
  link_->Listen([weak = weak_from_this()](hart::ByteView bytes, toolkit::Millis /*now*/) {
    if (auto self = weak.lock()) self->Pump(bytes);
  });
  link_->WatchState([weak = weak_from_this()](bool up, toolkit::Millis /*now*/) {
    auto self = weak.lock();
    if (!self || up || !self->running_) return;
    const bool wasUp = self->master_ && self->master_->identity();
    self->Finish(false, wasUp ? "the line went down" : "no connection");
  });
}

void EndpointSurvey::Start() {
  if (running_) return;
  Begin();
  refresh_ = false;
  // The master sends command 0 first; a device that does not answer ends 74 unsent.
  Ask(hart::kReadIoSystemCapabilities, {}, [this](const Answer& answer) { OnCapabilities(answer); });
}

void EndpointSurvey::Refresh(std::vector<SurveyedDevice> known) {
  if (running_) return;
  Begin();
  refresh_ = true;
  devices_ = std::move(known);
  if (devices_.empty()) {
    // Nothing to read: whether the endpoint answers at all.
    return Ask(hart::kReadUniqueIdentifier, {}, [this](const Answer&) { Finish(true, {}); });
  }
  ReadNext();
}

void EndpointSurvey::Cancel() {
  if (running_) Finish(false, "cancelled", true);
}

void EndpointSurvey::Ask(std::uint16_t command, hart::Bytes data, Then then) {
  waitingFor_ = master_->submit(command, std::move(data), hart::Effect::Repeatable);
  then_ = std::move(then);
  // The request goes out now; from an answer's handler too, as the
  // master's step that gave that answer has returned.
  Pump({});
}

void EndpointSurvey::AskDevice(std::size_t at, std::uint16_t command, Then then) {
  const std::optional<hart::SubDeviceIdentity>& sub = devices_[at].identity;
  if (!sub) return Ask(command, {}, std::move(then));
  hart::Frame frame;
  frame.address = sub->address();
  frame.command = command;
  Result<hart::Bytes> request = hart::EncodeSubDeviceRequest(sub->route, hart::SubDeviceRequest{}.preambles, frame);
  Ask(hart::kSendToSubDevice, request ? *request : hart::Bytes{},
      [then = std::move(then), address = frame.address, command](const Answer& carried) {
        Answer answer;
        answer.outcome = carried.outcome;
        if (carried.answered && !carried.status.isError()) {
          const Result<hart::SubDeviceReply> reply = hart::DecodeSubDeviceReply(carried.data);
          const hart::DecodeResult decoded = reply ? hart::DecodeFrame(reply->frame) : hart::DecodeResult{};
          // Only the sub-device's own reply to this command is its answer.
          if (decoded && decoded.frame.type == hart::FrameType::Reply && decoded.frame.command == command &&
              decoded.frame.address.sameDevice(address) && !decoded.frame.status.communicationError()) {
            answer.answered = true;
            answer.status = decoded.frame.status;
            answer.data.assign(decoded.frame.data.begin(), decoded.frame.data.end());
          }
        }
        then(answer);
      });
}

void EndpointSurvey::Pump(hart::ByteView received) {
  if (!running_ || !master_) return;
  const std::shared_ptr<EndpointSurvey> keep = shared_from_this();  // a callback may let go of it
  const hart::Step step = master_->step(hart::Millis{clock_.now()}, received);
  if (!step.transmit.empty()) link_->Send(step.transmit, clock_.now());
  for (const hart::Completion& completion : step.completed) {
    if (completion.id == 0 || completion.id != waitingFor_) continue;
    if (completion.outcome == hart::Outcome::NoDevice) return Finish(false, "no answer to command 0");
    waitingFor_ = 0;
    Answer answer;
    answer.outcome = completion.outcome;
    answer.answered = completion.outcome == hart::Outcome::Replied && !completion.status.communicationError();
    answer.status = completion.status;
    answer.data = completion.data;
    const Then then = std::move(then_);
    then(answer);
    if (!running_) return;
  }
  if (step.wakeAt && step.wakeAt->count() != wakeScheduled_) {
    wakeScheduled_ = step.wakeAt->count();
    At(*wakeScheduled_, [generation = generation_](EndpointSurvey& self) {
      if (self.running_ && self.generation_ == generation) self.Pump({});
    });
  }
}

void EndpointSurvey::OnCapabilities(const Answer& answer) {
  if (!answer.answered) return Finish(false, std::string("command 74: ") + hart::Describe(answer.outcome));
  if (answer.status.isError()) {
    // Not an I/O system: the device at the endpoint is the plant's.
    const hart::Record& id = master_->identity()->identifier;
    SurveyedDevice device;
    device.row.endpoint = endpoint_;
    // HART 5 devices stop before the manufacturer field.
    if (const Result<std::uint32_t> maker = id.number("manufacturer")) {
      device.row.manufacturer = static_cast<std::uint16_t>(*maker);
    }
    device.row.deviceType = static_cast<std::uint16_t>(Or(id.number("expanded device type"), 0U));
    device.row.deviceId = Or(id.number("device id"), 0U);
    devices_.push_back(std::move(device));
    return ReadNext();
  }
  const Result<hart::IoSystemCapabilities> capabilities = hart::DecodeIoSystemCapabilities(answer.data);
  if (!capabilities) return Finish(false, "command 74: " + capabilities.error().message);
  devicesDetected_ = capabilities->devicesDetected;
  ReadIdentity(1);
}

void EndpointSurvey::ReadIdentity(std::uint16_t index) {
  if (index >= devicesDetected_) return ReadNext();
  Ask(hart::kReadSubDeviceIdentity, hart::EncodeSubDeviceIndex(index), [this, index](const Answer& answer) {
    if (!answer.answered) return Finish(false, std::string("command 84: ") + hart::Describe(answer.outcome));
    const Result<hart::SubDeviceIdentity> identity = answer.status.isError()
                                                         ? Result<hart::SubDeviceIdentity>(Error{"refused"})
                                                         : hart::DecodeSubDeviceIdentity(answer.data);
    if (identity) {
      SurveyedDevice device;
      device.row.endpoint = endpoint_;
      device.row.subDevice = index;
      device.row.longTag = Trimmed(identity->longTag);
      device.row.manufacturer = identity->manufacturer;
      device.row.deviceType = identity->expandedDeviceType;
      device.row.deviceId = identity->deviceId;
      device.identity = *identity;
      devices_.push_back(std::move(device));
    }
    ReadIdentity(static_cast<std::uint16_t>(index + 1));
  });
}

void EndpointSurvey::ReadNext() {
  if (next_ >= devices_.size()) return Finish(true, {});
  const std::size_t at = next_++;
  SurveyedDevice& device = devices_[at];
  if (!refresh_) return ReadTags(at);
  if (device.row.subDevice == 0 || device.identity) return ReadStatus(at);
  // A sub-device known from elsewhere: where its I/O system has it now.
  Ask(hart::kReadSubDeviceIdentity, hart::EncodeSubDeviceIndex(device.row.subDevice), [this, at](const Answer& answer) {
    const Result<hart::SubDeviceIdentity> identity = answer.answered && !answer.status.isError()
                                                         ? hart::DecodeSubDeviceIdentity(answer.data)
                                                         : Result<hart::SubDeviceIdentity>(Error{"refused"});
    PlantDevice& row = devices_[at].row;
    if (!identity || identity->manufacturer != row.manufacturer || identity->expandedDeviceType != row.deviceType ||
        identity->deviceId != row.deviceId) {
      return DeviceDone(at, false);
    }
    devices_[at].identity = *identity;
    ReadStatus(at);
  });
}

void EndpointSurvey::ReadTags(std::size_t at) {
  AskDevice(at, hart::kReadTag, [this, at](const Answer& answer) {
    const Result<hart::Record> reply = Parsed(hart::kReadTag, answer.answered, answer.status, answer.data);
    if (!answer.answered) return DeviceDone(at, false);
    if (reply) devices_[at].row.tag = Trimmed(Or(reply->text("tag"), std::string()));
    // A sub-device's long tag came with 84.
    if (devices_[at].identity) return ReadStatus(at);
    AskDevice(at, hart::kReadLongTag, [this, at](const Answer& longTag) {
      const Result<hart::Record> text = Parsed(hart::kReadLongTag, longTag.answered, longTag.status, longTag.data);
      if (text) devices_[at].row.longTag = Trimmed(Or(text->text("long tag"), std::string()));
      ReadStatus(at);
    });
  });
}

void EndpointSurvey::ReadStatus(std::size_t at) {
  AskDevice(at, hart::kReadDynamicVariables, [this, at](const Answer& answer) {
    if (!answer.answered || !StillThere(devices_[at])) return DeviceDone(at, false);
    PlantDevice& row = devices_[at].row;
    row.fieldDeviceStatus = answer.status.deviceStatus;
    row.pv.reset();
    row.unit.clear();
    const Result<hart::Record> reply = Parsed(hart::kReadDynamicVariables, true, answer.status, answer.data);
    const Result<float> pv = reply ? reply->real("value", 0) : Result<float>(Error{"no value"});
    const std::uint32_t unit = reply ? Or(reply->number("units", 0), kUnitNotUsed) : kUnitNotUsed;
    if (pv && std::isfinite(*pv) && unit != kUnitNotUsed) {
      row.pv = *pv;
      row.unit = UnitText(unit);
    }
    row.health = HealthOf(row.fieldDeviceStatus, std::nullopt);
    if (!answer.status.has(hart::device_status::kMoreStatusAvailable)) return DeviceDone(at, true);
    AskDevice(at, hart::kReadAdditionalStatus, [this, at](const Answer& more) {
      const Result<hart::Record> status = Parsed(hart::kReadAdditionalStatus, more.answered, more.status, more.data);
      const Result<std::uint32_t> extended =
          status ? status->number("extended device status") : Result<std::uint32_t>(Error{"none"});
      PlantDevice& device = devices_[at].row;
      device.health =
          HealthOf(device.fieldDeviceStatus,
                   extended ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*extended)) : std::nullopt);
      DeviceDone(at, true);
    });
  });
}

bool EndpointSurvey::StillThere(const SurveyedDevice& device) const {
  // A sub-device answered at its own address; the endpoint's own device is
  // whoever answered command 0 there, which may be another one by now.
  if (device.identity || !refresh_) return true;
  const std::optional<hart::Identity>& identity = master_->identity();
  if (!identity) return false;
  const hart::Record& id = identity->identifier;
  return Or(id.number("device id"), 0U) == device.row.deviceId &&
         Or(id.number("expanded device type"), 0U) == device.row.deviceType &&
         Or(id.number("manufacturer"), 0U) == device.row.manufacturer;
}

void EndpointSurvey::DeviceDone(std::size_t at, bool answered) {
  devices_[at].row.answering = answered;
  done_.push_back(devices_[at]);
  ReadNext();
}

void EndpointSurvey::Finish(bool reached, std::string why, bool cancelled) {
  const std::shared_ptr<EndpointSurvey> keep = shared_from_this();  // `finished` may let go of it
  running_ = false;
  ++generation_;
  master_.reset();
  EndpointReport report{reached, std::move(why), cancelled, std::move(done_)};
  done_.clear();
  if (finished_) finished_(report);
}

}  // namespace zolin6::plant
