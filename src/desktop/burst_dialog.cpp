#include "desktop/burst_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

#include "desktop/burst_records.h"
#include "hart/layout.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

constexpr double kPeriodStepS = 0.25;
constexpr double kLevelLimit = 1e6;
constexpr int kDecimals = 3;
constexpr std::array<const char*, 7> kHeadings{"Message", "Publish", "Command", "Variables",
                                               "Period",  "Trigger", "Level"};
enum Column {
  kNumberColumn,
  kOnColumn,
  kCommandColumn,
  kVariablesColumn,
  kPeriodColumn,
  kTriggerColumn,
  kLevelColumn,
  kNoteColumn
};

QString CommandText(std::uint16_t command) {
  const hart::CommandLayout* layout = hart::FindCommand(command);
  const QString name =
      layout != nullptr ? QString::fromUtf8(layout->name.data(), static_cast<int>(layout->name.size())) : QString();
  return QString("%1  %2").arg(command).arg(name);
}

}  // namespace

BurstDialog::BurstDialog(QWidget* parent, BurstLine line, BurstRecords records)
    : QDialog(parent), line_(std::move(line)), records_(std::move(records)) {
  setObjectName("BurstModeDialog");
  setWindowTitle("Burst Mode");
  auto* column = new QVBoxLayout(this);
  auto* intro = new QLabel(
      "The device publishes each message that is on, unasked, every period while its trigger holds. The trend and "
      "the recording take what it publishes.");
  intro->setWordWrap(true);
  column->addWidget(intro);
  form_ = new QWidget;
  grid_ = new QGridLayout(form_);
  for (std::size_t i = 0; i < kHeadings.size(); ++i) {
    auto* heading = new QLabel(QString("<b>%1</b>").arg(kHeadings[i]));
    grid_->addWidget(heading, 0, static_cast<int>(i));
  }
  column->addWidget(form_);
  for (int number = 0; number < kBurstMessageCount; ++number) {
    buildRow(number);
    fill(number);  // nothing to change before the device said what it has
  }
  status_ = new QLabel;
  status_->setObjectName("BurstStatus");
  outcome_ = new QLabel;
  outcome_->setObjectName("BurstOutcome");
  outcome_->setWordWrap(true);
  outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(outcome_);
  column->addWidget(status_);
  auto* buttons = new QDialogButtonBox;
  readButton_ = buttons->addButton("&Read Again", QDialogButtonBox::ResetRole);
  applyButton_ = buttons->addButton(QDialogButtonBox::Apply);
  closeButton_ = buttons->addButton(QDialogButtonBox::Close);
  connect(readButton_, &QPushButton::clicked, this, [this] { readAll(); });
  connect(applyButton_, &QPushButton::clicked, this, [this] { apply(); });
  connect(closeButton_, &QPushButton::clicked, this, &BurstDialog::reject);
  column->addWidget(buttons);
  timeout_.setSingleShot(true);
  timeout_.setInterval(kBurstAnswerTimeoutMs);
  connect(&timeout_, &QTimer::timeout, this, [this] { timedOut(); });
  readAll();
}

void BurstDialog::buildRow(int number) {
  const int at = number + 1;
  Row& row = rows_.at(static_cast<std::size_t>(number));
  const QString name = QString("BurstMessage%1").arg(number);
  grid_->addWidget(new QLabel(QString::number(number)), at, kNumberColumn);
  row.on = new QCheckBox("On");
  row.command = new QComboBox;
  for (const std::uint16_t command : kBurstCommands) row.command->addItem(CommandText(command), command);
  row.variables = new QLineEdit;
  row.variables->setPlaceholderText("codes, e.g. 0 1 2 3");
  row.variables->setToolTip("Command 9: up to eight device variable codes below 250, separated by blanks");
  row.period = new QDoubleSpinBox;
  row.period->setRange(kShortestBurstPeriodS, kLongestBurstPeriodS);
  row.period->setSingleStep(kPeriodStepS);
  row.period->setDecimals(kDecimals);
  row.period->setSuffix(" s");
  row.trigger = new QComboBox;
  for (int mode = 0; mode < kBurstTriggerCount; ++mode)
    row.trigger->addItem(TriggerName(static_cast<BurstTrigger>(mode)));
  row.level = new QDoubleSpinBox;
  row.level->setRange(-kLevelLimit, kLevelLimit);
  row.level->setDecimals(kDecimals);
  row.level->setToolTip("The temperature the trigger watches, in the message's units");
  row.note = new QLabel;
  const std::array<QWidget*, 7> cells{row.on, row.command, row.variables, row.period, row.trigger, row.level, row.note};
  const std::array<const char*, 7> parts{"On", "Command", "Variables", "Period", "Trigger", "Level", "Note"};
  for (std::size_t i = 0; i < cells.size(); ++i) {
    cells.at(i)->setObjectName(name + parts.at(i));
    grid_->addWidget(cells.at(i), at, kOnColumn + static_cast<int>(i));
  }
  connect(row.command, &QComboBox::currentIndexChanged, this, [this, number] { fitRowToCommand(number); });
  connect(row.trigger, &QComboBox::currentIndexChanged, this, [this, number] { fitRowToCommand(number); });
}

