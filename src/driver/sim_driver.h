#pragma once
// The simulated transmitter as a device driver behind the framework link:
// what the desktop application and the scenario runner hand to the control
// when no real device is there.
//
// It behaves like a HART link: one transaction at a time, each answered
// after a fixed latency and queued behind the ones before it. Answers go
// out through the host's clock (Clock::callAt), so they arrive in time
// order with the control's own timers: when the runner or a test advances
// the manual clock, when the application's event loop reaches them. The
// control learns of the device only through the framework interfaces: the
// driver sends "<DTMInfo state='Online' />" shortly after the control
// registers, and a state element whenever it goes off line or on line.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/transmitter.h"
#include "platform/framelink/framelink.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"

namespace zolin6::driver {

inline constexpr const char* kOnlineState = "<DTMInfo state='Online' />";
inline constexpr const char* kOfflineState = "<DTMInfo state='Offline' />";

struct SimOptions {
  Millis latency = 300;       // one transaction on the link, ms (a 1200 baud exchange)
  Millis onlineDelay = 100;   // from the control's registration to the on-line state, ms
  Millis restartTime = 2000;  // the device is busy this long after a reset or factory restore, ms
  std::uint32_t seed = 6;     // the process simulation's seed
};

// Who else wants to see the traffic (the scenario runner prints it). Each
// member may be left empty.
struct SimObserver {
  // A session call: "IsReady", "RegisterControl", "UnregisterControl",
  // "CloseSession", with its arguments as texts ("control" for the control).
  std::function<void(const std::string& call, const std::vector<std::string>& args)> session;
  // A request as it arrives: "read" or "write", the code and the document.
  std::function<void(const std::string& kind, const std::string& code, const std::string& document)> request;
  // A notification just before the control gets it.
  std::function<void(std::int32_t reason, const std::string& details)> notify;
};

// The transmitter's state to the file `path` (atomically) and back, as
// `zolin6 --device` keeps it; a file that is not a device state leaves the
// device as it was. Errors name the file.
Result<bool> SaveTransmitterState(const SimulatedTransmitter& transmitter, const std::string& path);
Result<bool> LoadTransmitterState(SimulatedTransmitter& transmitter, const std::string& path);

class SimDriver : public framelink::DtmObject,
                  public framelink::IFrameLinkSession,
                  public framelink::IFrameLinkChannel,
                  public std::enable_shared_from_this<SimDriver> {
 public:
  SimDriver(toolkit::Clock& clock, SimOptions options = {}, SimObserver observer = {});

  // framelink::DtmObject
  std::shared_ptr<framelink::IFrameLinkSession> session() override { return shared_from_this(); }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return shared_from_this(); }

  // framelink::IFrameLinkSession. The control registered here receives the
  // answers; unregistering or closing the session stops them.
  bool CloseSession(const std::string& invokeId) override;
  bool IsReady(bool& ready) override;
  bool RegisterControl(const std::string& className, const std::string& invokeId, fdt::IDtmActiveXControl* control,
                       std::int32_t zero, bool& result) override;
  bool UnregisterControl(const std::string& invokeId, bool flag, bool& result) override;

  // framelink::IFrameLinkChannel. A request is queued and answered later;
  // the call itself answers an empty result.
  bool WriteRequest(const std::string& code, const std::string& document, std::string& result) override;
  bool ReadRequest(const std::string& code, const std::string& document, std::string& result) override;

  // Takes the device off line or back on line; the control is told with a
  // state element at once. Requests that reach an off-line device are
  // answered with the off-line state element (notification 0) instead of
  // data.
  void SetOnline(bool online);
  bool online() const { return online_; }

  void SetLatency(Millis latency) { options_.latency = latency; }
  // Transactions sent and not yet answered.
  int pendingTransactions() const { return pending_; }
  // Whether a control is registered to receive answers.
  bool registered() const { return updateUI_ != nullptr; }

  SimulatedTransmitter& transmitter() { return transmitter_; }

  // The device state in a file (JSON), so a configured device survives a
  // restart of the application. Loading starts the device cold with that
  // configuration; a file that is not a device state leaves the device as
  // it was. Errors name the file.
  Result<bool> SaveState(const std::string& path) const { return SaveTransmitterState(transmitter_, path); }
  Result<bool> LoadState(const std::string& path) { return LoadTransmitterState(transmitter_, path); }

 private:
  enum class Kind { Read, Write };
  void Enqueue(Kind kind, const std::string& code, const std::string& document);
  void Carry(Kind kind, const std::string& code, const std::string& document);
  void Deliver(std::int32_t reason, const std::string& details);
  // Runs `work` at `at` if the driver still exists then.
  void At(Millis at, std::function<void(SimDriver&)> work);

  toolkit::Clock& clock_;
  SimOptions options_;
  SimObserver observer_;
  SimulatedTransmitter transmitter_;
  framelink::IUpdateUI* updateUI_ = nullptr;
  bool online_ = true;
  Millis lineFreeAt_ = 0;  // when the transaction last queued is done
  int pending_ = 0;
};

}  // namespace zolin6::driver
