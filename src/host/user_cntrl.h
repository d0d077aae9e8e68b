#pragma once
// The transmitter's user-interface control. One object holds the whole state
// and every event handler; the handlers of each subsystem are defined in that
// subsystem's folder (navigation, pages, writing, maintenance, monitoring,
// setup).

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/framelink.h"
#include "platform/result.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/message_box.h"

namespace zolin6 {

// The 22 attribute texts of a request document; unused ones hold "None".
using Attributes = std::array<std::string, 22>;
Attributes NoneAttributes();

// Where the control finds what its host provides: the clock its timers run
// on, the message boxes, and the folder with the two status icons.
struct HostServices {
  toolkit::Clock& clock;
  toolkit::MessageBoxes& messageBoxes;
  std::string iconFolder;  // folder of "connected.ico" and "no connection.ico"
};

class UserCntrl : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  // The class name the framework registers the control under.
  static constexpr const char* kClassName = "PrjKOVAR4DTM.UserCntrl";

  explicit UserCntrl(HostServices host);
  ~UserCntrl() override;
  UserCntrl(const UserCntrl&) = delete;
  UserCntrl& operator=(const UserCntrl&) = delete;

  // IDtmActiveXControl
  bool Init(const std::string& invokeId, const std::string& functionCall,
            std::shared_ptr<framelink::DtmObject> dtm) override;
  bool PrepareToRelease() override;

  // IUpdateUI
  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override;

  // Public functions of the control.
  static std::string DocXML(const Attributes& attributes);
  Result<std::string> GetConverteDate() const;
  Result<std::string> GetConverteDateOffLine() const;
  static std::string GetChannelCode(const std::string& sString);

  toolkit::Form& form() { return form_; }
  const toolkit::Form& form() const { return form_; }

  // State fields (read by the runner and the tests).
  struct State {
    std::string sInvokeId;
    std::string sRequestDoc;     // request document last built
    std::string sRequestResult;  // out result of every request; never read
    std::string sReadCode;       // code of the pending read
    std::string sWriteCode;      // code of the pending write
    bool bFirstRead = false;     // the first information read is still to come
    std::string sConnState;      // "Connected", "Disconnected", or empty before the first state element
    std::string sPage;           // page on screen
    std::string sSubPage;        // tab or sub-page on screen
    bool bFixedCurrent = false;  // a procedure holds a loop current
    bool bUnitChanged = false;   // a sensor unit change awaits its answer
  };
  const State& state() const { return s_; }
  bool bound() const { return objChannel_ != nullptr; }

 private:
  // Lifecycle (host/lifecycle.cpp)
  void TimerInit_Timer();

  // Requests (host/requests.cpp): each answers whether the call succeeded.
  bool SendRead(const std::string& code);
  bool SendWrite(const std::string& code);
  void SetActivity(const std::string& text);

  // Notifications (host/update_ui.cpp, host/connection_state.cpp)
  void DispatchNotification(std::int32_t reason, const std::string& details);
  void TimerReadAfterWrite_Timer();
  void UpdateConnectionState(const std::string& details);

  // Page loaders (pages/). Each takes the notification's details text.
  void LoadHartInfo(const std::string& details);
  void LoadDeviceInfo(const std::string& details);
  void LoadSensorInfo(int channel, const std::string& details);  // channel 1..6
  void LoadHartConfig(const std::string& details);
  void LoadSensorConfig(int channel, const std::string& details);
  void LoadLocalTempUnit(const std::string& details);
  void LoadDisplayConfig(const std::string& details);
  void LoadSensorRange(int channel, const std::string& details);
  void LoadObserveValues(const std::string& details);
  void LoadDiagnosisStatus(const std::string& details);
  void LoadChangeCounters(const std::string& details);
  void LoadMaxMinTemperatures(const std::string& details);
  void LoadCurrent(const std::string& details);
  void LoadTrimTemperature(const std::string& details);
  void LoadSpecialFunctions(const std::string& details);
  void LoadSpecificVariables(const std::string& details);
  void LoadSensorParameters(const std::string& details);
  void LoadResponseCodes(const std::string& details);
  void ShowResponseCode(std::int16_t code);
  // Sets the lamps of a status byte, given for bits 7 down to 0 (255: the bit
  // has no lamp): red for a set bit, dark blue for a clear one.
  void ShowStatusBits(int status, const std::array<int, 8>& lamps);

  // Navigation (navigation/): the function tree, the page stack, Back and the tabs.
  void WireNavigation();
  void BuildTree();
  void AddTreeNode(int parentIndex, const std::string& relationship, const std::string& text,
                   const std::string& imageKey, const std::string& tag);
  void HideAllPages();
  void TreeView_NodeClick(const toolkit::TreeNode& node);
  void cmdBack_Click();
  void SSTabInfoSensor_Click();
  void SSTabConfSensor_Click();
  void SSTabSensorRange_Click();
  void SSTabDiagnosis_Click();
  void SSTabObserve_Click();
  void SSTabLoopTest_Click();
  // Sends the write that ends a forced loop current and clears bFixedCurrent;
  // false when the write could not be sent (the flag then stays set).
  bool ReleaseFixedCurrent(const std::string& code, const std::string& attribute1, const std::string& attribute2);

