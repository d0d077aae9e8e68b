#include "desktop/burst_records.h"

#include <QUuid>

#include "history/history_recorder.h"

namespace zolin6::desktop {

history::Record BurstChangeRecord(const BurstChange& change, const history::DeviceIdentity& device,
                                  std::int64_t timeUtc) {
  history::Record record;
  record.key = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
  record.timeUtc = timeUtc;
  record.user = history::LoginName();
  record.device = device;
  record.page = "Burst Mode";
  record.operation = "burst mode";
  record.writeCode = "cmd " + std::to_string(change.request.command);
  record.values = {{change.name, change.before, change.after}};
  return record;
}

void CompleteBurstRecord(history::Record& record, const hart::Completion& completion) {
  const bool replied = completion.outcome == hart::Outcome::Replied;
  record.outcome = !replied                                             ? history::Outcome::NoAnswer
                   : BurstChangeTaken(completion.status.responseCode()) ? history::Outcome::Accepted
                                                                        : history::Outcome::Refused;
  record.outcomeText = BurstAnswerText(completion);
}

}  // namespace zolin6::desktop
