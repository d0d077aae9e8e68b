#pragma once
// The configuration file open in the window. The control's four off-line
// pages show its values: their combo boxes, which the control never fills,
// offer the lists of their on-line counterparts, and a choice there changes
// the file's value after the same checks a download makes. A page of its
// own (OffLineValuesPage) edits every other value.

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "configuration/catalogue.h"
#include "configuration/values.h"
#include "platform/result.h"
#include "platform/toolkit/form.h"

namespace zolin6::view {
class FormBinding;
}  // namespace zolin6::view

namespace zolin6::desktop {

class OffLineFile : public QObject {
 public:
  OffLineFile(toolkit::Form& form, view::FormBinding& binding);

  // Takes `configuration`, read from `path`, and shows it.
  void open(configuration::Configuration configuration, const QString& path);
  bool isOpen() const { return configuration_.has_value(); }
  const configuration::Configuration& configuration() const { return *configuration_; }
  const QString& path() const { return path_; }
  bool modified() const { return modified_; }

  // Changes one value when the configuration with it is one the device
  // accepts; otherwise says why and changes nothing.
  Result<bool> set(const std::string& key, const configuration::Value& value);
  // Saves the configuration to `path`, which becomes the file's.
  Result<bool> saveAs(const QString& path);

  // Called after every change of the file, its values or its name; a
  // refused choice on an off-line page is told through `refused`.
  std::function<void()> changed;
  std::function<void(const QString& reason)> refused;

 private:
  // One field of an off-line page and the value it shows; a field without
  // an enumeration is the date.
  struct Field {
    std::string control;  // "cmbOffLineSensorType(2)"
    std::string key;      // "channel 2.sensor type"
    configuration::Enumeration enumeration;
    std::string listFrom;  // the on-line combo box whose items it offers
  };
  void showValues();
  void userChose(const Field& field);
  void notify() const;

  toolkit::Form& form_;
  view::FormBinding& binding_;
  std::vector<Field> fields_;
  std::optional<configuration::Configuration> configuration_;
  QString path_;
  bool modified_ = false;
  bool showing_ = false;  // true while the file's values are put on the pages
};

}  // namespace zolin6::desktop