  // Page setup (setup/): the combo-box lists and the page state at start.
  void FillOptionLists();

  // Writing (writing/): the Write button and the buttons that write one thing.
  void WireWriting();
  void cmdWriteParameter_Click();
  void cmdChannelSensorCopyToAll_Click();
  void cmdConfSRangeCopyAll_Click();
  void cmdChangeSensorUnit_Click(int index);  // index 0..5 = channel 1..6
  // Fills sWriteCode and sRequestDoc for the configuration page on show and
  // leaves them alone on any other page. false: a value could not be
  // converted, so nothing may be sent.
  bool WriteConfigurationPage();
  // Asks before channel 1's settings are copied to every channel; on Yes
  // sends `writeCode` with the attributes `gather` reads from the page.
  void CopyToAll(const std::string& writeCode, Result<Attributes> (*gather)(const toolkit::Form&));

  // Maintenance (maintenance/): trims, loop test and device commands.
  void WireMaintenance();
  // The Write button's branch for the procedure pages (trims, loop test): sets
  // sWriteCode and sRequestDoc and sends what the step sends itself. Leaves
  // both alone on any other page. false: a conversion or a request failed,
  // and the Write handler ends at once.
  bool WriteProcedureStep();
  enum class SensorTrimPoint { Lower, Upper };  // 0 % and 100 % of the sensor trim
  // Loop current trim (maintenance/current_trim.cpp).
  void cmdCurrentTrim_Click();
  void cmdTrimCurrentChannel_Click(int channel);  // cmdTrimCurrentChannel1..6, channel 1..6
  void cmdTrimPoint_Click(int milliamps);         // cmd4mA (4) and cmd20mA (20)
  void SetTrimLayout(const std::string& mode);
  bool WriteCurrentTrimStep(int channel, int milliamps);
  // Sensor, temperature and factory trims (maintenance/sensor_trim.cpp).
  void cmdSensorTrim_Click();
  void cmdSensorTrimPoint_Click(SensorTrimPoint point);  // cmdSensorLowerTrim, cmdSensorUpperTrim
  void cmdTempTrim_Click();
  void cmdFactoryTrim_Click();
  bool WriteSensorTrimStep(SensorTrimPoint point);
  bool WriteTempTrimStep();
  bool WriteFactoryTrimStep();
  // Loop test (maintenance/loop_test.cpp).
  void cmdLoopTest_Click();
  bool WriteLoopTestStep(int channel);  // channel 1..6
  // The six confirmed device commands (maintenance/device_commands.cpp).
  void WireDeviceCommands();
  void DeviceCommand_Click(std::size_t row);  // row of the device command table
  // sRequestDoc := the document of `attributes`, then the write with sWriteCode.
  bool SendStepWrite(const Attributes& attributes);

  // Monitoring (monitoring/): the polling timers.
  void WireMonitoring();
  void StopPolling();
  // One tick of a polling timer (an entry of the table in monitoring/polling.cpp).
  void PollingTimer_Timer(std::size_t entry);

  // A modal message box through the host's message boxes.
  toolkit::Answer MsgBox(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                         toolkit::Icon icon) const {
    return host_.messageBoxes.show(text, title, buttons, icon);
  }

  // Widget shortcuts for the handlers.
  toolkit::TextBox& txtParameter(int index) const { return form_.get<toolkit::TextBox>("txtParameter", index); }
  toolkit::Label& lbArray(int index) const { return form_.get<toolkit::Label>("lbArray", index); }
  toolkit::Timer& timer(std::string_view name) const { return form_.get<toolkit::Timer>(name); }
  toolkit::StatusBar& statusBar() const { return form_.get<toolkit::StatusBar>("StatusBar"); }
  toolkit::CommandButton& button(std::string_view name, int index = -1) const {
    return form_.get<toolkit::CommandButton>(name, index);
  }
  toolkit::ComboBox& combo(std::string_view name, int index = -1) const {
    return form_.get<toolkit::ComboBox>(name, index);
  }
  toolkit::Frame& frame(std::string_view name, int index = -1) const { return form_.get<toolkit::Frame>(name, index); }
  toolkit::TabControl& tabs(std::string_view name) const { return form_.get<toolkit::TabControl>(name); }
  toolkit::Shape& ShapeDiagnosis(int index) const { return form_.get<toolkit::Shape>("ShapeDiagnosis", index); }

  HostServices host_;
  toolkit::Form form_;
  State s_;
  std::shared_ptr<framelink::IFrameLinkSession> objSession_;
  std::shared_ptr<framelink::IFrameLinkSession> objRegistrar_;
  std::shared_ptr<framelink::IFrameLinkChannel> objChannel_;
};

}  // namespace zolin6
