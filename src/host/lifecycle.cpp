// Creation, binding to the device driver, the first read, release and
// destruction of the control.

#include "forms/form_design.h"
#include "host/user_cntrl.h"

namespace zolin6 {

namespace {
constexpr int kFirstReadDelayMs = 1200;
}

Attributes NoneAttributes() {
  Attributes attributes;
  attributes.fill("None");
  return attributes;
}

UserCntrl::UserCntrl(HostServices host) : host_(std::move(host)), form_(forms::AllControls(), host_.clock) {
  timer("TimerInit").onTick([this] { TimerInit_Timer(); });
  timer("TimerReadAfterWrite").onTick([this] { TimerReadAfterWrite_Timer(); });
  WireNavigation();
  WireWriting();
  WireMaintenance();
  WireMonitoring();

  BuildTree();
  FillOptionLists();
  timer("TimerInit").setInterval(kFirstReadDelayMs);
  timer("TimerInit").setEnabled(true);
}

UserCntrl::~UserCntrl() {
  // The frame may destroy the control without releasing it first; the
  // session is then closed here, with every error ignored.
  if (objSession_) (void)objSession_->CloseSession(s_.sInvokeId);
  objSession_.reset();
}

bool UserCntrl::Init(const std::string& invokeId, const std::string& /*functionCall*/,
                     std::shared_ptr<framelink::DtmObject> dtm) {
  s_.sInvokeId = invokeId;
  if (!dtm) return false;
  objSession_ = dtm->session();
  objRegistrar_ = dtm->session();
  objChannel_ = dtm->channel();
  if (!objSession_ || !objRegistrar_ || !objChannel_) return false;

  bool ready = false;
  if (!objSession_->IsReady(ready) || !ready) {
    objSession_.reset();
    objChannel_.reset();
    return false;
  }
  bool registered = false;
  return objRegistrar_->RegisterControl(kClassName, s_.sInvokeId, this, 0, registered);
}

bool UserCntrl::PrepareToRelease() {
  if (objSession_) {
    bool unregistered = false;
    (void)objSession_->UnregisterControl(s_.sInvokeId, true, unregistered);
  }
  objSession_.reset();
  objChannel_.reset();
  // objRegistrar_ keeps its reference until destruction.
  return true;
}

void UserCntrl::TimerInit_Timer() {
  toolkit::Timer& init = timer("TimerInit");
  init.setInterval(0);
  init.setEnabled(false);
  s_.bFirstRead = true;
  s_.sPage = "Information";
  s_.sReadCode = "1";
  s_.sRequestDoc = DocXML(NoneAttributes());
  // No status text for the first read. When the driver is not bound yet the
  // read fails and bFirstRead stays set, so the first on-line state still
  // brings the information page.
  if (!SendRead(s_.sReadCode)) return;
  button("cmdWriteParameter").setEnabled(true);
}

}  // namespace zolin6
