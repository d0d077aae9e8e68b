#pragma once
// Upload and download from the window: on the control's own link, which the
// tap lends for the purpose, with a progress dialog whose Cancel stops
// before the next request. The window's clock keeps running meanwhile, so
// the control goes on polling its page and the device answers both.

#include <QString>

#include <memory>

#include "configuration/transfer.h"
#include "link/link_tap.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"

class QWidget;

namespace zolin6::desktop {

class WindowTransfer {
 public:
  WindowTransfer(QWidget& parent, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap);

  // Reads the device's configuration; `what` labels the progress dialog.
  Result<configuration::Configuration> upload(const QString& what);
  // Writes `plan` and reads the device back.
  Result<configuration::DownloadResult> download(const configuration::Configuration& file,
                                                 const configuration::DownloadPlan& plan);

 private:
  template <class Work>
  auto run(const QString& what, Work work) -> decltype(work(std::declval<configuration::LinkClient&>(),
                                                            std::declval<const configuration::TransferOptions&>()));

  QWidget& parent_;
  toolkit::Clock& clock_;
  std::shared_ptr<link::LinkTap> tap_;
};

}  // namespace zolin6::desktop
