#include "history/history_record.h"

#include <QDateTime>

namespace zolin6::history {

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Pending: return "pending";
    case Outcome::Accepted: return "accepted";
    case Outcome::Refused: return "refused";
    case Outcome::NoAnswer: return "no answer";
  }
  return "pending";
}

bool ParseOutcome(const std::string& name, Outcome& outcome) {
  for (Outcome candidate : {Outcome::Pending, Outcome::Accepted, Outcome::Refused, Outcome::NoAnswer}) {
    if (name == OutcomeName(candidate)) {
      outcome = candidate;
      return true;
    }
  }
  return false;
}

std::string IsoUtc(std::int64_t timeUtc) {
  return QDateTime::fromMSecsSinceEpoch(timeUtc, Qt::UTC).toString(Qt::ISODateWithMs).toStdString();
}

}  // namespace zolin6::history
