#include "desktop/window_transfer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProgressDialog>

#include <atomic>

namespace zolin6::desktop {

WindowTransfer::WindowTransfer(QWidget& parent, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap)
    : parent_(parent), clock_(clock), tap_(std::move(tap)) {}

template <class Work>
auto WindowTransfer::run(const QString& what, Work work)
    -> decltype(work(std::declval<configuration::LinkClient&>(),
                     std::declval<const configuration::TransferOptions&>())) {
  QProgressDialog progress(what, "Cancel", 0, 0, &parent_);
  progress.setObjectName("TransferProgress");
  progress.setWindowTitle(what);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setAutoReset(false);
  std::atomic<bool> cancel{false};
  QObject::connect(&progress, &QProgressDialog::canceled, [&cancel] { cancel = true; });
  progress.show();

  // Sleeps until something happens (the window's clock wakes for the
  // device's answer), so the window stays responsive and idle alike.
  configuration::LinkClient client(clock_, [] {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
  });
  if (Result<bool> connected = client.Connect(tap_->Share()); !connected) return connected.error();
  configuration::TransferOptions options;
  options.cancel = &cancel;
  options.readAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString();
  options.progress = [&progress, &what](const configuration::Progress& step) {
    progress.setMaximum(step.total);
    progress.setValue(step.done);
    progress.setLabelText(what + "\n" + QString::fromStdString(step.step));
  };
  auto result = work(client, options);
  client.PrepareToRelease();
  return result;
}

Result<configuration::Configuration> WindowTransfer::upload(const QString& what) {
  return run(what, [](configuration::LinkClient& client, const configuration::TransferOptions& options) {
    return configuration::Upload(client, options);
  });
}

Result<configuration::DownloadResult> WindowTransfer::download(const configuration::Configuration& file,
                                                               const configuration::DownloadPlan& plan) {
  return run("Downloading to the device",
             [&](configuration::LinkClient& client,
                 const configuration::TransferOptions& options) -> Result<configuration::DownloadResult> {
               return configuration::Download(client, file, plan, options);
             });
}

}  // namespace zolin6::desktop
