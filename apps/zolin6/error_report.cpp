#include "error_report.h"

#include <QApplication>
#include <QMessageBox>

#include <iostream>

#include "file_commands.h"

namespace zolin6::app {

bool ErrorReport::PersonWatches(bool screenshot) {
  if (screenshot || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

int ErrorReport::Say(const std::string& message) const {
  std::cerr << "zolin6: " << message << '\n' << std::flush;
  if (boxes_) {
    QString text = QString::fromStdString(message);
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    QMessageBox::critical(nullptr, "ZOLIN-6", text);
  }
  return kExitError;
}

}  // namespace zolin6::app
