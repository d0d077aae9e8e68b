#include "stop_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace zolin6::device_app {

namespace {

int signalDescriptor = -1;

}  // namespace

bool BlockStopSignals() {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  if (sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0) return false;
  signalDescriptor = signalfd(-1, &stopSignals, SFD_NONBLOCK | SFD_CLOEXEC);
  return signalDescriptor >= 0;
}

void OnStopSignal(std::function<void()> stop) {
  auto* notifier = new QSocketNotifier(signalDescriptor, QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [stop = std::move(stop)] {
    signalfd_siginfo info{};
    while (read(signalDescriptor, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    }
    stop();
  });
}

}  // namespace zolin6::device_app
