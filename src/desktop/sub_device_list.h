#pragma once
// File > Connect's device behind a HART-IP I/O system: a field for its
// index or long tag (empty: the endpoint itself), and a list of the
// sub-devices the endpoint has (index, long tag, maker, device type, device
// id), read by commands 74 and 84 on the event loop while the dialog stays
// usable. Picking a row takes its index.

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "driver/sub_device_finder.h"
#include "platform/result.h"
#include "transport/connection_target.h"
#include "transport/event_loop_clock.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zolin6::desktop {

class SubDeviceList : public QWidget {
 public:
  // `endpoint`: the HART-IP endpoint as the dialog's fields give it now.
  SubDeviceList(transport::EventLoopClock& ticker, std::function<transport::ConnectionTarget()> endpoint);
  ~SubDeviceList() override;

  // The device the field names, as the connection text reads it; an error
  // names what is wrong with it.
  Result<driver::SubDeviceName> device() const;
  void showDevice(const driver::SubDeviceName& name);
  // Reads the endpoint's sub-devices into the table.
  void startListing();
  bool listing() const { return finder_ && finder_->running(); }
  QTableWidget* table() const { return table_; }
  // Says what is wrong with the field, under the list.
  void complain(const QString& why);

 private:
  void add(const hart::SubDeviceIdentity& device);
  void ended(const Result<std::optional<driver::SubDeviceWay>>& way);

  transport::EventLoopClock& ticker_;
  std::function<transport::ConnectionTarget()> endpoint_;
  QLineEdit* device_ = nullptr;
  QPushButton* list_ = nullptr;
  QLabel* status_ = nullptr;
  QTableWidget* table_ = nullptr;
  std::shared_ptr<driver::ByteLink> link_;  // the session, open only while listing
  std::shared_ptr<driver::SubDeviceFinder> finder_;
  QTimer letGo_;  // drops the finished listing once its own call has returned
};

}  // namespace zolin6::desktop
