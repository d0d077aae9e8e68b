#pragma once
// The transmitter as a HART field device behind the framework link: each
// read or write operation code of the control becomes the HART
// transactions of the operation table (hart_operations.h), run one at a
// time by one primary master over a byte link. The control sees the same
// framework behaviour as with the simulated transmitter's driver: the
// on-line state element once the device answered command 0, every answer
// later through IUpdateUI, the off-line state element when the device
// stops answering.
//
// Everything runs on the host's clock: the master's timeouts and quiet
// times are clock callbacks, and the link hands back what it heard from
// its own callbacks, so a test or the scenario runner drives the whole
// exchange by advancing the manual clock.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/byte_link.h"
#include "driver/hart_operations.h"
#include "driver/sim_driver.h"
#include "hart/master.h"
#include "platform/framelink/framelink.h"
#include "platform/toolkit/clock.h"

namespace zolin6::driver {

class HartDriver : public framelink::DtmObject,
                   public framelink::IFrameLinkSession,
                   public framelink::IFrameLinkChannel,
                   public std::enable_shared_from_this<HartDriver> {
 public:
  // Call Start() once the driver is held by a shared pointer.
  HartDriver(toolkit::Clock& clock, std::shared_ptr<ByteLink> link, hart::MasterSettings settings = {},
             SimObserver observer = {});
  // Begins listening to the link.
  void Start();

  // framelink::DtmObject
  std::shared_ptr<framelink::IFrameLinkSession> session() override { return shared_from_this(); }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return shared_from_this(); }

  // framelink::IFrameLinkSession. Registering starts looking for the device.
  bool CloseSession(const std::string& invokeId) override;
  bool IsReady(bool& ready) override;
  bool RegisterControl(const std::string& className, const std::string& invokeId, fdt::IDtmActiveXControl* control,
                       std::int32_t zero, bool& result) override;
  bool UnregisterControl(const std::string& invokeId, bool flag, bool& result) override;

  // framelink::IFrameLinkChannel. A request is queued and answered once its
  // transactions are done; the call itself answers an empty result.
  bool WriteRequest(const std::string& code, const std::string& document, std::string& result) override;
  bool ReadRequest(const std::string& code, const std::string& document, std::string& result) override;

  // Whether the device answered command 0 and has not stopped answering.
  bool online() const { return online_; }
  // Operations received and not yet answered.
  int pendingOperations() const;
  // Whether the device on line is this transmitter or another HART device,
  // from its command 0; and that reply's data, empty while off line.
  CommandSet commandSet() const { return commandSet_; }
  const hart::Bytes& identity() const { return identity_; }

 private:
  enum class Kind { Read, Write };
  struct Operation {
    Kind kind = Kind::Read;
    std::string code;
    std::string document;
  };
  struct Running {
    Kind kind = Kind::Read;
    int code = 0;
    RequestAttributes attributes;
    std::vector<HartRequest> requests;
    std::vector<hart::Completion> completions;
    std::uint32_t waitingFor = 0;  // the master's id of the transaction under way
  };

  void Enqueue(Kind kind, const std::string& code, const std::string& document);
  void StartNext();
  bool Begin(const Operation& operation);
  void SubmitNext();
  void Pump(hart::ByteView received);
  void OnCompletion(const hart::Completion& completion);
  void OnOwnCompletion(const hart::Completion& completion);
  void FinishRead();
  void FinishWrite();
  void LinkFailed();
  void Deliver(std::int32_t reason, const std::string& details);
  void At(toolkit::Millis at, std::function<void(HartDriver&)> work);

  toolkit::Clock& clock_;
  std::shared_ptr<ByteLink> link_;
  hart::Master master_;
  SimObserver observer_;
  framelink::IUpdateUI* updateUI_ = nullptr;
  std::deque<Operation> waiting_;
  std::optional<Running> running_;
  bool online_ = false;
  CommandSet commandSet_ = CommandSet::Transmitter;
  hart::Bytes identity_;
  bool coldStartSeen_ = false;  // a reply carried the cold start bit since the last status read
  bool submitted_ = false;      // a request was handed to the master since its last step
  std::optional<toolkit::Millis> wakeScheduled_;
};

}  // namespace zolin6::driver
