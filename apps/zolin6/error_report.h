#pragma once
// What stops the program, or what a person must learn before it ends: said
// on standard error always, and in a message box as well when a person is
// looking at the window.

#include <string>

namespace zolin6::app {

class ErrorReport {
 public:
  // Whether a person sees the window: not for the commands without one,
  // not on a platform that draws nowhere (offscreen, minimal) and not for
  // an unattended picture (--screenshot), where a modal box would wait for
  // a click that never comes.
  static bool PersonWatches(bool screenshot);

  explicit ErrorReport(bool boxes) : boxes_(boxes) {}

  // Says `message`; returns the exit status of an error, 2.
  int Say(const std::string& message) const;

 private:
  bool boxes_;
};

}  // namespace zolin6::app
