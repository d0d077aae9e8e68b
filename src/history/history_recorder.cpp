#include "history/history_recorder.h"

#include <pwd.h>
#include <unistd.h>

#include <QUuid>
#include <algorithm>
#include <cstdlib>

#include "history/value_texts.h"
#include "history/write_catalogue.h"

namespace zolin6::history {

std::string DownloadOperation(const std::string& fileName) { return "download of " + fileName; }

std::string LoginName() {
  for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
    if (const char* name = std::getenv(variable); name != nullptr && *name != '\0') return name;
  }
  const passwd* account = getpwuid(geteuid());
  return account != nullptr ? account->pw_name : "unknown";
}

namespace {

constexpr int kResponseCodes = 5;

}  // namespace

HistoryRecorder::HistoryRecorder(RecordSink& sink, RecorderContext context)
    : context_(std::move(context)), sink_(sink) {}

HistoryRecorder::~HistoryRecorder() = default;

void HistoryRecorder::OnRequest(link::RequestKind kind, const std::string& code, const std::string& document) {
  if (kind != link::RequestKind::Write) return;
  const std::string page = context_.page ? context_.page() : std::string();
  WriteDescription description = DescribeWrite(code, link::RequestAttributes(document), page,
                                               [this](std::string_view tag) { return memory_.value(tag); });
  auto record = std::make_shared<Record>();
  record->key = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
  record->timeUtc = context_.wallTime.now();
  record->user = context_.user;
  record->device = memory_.identity();
  record->page = page;
  record->operation = context_.operation.empty() ? std::move(description.operation) : context_.operation;
  record->writeCode = code;
  record->values = std::move(description.values);
  record->outcomeText = OutcomeName(Outcome::Pending);
  const bool kept = sink_.Add(*record);
  awaiting_.push_back({record, kept});
  if (!kept && context_.notKept) context_.notKept(*record);
  if (kept && context_.changed) context_.changed();
  std::weak_ptr<int> alive = alive_;
  context_.clock.callAt(context_.clock.now() + kAnswerTimeout, [this, alive, record] {
    if (alive.lock()) TimeOut(record);
  });
}

void HistoryRecorder::OnNotification(const link::Notification& notification) {
  if (notification.reason != framelink::kWriteNotification) {
    memory_.Remember(notification);
    // An off-line device answers the requests it gets with its state: the
    // writes sent to it will not be answered.
    if (notification.parameters.empty() && notification.text.find("Offline") != std::string::npos) OnSessionEnd();
    return;
  }
  if (awaiting_.empty()) return;
  const Sent sent = awaiting_.front();
  awaiting_.pop_front();
  std::vector<long> codes;
  for (int i = 1; i <= kResponseCodes; ++i) {
    codes.push_back(DecimalCode(notification.value("Response Code " + std::to_string(i)).value_or("0")).value_or(0));
  }
  const Verdict verdict = JudgeResponse(codes, sent.record->operation);
  Finish(sent, verdict.outcome, verdict.text);
}

void HistoryRecorder::OnSessionEnd() {
  while (!awaiting_.empty()) {
    const Sent sent = awaiting_.front();
    awaiting_.pop_front();
    Finish(sent, Outcome::NoAnswer, OutcomeName(Outcome::NoAnswer));
  }
}

void HistoryRecorder::TimeOut(const std::shared_ptr<Record>& record) {
  auto found =
      std::find_if(awaiting_.begin(), awaiting_.end(), [&](const Sent& sent) { return sent.record == record; });
  if (found == awaiting_.end()) return;
  const Sent sent = *found;
  awaiting_.erase(found);
  Finish(sent, Outcome::NoAnswer, OutcomeName(Outcome::NoAnswer));
}

void HistoryRecorder::Finish(const Sent& sent, Outcome outcome, const std::string& text) {
  if (!sent.kept) return;
  sent.record->outcome = outcome;
  sent.record->outcomeText = text;
  sink_.Complete(*sent.record);
  if (context_.changed) context_.changed();
}

}  // namespace zolin6::history
