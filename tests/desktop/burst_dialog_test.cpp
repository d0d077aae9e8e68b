// Device > Burst Mode… against the simulated transmitter behind the HART
// driver on the manual clock: the three messages read with command 105,
// a change sent as the commands that make it and kept in the history, the
// device's refusal and adjustment said in words, and no device to send to.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "desktop/burst_dialog.h"
#include "fakes/control_harness.h"
#include "transport/simulated_device.h"

namespace zolin6::desktop {
namespace {

// Keeps what the dialog hands the history, added and completed.
class Records : public history::RecordSink {
 public:
  bool Add(const history::Record& record) override {
    added.push_back(record);
    return true;
  }
  void Complete(const history::Record& record) override { completed.push_back(record); }
  std::vector<history::Record> added;
  std::vector<history::Record> completed;
};

history::DeviceIdentity Device() { return {"TT-101", "24593", "58113", "1"}; }

class BurstDialogTest : public ::testing::Test {
 protected:
  BurstDialogTest() {
    h.control->Init("invoke-1", "", sim);
    h.clock.advance(2000);
  }
  ~BurstDialogTest() override { h.control->PrepareToRelease(); }

  std::unique_ptr<BurstDialog> Open(BurstLine line) {
    auto dialog = std::make_unique<BurstDialog>(nullptr, std::move(line), BurstRecords{records, Device, wallTime});
    Settle(*dialog);
    return dialog;
  }
  BurstLine Line() {
    return {[] { return QString(); },
            [this](driver::HartRequest request, driver::HartDriver::TransactionDone done) {
              sent.push_back(request.command);
              sim->driver().Transact(std::move(request), std::move(done));
              return true;
            }};
  }
  // Lets the device answer until the dialog is idle (bounded).
  void Settle(BurstDialog& dialog) {
    for (int i = 0; i < 200 && dialog.busy(); ++i) h.clock.advance(100);
    QApplication::processEvents();
  }
  template <class T>
  T* Cell(BurstDialog& dialog, int message, const char* part) {
    return dialog.findChild<T*>(QString("BurstMessage%1%2").arg(message).arg(part));
  }
  QString Outcome(BurstDialog& dialog) { return dialog.findChild<QLabel*>("BurstOutcome")->text(); }

