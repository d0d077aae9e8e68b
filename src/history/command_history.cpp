#include "history/command_history.h"

#include <QDateTime>

namespace zolin6::history {

CommandHistory::CommandHistory(StoreLocation location, toolkit::Clock& clock, std::function<std::string()> page,
                               std::string operation)
    : worker_(std::move(location), {{}, false}, {}),
      recorder_(worker_, {clock,
                          link::WallTime(clock, QDateTime::currentMSecsSinceEpoch() - clock.now()),
                          LoginName(),
                          std::move(page),
                          {},
                          {},
                          std::move(operation)}) {}

std::string CommandHistory::Close(std::chrono::milliseconds wait) {
  recorder_.OnSessionEnd();
  return worker_.Stop(wait).Describe();
}

}  // namespace zolin6::history
