#pragma once
// Modal message boxes go through this interface so that the window shows real
// dialogs while tests and the scenario runner answer from a queue.

#include <string>

namespace zolin6::toolkit {

enum class Buttons { Ok, YesNo };
enum class Icon { None, Critical, Information };
enum class Answer { Ok, Yes, No };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual Answer show(const std::string& text, const std::string& title, Buttons buttons, Icon icon) = 0;
};

}  // namespace zolin6::toolkit