  fakes::ControlHarness h;
  std::shared_ptr<transport::SimulatedDevice> sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  link::WallTime wallTime{h.clock, 0};
  Records records;
  std::vector<std::uint16_t> sent;
};

TEST_F(BurstDialogTest, ReadsTheThreeMessagesAndSendsEachChangeThroughTheHistory) {
  sim->transmitter().mutableState().bursts[1] = {1, 3, {0, 1, 2, 3, 250, 250, 250, 250}, 16000, 64000, 0, 0, 250, 0};
  auto dialog = Open(Line());
  EXPECT_EQ(sent, (std::vector<std::uint16_t>{105, 105, 105}));
  ASSERT_TRUE(dialog->message(0) && dialog->message(1) && dialog->message(2));
  EXPECT_EQ(dialog->message(0)->variables, (std::vector<std::uint8_t>{0, 1, 2, 3}));
  EXPECT_FALSE(Cell<QCheckBox>(*dialog, 0, "On")->isChecked());
  EXPECT_TRUE(Cell<QCheckBox>(*dialog, 1, "On")->isChecked());
  EXPECT_EQ(Cell<QComboBox>(*dialog, 1, "Command")->currentData().toInt(), 3);
  EXPECT_DOUBLE_EQ(Cell<QDoubleSpinBox>(*dialog, 1, "Period")->value(), 0.5);
  EXPECT_FALSE(Cell<QWidget>(*dialog, 1, "Variables")->isEnabled());  // command 3 carries its own

  // Message 2: command 1 every 2 s, switched on last; message 1 off first.
  Cell<QCheckBox>(*dialog, 1, "On")->setChecked(false);
  Cell<QComboBox>(*dialog, 2, "Command")->setCurrentIndex(0);
  Cell<QDoubleSpinBox>(*dialog, 2, "Period")->setValue(2);
  Cell<QCheckBox>(*dialog, 2, "On")->setChecked(true);
  sent.clear();
  dialog->apply();
  EXPECT_TRUE(dialog->busy());
  EXPECT_FALSE(dialog->findChild<QPushButton*>()->isEnabled());
  Settle(*dialog);
  EXPECT_EQ(sent, (std::vector<std::uint16_t>{109, 108, 103, 109, 105, 105, 105}));
  const auto& bursts = sim->transmitter().state().bursts;
  EXPECT_EQ(bursts[1].control, 0);
  EXPECT_EQ(bursts[2].control, 1);
  EXPECT_EQ(bursts[2].command, 1);
  EXPECT_EQ(bursts[2].updatePeriod, 64000U);
  ASSERT_EQ(records.completed.size(), 4U);
  EXPECT_EQ(records.added.size(), 4U);
  const history::Record& period = records.completed[2];
  EXPECT_EQ(period.writeCode, "cmd 103");
  EXPECT_EQ(period.values, (std::vector<history::ValueChange>{{"Burst message 2 period", "1 s", "2 s"}}));
  EXPECT_EQ(period.outcome, history::Outcome::Accepted);
  EXPECT_EQ(period.device, Device());
  EXPECT_TRUE(dialog->message(2)->on);
  EXPECT_TRUE(Outcome(*dialog).contains("Burst message 2 publishing: off \u2192 on: accepted"));
}

TEST_F(BurstDialogTest, AnAdjustedPeriodAndARefusalAreSaidAndTheRestIsNotSent) {
  auto dialog = Open(Line());
  Cell<QComboBox>(*dialog, 0, "Command")->setCurrentIndex(4);  // 48 carries no value to watch
  Cell<QDoubleSpinBox>(*dialog, 0, "Period")->setValue(0.1);   // faster than the device keeps
  Cell<QComboBox>(*dialog, 0, "Trigger")->setCurrentIndex(static_cast<int>(BurstTrigger::Rising));
  Cell<QCheckBox>(*dialog, 0, "On")->setChecked(true);
  sent.clear();
  dialog->apply();
  Settle(*dialog);
  EXPECT_EQ(sent, (std::vector<std::uint16_t>{108, 103, 104, 105, 105, 105}));
  const QString said = Outcome(*dialog);
  EXPECT_TRUE(said.contains("period: 1 s \u2192 0.1 s: done; the device adjusted the period to one it keeps (0.25 s)"))
      << said.toStdString();
  EXPECT_TRUE(
      said.contains("trigger: continuous \u2192 rising at 0: this trigger does not go with the message's "
                    "command"))
      << said.toStdString();
  ASSERT_EQ(records.completed.size(), 3U);
  EXPECT_EQ(records.completed[1].outcome, history::Outcome::Accepted);
  EXPECT_EQ(records.completed[2].outcome, history::Outcome::Refused);
  EXPECT_EQ(sim->transmitter().state().bursts[0].control, 0);  // never switched on
  EXPECT_EQ(dialog->message(0)->updatePeriod, 250U * kBurstTicksPerMs);
  EXPECT_DOUBLE_EQ(Cell<QDoubleSpinBox>(*dialog, 0, "Period")->value(), 0.25);
}

TEST_F(BurstDialogTest, VariablesThatDoNotFitSendNothingAtAll) {
  auto dialog = Open(Line());
  Cell<QLineEdit>(*dialog, 0, "Variables")->setText("0 250");
  Cell<QDoubleSpinBox>(*dialog, 1, "Period")->setValue(2);
  sent.clear();
  dialog->apply();
  EXPECT_FALSE(dialog->busy());
  EXPECT_TRUE(sent.empty());
  EXPECT_TRUE(Outcome(*dialog).contains("Message 0: the variables are up to eight device variable codes below 250"));
}

TEST_F(BurstDialogTest, WithNoDeviceToAskNothingIsSentAndItSaysWhy) {
  auto dialog =
      Open({[] { return QString("The device is off line."); },
            [](driver::HartRequest /*request*/, driver::HartDriver::TransactionDone /*done*/) { return false; }});
  EXPECT_FALSE(dialog->busy());
  EXPECT_TRUE(Outcome(*dialog).contains("Nothing was sent: The device is off line."));
  EXPECT_FALSE(dialog->message(0).has_value());
  EXPECT_FALSE(Cell<QWidget>(*dialog, 0, "On")->isEnabled());
}

// The device lost while a read is under way: the read ends with the
// device's absence, and nothing more is sent.
TEST_F(BurstDialogTest, ADeviceLostMidwayEndsTheRun) {
  auto dialog = std::make_unique<BurstDialog>(nullptr, Line(), BurstRecords{records, Device, wallTime});
  sim->SetOnline(false);
  Settle(*dialog);
  EXPECT_FALSE(dialog->busy());
  EXPECT_EQ(sent.size(), 1U);
  EXPECT_FALSE(Cell<QLabel>(*dialog, 0, "Note")->text().isEmpty());
}

// What counts as a change: a level counts only where the trigger uses one.
TEST(BurstChanges, ALevelCountsOnlyForATriggerThatUsesOne) {
  BurstMessage window;
  window.trigger = BurstTrigger::Window;
  window.triggerLevel = 2.5F;
  BurstMessage wider = window;
  wider.triggerLevel = 3.0F;
  BurstMessage continuous;
  BurstMessage continuousLevel = continuous;
  continuousLevel.triggerLevel = 3.0F;
  BurstMessage on = continuous;
  on.on = true;
  const struct {
    BurstMessage was, wanted;
    std::vector<std::uint16_t> commands;
  } cases[] = {
      {window, wider, {104}},  {window, window, {}},    {continuous, continuousLevel, {}},
      {continuous, on, {109}}, {on, continuous, {109}},
  };
  for (const auto& c : cases) {
    std::vector<std::uint16_t> sent;
    for (const BurstChange& change : ChangesBetween(c.was, c.wanted)) sent.push_back(change.request.command);
    EXPECT_EQ(sent, c.commands) << &c - cases;
  }
}

}  // namespace
}  // namespace zolin6::desktop
