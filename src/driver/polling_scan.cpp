#include "driver/polling_scan.h"

#include "hart/command_codec.h"
#include "hart/command_numbers.h"

namespace zolin6::driver {

namespace {

// Packed text is padded with spaces to its full length.
std::string TrimmedTag(std::string tag) {
  const std::size_t end = tag.find_last_not_of(' ');
  tag.erase(end == std::string::npos ? 0 : end + 1);
  return tag;
}

FoundDevice FromIdentity(const hart::Identity& identity) {
  const hart::Record& id = identity.identifier;
  FoundDevice device;
  device.pollingAddress = identity.pollingAddress;
  // HART 5 devices stop before the manufacturer field.
  if (const Result<std::uint32_t> maker = id.number("manufacturer"))
    device.manufacturer = static_cast<std::uint16_t>(*maker);
  device.expandedDeviceType = static_cast<std::uint16_t>(id.number("expanded device type").value());
  device.deviceId = id.number("device id").value();
  return device;
}

}  // namespace

PollingScan::PollingScan(toolkit::Clock& clock, std::shared_ptr<ByteLink> link, ScanCallbacks callbacks,
                         PollingRange range, hart::LinkTiming timing)
    : clock_(clock), link_(std::move(link)), callbacks_(std::move(callbacks)), range_(range), timing_(timing) {}

void PollingScan::At(toolkit::Millis at, std::function<void(PollingScan&)> work) {
  clock_.callAt(at, [weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

void PollingScan::Start() {
  if (running_) return;
  devices_.clear();
  running_ = true;
  if (range_.first > range_.last || range_.last > hart::kLargestPollingAddress) return Finish(false);
  // The listener stays after the scan: bytes that arrive then are ignored,
  // and whoever uses the link next installs its own.
  link_->Listen([weak = weak_from_this()](hart::ByteView bytes, toolkit::Millis /*now*/) {
    if (auto self = weak.lock()) self->Pump(bytes);
  });
  address_ = range_.first;
  PollNext();
}

void PollingScan::Cancel() {
  if (!running_) return;
  master_.reset();
  ++generation_;
  Finish(true);
}

void PollingScan::PollNext() {
  hart::MasterSettings settings;
  // Every address gets as many tries as any request: a device that missed
  // one request (a noisy line, a device busy starting) is still found.
  settings.link = timing_;
  settings.pollingAddress = static_cast<std::uint8_t>(address_);
  settings.readMoreStatus = false;
  master_.emplace(settings);
  // Command 13 makes the master identify the address first; without an
  // answer to command 0 it ends as NoDevice without being sent.
  tagRead_ = master_->submit(hart::kReadTag);
  ++generation_;
  wakeScheduled_.reset();
  Pump({});
}

void PollingScan::Pump(hart::ByteView received) {
  if (!running_ || !master_) return;
  const hart::Step step = master_->step(hart::Millis{clock_.now()}, received);
  if (!step.transmit.empty()) link_->Send(step.transmit, clock_.now());
  for (const hart::Completion& completion : step.completed) {
    OnCompletion(completion);
    if (!master_) return;  // the address is done
  }
  if (step.wakeAt && step.wakeAt->count() != wakeScheduled_) {
    wakeScheduled_ = step.wakeAt->count();
    At(*wakeScheduled_, [generation = generation_](PollingScan& self) {
      if (self.generation_ == generation) self.Pump({});
    });
  }
}

void PollingScan::OnCompletion(const hart::Completion& completion) {
  if (completion.command == hart::kReadUniqueIdentifier || completion.id != tagRead_) return;
  if (const std::optional<hart::Identity>& identity = master_->identity()) {
    FoundDevice device = FromIdentity(*identity);
    if (completion.outcome == hart::Outcome::Replied) {
      const Result<hart::Record> reply = hart::ParseReply(hart::kReadTag, completion.status, completion.data);
      const Result<std::string> tag = reply ? reply->text("tag") : Result<std::string>(reply.error());
      if (tag) device.tag = TrimmedTag(*tag);
    }
    devices_.push_back(device);
    if (callbacks_.found) callbacks_.found(device);
    if (!running_) return;  // cancelled from the callback
  }
  AddressDone();
}

void PollingScan::AddressDone() {
  master_.reset();
  ++generation_;
  const int total = range_.last - range_.first + 1;
  if (callbacks_.progress) callbacks_.progress(address_ - range_.first + 1, total);
  if (!running_) return;  // cancelled from the progress callback
  if (address_ == range_.last) return Finish(false);
  ++address_;
  // Not from inside the master's step; the next master waits for a quiet
  // line itself.
  At(clock_.now(), [generation = generation_](PollingScan& self) {
    if (self.running_ && self.generation_ == generation) self.PollNext();
  });
}

void PollingScan::Finish(bool cancelled) {
  running_ = false;
  if (callbacks_.finished) callbacks_.finished(devices_, cancelled);
}

}  // namespace zolin6::driver
