#include "desktop/held_outputs.h"

#include <QMessageBox>
#include <QPushButton>

#include <charconv>

#include "configuration/device_codec.h"
#include "configuration/link_client.h"
#include "navigation/release.h"

namespace zolin6::desktop {

HeldOutputs::HeldOutputs(QWidget& parent, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap,
                         const link::LinkActivity& activity, configuration::Wait wait)
    : parent_(parent), clock_(clock), tap_(std::move(tap)), activity_(activity), wait_(std::move(wait)) {}

QString HeldOutputs::describe() const {
  QStringList lines;
  for (const auto& [channel, current] : activity_.heldOutputs()) {
    lines << QString("Channel %1 output held at %2 mA").arg(channel).arg(current, 0, 'f', 3);
  }
  return lines.join('\n');
}

bool HeldOutputs::releaseAll() {
  if (!any()) return true;
  configuration::LinkClient client(clock_, wait_);
  QString failed;
  if (Result<bool> connected = client.Connect(tap_->Share()); !connected) {
    failed = QString::fromStdString(connected.error().message);
  }
  const std::map<int, double> held = activity_.heldOutputs();
  for (auto it = held.begin(); failed.isEmpty() && it != held.end(); ++it) {
    const navigation::CurrentRelease release = navigation::ReleaseForChannel(it->first);
    configuration::Attributes attributes = configuration::NoAttributes();
    attributes[0] = release.attribute1;
    attributes[1] = release.attribute2;
    int write = 0;
    std::from_chars(release.code.data(), release.code.data() + release.code.size(), write);
    const Result<int> code = client.Write(write, attributes);
    if (!code) failed = QString("Channel %1: %2").arg(it->first).arg(QString::fromStdString(code.error().message));
    if (code && *code != 0) failed = QString("Channel %1: the device answered %2").arg(it->first).arg(*code);
  }
  client.PrepareToRelease();
  if (failed.isEmpty() && !any()) return true;
  QMessageBox::warning(&parent_, "Release Held Outputs",
                       "The device did not confirm the release: " + failed +
                           "\n\nThe output may still be held; the loop is not under automatic control.");
  return false;
}

bool HeldOutputs::mayGoOn(const QString& action) {
  if (!any()) return true;
  QMessageBox ask(QMessageBox::Warning, "Output Held",
                  describe() + ": the loop is not under automatic control.\n\nRelease it before you " + action + "?",
                  QMessageBox::NoButton, &parent_);
  ask.setObjectName("HeldOutputQuestion");
  QPushButton* release = ask.addButton("Release, then " + action, QMessageBox::AcceptRole);
  ask.addButton(QMessageBox::Cancel);
  ask.setDefaultButton(release);
  ask.exec();
  if (ask.clickedButton() != release) return false;
  if (releaseAll()) return true;
  QMessageBox goOn(QMessageBox::Warning, "Output Held", "Go on and " + action + " with the output held?",
                   QMessageBox::NoButton, &parent_);
  goOn.setObjectName("HeldOutputGoOn");
  QPushButton* anyway = goOn.addButton(action.left(1).toUpper() + action.mid(1) + " Anyway", QMessageBox::AcceptRole);
  goOn.addButton(QMessageBox::Cancel);
  goOn.setDefaultButton(QMessageBox::Cancel);
  goOn.exec();
  return goOn.clickedButton() == anyway;
}

}  // namespace zolin6::desktop
