#pragma once
// The window's own questions and notices, asked around the control's boxes
// (never instead of them): before an output is held, about unsaved edits,
// when the last device does not answer. In front of a person they are
// message boxes; a script run answers every question with its first choice
// at once and reports what it was asked.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace zolin6::desktop {

struct Question {
  QString name;         // the box's object name, for the tests ("HoldOutputQuestion")
  QString title;        // the box's title
  QString text;         // what it says
  QStringList choices;  // the buttons, the going-on one first; the last one cancels
  int preset = 0;       // the button Enter presses
};

class Prompter {
 public:
  using Report = std::function<void(const QString& title, const QString& text, const QString& answer)>;

  explicit Prompter(QWidget& parent) : parent_(parent) {}

  // Asks and waits for the answer: the index of the choice made (the last
  // one when the box is closed).
  int choose(const Question& question);
  // A question with two choices: true for the first.
  bool ask(const Question& question) { return choose(question) == 0; }
  // Says something that needs no answer; the window goes on meanwhile.
  void tell(const QString& name, const QString& title, const QString& text);

  // From now on nothing is shown: questions get their first choice and
  // every question and notice goes to `report`.
  void answerFirst(Report report) { report_ = std::move(report); }
  // Told when a question opens (true) and closes (false).
  void setModalListener(std::function<void(bool open)> listener) { modalListener_ = std::move(listener); }

 private:
  QWidget& parent_;
  Report report_;
  std::function<void(bool)> modalListener_;
};

}  // namespace zolin6::desktop
