#include "window_plant.h"

#include <QAction>
#include <QMessageBox>

#include "desktop/history_window.h"
#include "view/main_window.h"
#include "window_start.h"

namespace zolin6::app {

PlantView::PlantView(view::MainWindow& window, WindowConnection& connection, desktop::DeviceTools& tools,
                     LeaveGuard mayLeave)
    : window_(window),
      connection_(connection),
      tools_(tools),
      mayLeave_(std::move(mayLeave)),
      list_(tools.historyWorker()) {
  window.addCommand("View", "&Plant", "actionPlant", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
                    [this] { show(); });
}

desktop::PlantWindow* PlantView::show() {
  if (view_ == nullptr) {
    desktop::PlantActions actions{
        [this](const QString& text) { openDevice(text); },
        [this](const plant::PlantDevice& device) {
          const QString name =
              device.tag.empty() ? QString("id %1").arg(device.deviceId) : QString::fromStdString(device.tag);
          tools_.showHistory()->showDevice({device.manufacturer, device.deviceType, device.deviceId}, name);
        }};
    view_ = new desktop::PlantWindow(&scanner_, &list_, std::move(actions), &window_);
  } else {
    view_->load();
  }
  view_->show();
  view_->raise();
  return view_;
}

void PlantView::openDevice(const QString& text) {
  Result<transport::ConnectionTarget> target = transport::ParseConnection(text.toStdString());
  if (!target) {
    QMessageBox::warning(view_, "Open Device", QString::fromStdString(target.error().message));
    return;
  }
  if (!mayLeave_("connect to another device")) return;
  if (Result<bool> connected = connection_.Connect(*target); !connected) {
    QMessageBox::warning(view_, "Open Device", QString::fromStdString(connected.error().message));
    return;
  }
  RememberConnection(*target);
  window_.raise();
  window_.activateWindow();
}

}  // namespace zolin6::app