// Variables go with command 9 only, a level with a trigger on one.
void BurstDialog::fitRowToCommand(int number) {
  Row& row = rows_.at(static_cast<std::size_t>(number));
  const bool readable = read_.at(static_cast<std::size_t>(number)).has_value();
  row.variables->setEnabled(readable && row.command->currentData().toInt() == 9);
  row.level->setEnabled(readable && row.trigger->currentIndex() != static_cast<int>(BurstTrigger::Continuous));
}

void BurstDialog::fill(int number) {
  const std::optional<BurstMessage>& message = read_.at(static_cast<std::size_t>(number));
  Row& row = rows_.at(static_cast<std::size_t>(number));
  for (QWidget* cell : {static_cast<QWidget*>(row.on), static_cast<QWidget*>(row.command),
                        static_cast<QWidget*>(row.period), static_cast<QWidget*>(row.trigger)}) {
    cell->setEnabled(message.has_value());
  }
  if (message) {
    row.on->setChecked(message->on);
    row.command->setCurrentIndex(row.command->findData(message->command));
    row.variables->setText(QString::fromStdString(BurstVariablesText(message->variables)));
    row.period->setValue(PeriodSeconds(message->updatePeriod));
    row.trigger->setCurrentIndex(static_cast<int>(message->trigger));
    row.level->setValue(message->triggerLevel);
  }
  fitRowToCommand(number);
}

void BurstDialog::readAll() {
  if (busy()) return;
  outcomes_.clear();
  queueReads();
  sendNext();
}

void BurstDialog::queueReads() {
  for (int number = 0; number < kBurstMessageCount; ++number) {
    const auto n = static_cast<std::uint8_t>(number);
    steps_.push_back({ReadBurstMessage(n),
                      QString("Reading burst message %1\u2026").arg(number),
                      {},
                      [this, number, n](const hart::Completion& completion) {
                        Result<BurstMessage> message = ParseBurstMessage(n, completion);
                        read_.at(static_cast<std::size_t>(number)) =
                            message ? std::optional<BurstMessage>(*message) : std::nullopt;
                        rows_.at(static_cast<std::size_t>(number))
                            .note->setText(message ? QString() : QString::fromStdString(message.error().message));
                        fill(number);
                      }});
  }
}

std::optional<BurstMessage> BurstDialog::wanted(int number) {
  const Row& row = rows_.at(static_cast<std::size_t>(number));
  BurstMessage message = *read_.at(static_cast<std::size_t>(number));
  message.on = row.on->isChecked();
  message.command = static_cast<std::uint16_t>(row.command->currentData().toUInt());
  if (row.variables->isEnabled()) {
    const std::optional<std::vector<std::uint8_t>> codes = ParseBurstVariables(row.variables->text().toStdString());
    if (!codes || codes->empty()) {
      outcomes_ << QString(
                       "Message %1: the variables are up to eight device variable codes below 250, the first "
                       "one given.")
                       .arg(number);
      return std::nullopt;
    }
    message.variables = *codes;
  }
  message.updatePeriod = PeriodTicks(row.period->value());
  message.trigger = static_cast<BurstTrigger>(row.trigger->currentIndex());
  message.triggerLevel = static_cast<float>(row.level->value());
  return message;
}

