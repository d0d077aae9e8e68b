#pragma once
// Message boxes answered from a queue, as a person at the screen would answer
// them; every box shown is recorded. With nothing queued a Yes/No box answers
// No and an OK box OK.

#include <deque>
#include <string>
#include <vector>

#include "platform/toolkit/message_box.h"

namespace zolin6::fakes {

struct ShownBox {
  std::string text;
  std::string title;
  toolkit::Buttons buttons;
  toolkit::Icon icon;
  toolkit::Answer answer;
};

class FakeMessageBoxes : public toolkit::MessageBoxes {
 public:
  toolkit::Answer show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                       toolkit::Icon icon) override {
    toolkit::Answer answer = buttons == toolkit::Buttons::YesNo ? toolkit::Answer::No : toolkit::Answer::Ok;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    shown.push_back({text, title, buttons, icon, answer});
    return answer;
  }

  std::deque<toolkit::Answer> answers;
  std::vector<ShownBox> shown;
};

}  // namespace zolin6::fakes
