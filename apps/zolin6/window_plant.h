#pragma once
// View > Plant: the plant view over the survey `zolin6 --survey` runs and
// the plant list in the device history; a row connects the window to its
// device, or opens the device's history.

#include <memory>

#include "desktop/device_tools.h"
#include "desktop/plant_backends.h"
#include "desktop/plant_window.h"
#include "window_commands.h"
#include "window_connection.h"

namespace zolin6::app {

class PlantView {
 public:
  PlantView(view::MainWindow& window, WindowConnection& connection, desktop::DeviceTools& tools, LeaveGuard mayLeave);

  // Opens the view (made the first time), its list read from the history.
  desktop::PlantWindow* show();

 private:
  void openDevice(const QString& text);

  view::MainWindow& window_;
  WindowConnection& connection_;
  desktop::DeviceTools& tools_;
  LeaveGuard mayLeave_;
  desktop::SurveyScanner scanner_;
  desktop::HistoryPlantList list_;
  desktop::PlantWindow* view_ = nullptr;  // owned by the window
};

}  // namespace zolin6::app