bool BurstDialog::queueChanges(int number) {
  if (!read_.at(static_cast<std::size_t>(number))) return true;
  const std::optional<BurstMessage> asked = wanted(number);
  if (!asked) return false;
  for (const BurstChange& change : ChangesBetween(*read_.at(static_cast<std::size_t>(number)), *asked)) {
    const QString what = QString::fromStdString(change.name);
    auto record = std::make_shared<history::Record>();
    // Kept before it goes out and completed with the answer, as every write.
    auto sending = [this, change, record] {
      *record = BurstChangeRecord(change, records_.device(), records_.wallTime.now());
      if (!records_.sink.Add(*record)) outcomes_ << "The device history cannot take this change's record now.";
    };
    auto then = [this, change, what, record](const hart::Completion& completion) {
      CompleteBurstRecord(*record, completion);
      records_.sink.Complete(*record);
      outcomes_ << QString("%1: %2 \u2192 %3: %4")
                       .arg(what, QString::fromStdString(change.before), QString::fromStdString(change.after),
                            QString::fromStdString(record->outcomeText));
      // The device goes no further than its first refusal, as with any write,
      // and shows what it keeps.
      if (record->outcome == history::Outcome::Refused) {
        steps_.clear();
        queueReads();
      }
    };
    steps_.push_back({change.request, "Writing " + what.toLower() + "\u2026", sending, then});
  }
  return true;
}

void BurstDialog::apply() {
  if (busy()) return;
  outcomes_.clear();
  bool fits = true;
  for (int number = 0; number < kBurstMessageCount; ++number) fits = queueChanges(number) && fits;
  if (!fits) steps_.clear();
  if (fits && steps_.empty()) outcomes_ << "Nothing changed.";
  if (!fits || steps_.empty()) return outcome_->setText(outcomes_.join('\n'));
  queueReads();
  sendNext();
}

void BurstDialog::sendNext() {
  while (!awaiting_ && !steps_.empty()) {
    current_ = std::move(steps_.front());
    steps_.pop_front();
    status_->setText(current_->doing);
    if (current_->sending) current_->sending();
    const unsigned number = ++sent_;
    auto done = [self = QPointer<BurstDialog>(this), number](const hart::Completion& completion) {
      if (self != nullptr && self->awaiting_ && number == self->sent_) self->answered(completion);
    };
    awaiting_ = line_.send(current_->request, done);
    if (!awaiting_) {
      outcomes_ << "Nothing was sent: " + line_.unavailable();
      steps_.clear();
      current_.reset();
    }
  }
  if (awaiting_) timeout_.start();
  updateControls();
}

// A transaction that got no reply ends the run: the line or the device is
// gone, and what is queued would fare no better.
void BurstDialog::answered(const hart::Completion& completion) {
  timeout_.stop();
  awaiting_ = false;
  const std::optional<Step> step = std::exchange(current_, std::nullopt);
  if (step) step->then(completion);
  if (completion.outcome != hart::Outcome::Replied) steps_.clear();
  sendNext();
}

void BurstDialog::timedOut() {
  outcomes_ << QString("The device did not answer within %1 s.").arg(kBurstAnswerTimeoutMs / 1000);
  hart::Completion none;
  none.command = current_ ? current_->request.command : 0;
  none.outcome = hart::Outcome::NoReply;
  answered(none);
}

void BurstDialog::updateControls() {
  const bool idle = !busy();
  form_->setEnabled(idle);
  readButton_->setEnabled(idle);
  applyButton_->setEnabled(idle &&
                           std::any_of(read_.begin(), read_.end(), [](const auto& m) { return m.has_value(); }));
  closeButton_->setEnabled(idle);
  if (idle) status_->clear();
  outcome_->setText(outcomes_.join('\n'));
}

void BurstDialog::reject() {
  if (!busy()) QDialog::reject();
}

void AddBurstCommand(view::MainWindow& window, const BurstLine& line, const BurstRecords& records) {
  QMenu* device = window.menu("Device");
  QAction* action = device->addAction("&Burst Mode\u2026");
  action->setObjectName("actionBurstMode");
  device->setToolTipsVisible(true);
  auto open = std::make_shared<QPointer<BurstDialog>>();
  QObject::connect(device, &QMenu::aboutToShow, action, [action, unavailable = line.unavailable] {
    const QString why = unavailable();
    action->setEnabled(why.isEmpty());
    action->setToolTip(why.isEmpty() ? "Read and set what the device publishes unasked" : why);
    action->setStatusTip(action->toolTip());
  });
  QObject::connect(action, &QAction::triggered, &window, [&window, line, records, open] {
    if (*open == nullptr) {
      *open = new BurstDialog(&window, line, records);
      (*open)->setAttribute(Qt::WA_DeleteOnClose);
    }
    (*open)->show();
    (*open)->raise();
  });
}

}  // namespace zolin6::desktop
