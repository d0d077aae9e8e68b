#pragma once
// The transmitter as a HART field device behind the framework link: each
// read or write operation code of the control becomes the HART
// transactions of the operation table (hart_operations.h), run one at a
// time by one primary master over a byte link. The control hears the device
// come on line once it answered command 0, every request answered exactly
// once (its page's answer, carrying the device's response code when it
// refused or stayed busy, or the off-line state element), and the off-line
// state element when the device is lost.
//
// The frames a bursting device publishes go, with the moment they were
// heard, to the registered control when it takes them (hart::PublishedSink):
// the link tap stands in for the control and shows them to its listeners.
//
// Command 0 goes out once per connection, and again only after the device
// was lost or the line came back: the pages that show identity take what it
// gave, kept up to date from the replies of the commands that change it.
//
// Everything runs on the host's clock: the master's timeouts and quiet
// times are clock callbacks, and answers reach the control from the clock,
// so they wait while the window shows a modal box, as its timers do. A test
// or the scenario runner drives the whole exchange by advancing the manual
// clock.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/byte_link.h"
#include "driver/hart_operations.h"
#include "hart/master.h"
#include "hart/published_sink.h"
#include "platform/framelink/framelink.h"
#include "platform/toolkit/clock.h"

namespace zolin6::driver {

// Who else wants to see the traffic (the scenario runner prints it). Each
// member may be left empty.
struct DriverObserver {
  // A session call: "IsReady", "RegisterControl", "UnregisterControl",
  // "CloseSession", with its arguments as texts ("control" for the control).
  std::function<void(const std::string& call, const std::vector<std::string>& args)> session;
  // A request as it arrives: "read" or "write", the code and the document.
  std::function<void(const std::string& kind, const std::string& code, const std::string& document)> request;
  // A notification just before the control gets it.
  std::function<void(std::int32_t reason, const std::string& details)> notify;
};

// How the built-in simulated device paces its answers: each operation is
// carried out `latency` after the line is free (after the one before it),
// in no time on an instant line, so the control sees the answers a
// transmitter on a 1200 baud line gives, one transaction each.
struct AnswerPacing {
  toolkit::Millis latency = 300;      // one operation on the line, ms
  toolkit::Millis onlineDelay = 100;  // from the control's registration to identifying the device, ms
};

struct HartDriverOptions {
  hart::MasterSettings master;
  std::optional<AnswerPacing> pacing;  // none on a real line, where the line's own time passes
  // HART-IP: subscribe to the device's published data (command 533) each
  // time it comes on line. Opt-in: its request and reply show in the trace.
  bool subscribe = false;
};

class HartDriver : public framelink::DtmObject,
                   public framelink::IFrameLinkSession,
                   public framelink::IFrameLinkChannel,
                   public std::enable_shared_from_this<HartDriver> {
 public:
  // Call Start() once the driver is held by a shared pointer.
  HartDriver(toolkit::Clock& clock, std::shared_ptr<ByteLink> link, HartDriverOptions options = {},
             DriverObserver observer = {});
  // Begins listening to the link and to its news of the way to the device.
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

  // Whether the device answered command 0 and has not been lost since.
  bool online() const { return online_; }
  // Whether a control is registered to receive answers.
  bool registered() const { return updateUI_ != nullptr; }
  // Requests received and not yet answered.
  int pendingOperations() const;
  // One HART transaction of the window's own (burst mode settings), queued
  // among the control's operations and paced like them; `done` hears how it
  // ended, from the clock: NoDevice when the device is or goes off line.
  using TransactionDone = std::function<void(const hart::Completion& completion)>;
  void Transact(HartRequest request, TransactionDone done);
  // The time of one paced operation from now on (the built-in simulated
  // device only).
  void SetLatency(toolkit::Millis latency);
  // Whether the device on line is this transmitter or another HART device,
  // from its command 0; and that reply's data as kept up to date, empty
  // while no device is known.
  CommandSet commandSet() const { return commandSet_; }
  const hart::Bytes& identity() const { return identity_; }

 private:
  enum class Kind { Read, Write, Transaction };
  struct Operation {
    Kind kind = Kind::Read;
    std::string code;
    std::string document;
    int copies = 1;                // identical reads merged into this one, each answered
    HartRequest transaction = {};  // Kind::Transaction: sent as it is, answered to `done`
    TransactionDone done = {};
  };
  struct Running {
    Operation request;
    int code = 0;
    RequestAttributes attributes;
    std::vector<HartRequest> requests;
    std::vector<hart::Completion> completions;
    std::uint32_t waitingFor = 0;     // the master's id of the transaction under way
    bool awaitsIdentity = false;      // answered from command 0 alone, once the device is known
    bool directTried = false;         // its requests went as one direct PDU; the rest go by frames
    std::uint32_t waitingDirect = 0;  // the direct PDU under way
  };

  // A transaction after which an operation goes no further.
  static bool Stops(const hart::Completion& completion, bool write);
  void Enqueue(Operation operation);
  void Arrive(Operation operation);
  void StartNext();
  bool Begin(const Operation& operation);
  void SubmitNext();
  // A read of several commands as one direct PDU, where the line carries
  // that; false when it goes by frames.
  bool TrySendDirect();
  void OnDirectAnswer(std::uint32_t token, std::optional<hart::ip::DirectPdu> answer);
  void TakeDirectAnswers(const hart::ip::DirectPdu& answer);
  void Pump(hart::ByteView received);
  void OnLineState(bool up);
  void LineChanged(bool up);
  void OnCompletion(const hart::Completion& completion);
  void OnIdentified(const hart::Completion& completion);
  void KeepIdentity(const hart::Completion& completion);
  void FinishRead();
  void FinishWrite();
  void FinishTransaction(const hart::Completion& completion);
  void LinkLost();
  void Answer(const Operation& operation, std::int32_t reason, const std::string& details);
  void Deliver(std::int32_t reason, const std::string& details);
  void Publish(hart::HeardBurst burst);
  void Subscribe();
  void At(toolkit::Millis at, std::function<void(HartDriver&)> work);

  toolkit::Clock& clock_;
  std::shared_ptr<ByteLink> link_;
  hart::Master master_;
  std::optional<AnswerPacing> pacing_;
  bool subscribe_;
  DriverObserver observer_;
  framelink::IUpdateUI* updateUI_ = nullptr;
  hart::PublishedSink* published_ = nullptr;  // the registered control, when it takes published frames
  std::deque<Operation> waiting_;
  std::optional<Running> running_;
  int arriving_ = 0;                // paced operations not yet due
  toolkit::Millis lineFreeAt_ = 0;  // paced: when the operation last queued is done
  bool lineUp_ = true;              // the line's own news of the way to the device
  bool online_ = false;
  bool reportOnline_ = false;  // the line came back: say so once the device answers
  CommandSet commandSet_ = CommandSet::Transmitter;
  hart::Bytes identity_;
  bool coldStartSeen_ = false;  // a reply carried the cold start bit since the last status read
  bool submitted_ = false;      // a request was handed to the master since its last step
  bool pumping_ = false;        // inside Pump: bytes heard now wait in the inbox
  hart::Bytes inbox_;
  int inCallback_ = 0;  // inside one of the driver's clock callbacks
  std::optional<toolkit::Millis> wakeScheduled_;
  std::uint32_t directSent_ = 0;  // direct PDUs sent, to match each answer to its read
};

}  // namespace zolin6::driver
