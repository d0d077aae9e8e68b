#include "driver/sub_device_finder.h"
#include "hart/command_numbers.h"

namespace zolin6::driver {

namespace {

Error NoSuchDevice(const SubDeviceName& name) {
  return Error{"no device " + name.describe() + " behind this I/O system"};
}

}  // namespace

SubDeviceFinder::SubDeviceFinder(toolkit::Clock& clock, std::shared_ptr<ByteLink> link, SubDeviceName name,
                                 FinderCallbacks callbacks, hart::LinkTiming timing)
    : clock_(clock),
      link_(std::move(link)),
      name_(std::move(name)),
      callbacks_(std::move(callbacks)),
      timing_(timing) {}

void SubDeviceFinder::Start() {
  if (running_) return;
  running_ = true;
  link_->Listen([weak = weak_from_this()](hart::ByteView bytes, toolkit::Millis /*now*/) {
    if (auto self = weak.lock()) self->Pump(bytes);
  });
  hart::MasterSettings settings;
  settings.link = timing_;
  settings.readMoreStatus = false;
  Begin(settings);
  // Command 74 makes the master identify the I/O system first.
  master_->submit(hart::kReadIoSystemCapabilities);
  Pump({});
}

void SubDeviceFinder::Cancel() {
  running_ = false;
  master_.reset();
  ++generation_;
}

void SubDeviceFinder::Begin(hart::MasterSettings settings) {
  master_.emplace(settings);
  ++generation_;
  wakeScheduled_.reset();
}

void SubDeviceFinder::Pump(hart::ByteView received) {
  if (!running_ || !master_) return;
  const std::uint64_t generation = generation_;
  hart::Step step;
  // A completion may queue the next command: it goes out in the same call.
  do {
    submitted_ = false;
    step = master_->step(hart::Millis{clock_.now()}, received);
    received = {};
    if (!step.transmit.empty()) link_->Send(step.transmit, clock_.now());
    for (const hart::Completion& completion : step.completed) {
      OnCompletion(completion);
      if (!running_ || generation != generation_) return;  // done, or on to the probe
    }
  } while (submitted_);
  if (step.wakeAt && step.wakeAt->count() != wakeScheduled_) {
    wakeScheduled_ = step.wakeAt->count();
    clock_.callAt(*wakeScheduled_, [weak = weak_from_this(), generation] {
      const auto self = weak.lock();
      if (!self || self->generation_ != generation) return;
      self->wakeScheduled_.reset();
      self->Pump({});
    });
  }
}

void SubDeviceFinder::OnCompletion(const hart::Completion& completion) {
  if (probing_) return OnProbe(completion);
  if (completion.id == 0) return;  // the master's own command 0
  if (completion.command == hart::kReadIoSystemCapabilities) return OnCapabilities(completion);
  if (completion.command == hart::kReadSubDeviceIdentity) return OnIdentity(completion);
}

void SubDeviceFinder::OnCapabilities(const hart::Completion& completion) {
  if (completion.outcome == hart::Outcome::NoDevice) {
    return Finish(Error{"nothing answers command 0 at polling address 0"});
  }
  if (completion.outcome != hart::Outcome::Replied) {
    return Finish(Error{std::string("the I/O system gave no answer to command 74: ") + Describe(completion.outcome)});
  }
  const Result<hart::IoSystemCapabilities> capabilities = completion.status.isError()
                                                              ? Result<hart::IoSystemCapabilities>(Error{})
                                                              : hart::DecodeIoSystemCapabilities(completion.data);
  if (!capabilities) return Finish(Error{"not an I/O system: it refuses command 74"});
  ioSystem_ = master_->identity()->address;
  lastIndex_ = capabilities->devicesDetected > 0 ? capabilities->devicesDetected - 1 : 0;
  if (name_.index > lastIndex_) return Finish(NoSuchDevice(name_));
  if (name_.index != 0) return Ask(name_.index);
  if (lastIndex_ == 0)
    return Finish(name_.all() ? Result<std::optional<SubDeviceWay>>(std::nullopt)
                              : Result<std::optional<SubDeviceWay>>(NoSuchDevice(name_)));
  Ask(1);
}

void SubDeviceFinder::Ask(std::uint16_t index) {
  asked_ = index;
  master_->submit(hart::kReadSubDeviceIdentity, hart::EncodeSubDeviceIndex(index));
  submitted_ = true;
}

// One command 84 per index, in order; a tag stops at its first match.
void SubDeviceFinder::OnIdentity(const hart::Completion& completion) {
  if (completion.outcome != hart::Outcome::Replied) {
    return Finish(Error{std::string("the I/O system gave no answer to command 84: ") + Describe(completion.outcome)});
  }
  Result<hart::SubDeviceIdentity> device = completion.status.isError() ? Result<hart::SubDeviceIdentity>(Error{})
                                                                       : hart::DecodeSubDeviceIdentity(completion.data);
  if (device) {
    if (callbacks_.found) callbacks_.found(*device);
    if (!running_) return;  // cancelled from the callback
    const bool named = name_.index != 0 ? device->index == name_.index : device->longTag == name_.longTag;
    if (!name_.all() && named) return Probe(*device);
  }
  if (name_.index != 0 || asked_ >= lastIndex_) {
    return Finish(name_.all() ? Result<std::optional<SubDeviceWay>>(std::nullopt)
                              : Result<std::optional<SubDeviceWay>>(NoSuchDevice(name_)));
  }
  Ask(static_cast<std::uint16_t>(asked_ + 1));
}

void SubDeviceFinder::Probe(const hart::SubDeviceIdentity& device) {
  match_ = device;
  probing_ = true;
  hart::MasterSettings settings;
  settings.link = timing_;
  settings.link.replyTimeout = kRouteProbeTimeout;
  settings.retries = 0;
  settings.busyResends = 0;
  settings.readMoreStatus = false;
  settings.identifyAt = device.address();
  Begin(settings);
  master_->identify();
  // Not from inside the first master's step.
  clock_.callAt(clock_.now(), [weak = weak_from_this(), generation = generation_] {
    const auto self = weak.lock();
    if (self && self->generation_ == generation) self->Pump({});
  });
}

// It answers as itself: long frames reach it. Anything else: command 77.
void SubDeviceFinder::OnProbe(const hart::Completion& completion) {
  if (completion.command != hart::kReadUniqueIdentifier) return;
  const bool direct = completion.outcome == hart::Outcome::Replied && master_->identity() &&
                      master_->identity()->address.sameDevice(match_->address());
  Finish(std::optional<SubDeviceWay>(SubDeviceWay{*match_, ioSystem_, direct}));
}

void SubDeviceFinder::Finish(Result<std::optional<SubDeviceWay>> way) {
  running_ = false;
  master_.reset();
  ++generation_;
  if (callbacks_.finished) callbacks_.finished(std::move(way));
}

}  // namespace zolin6::driver
