#include "desktop/prompter.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace zolin6::desktop {

int Prompter::choose(const Question& question) {
  if (report_) {
    report_(question.title, question.text, question.choices.value(0));
    return 0;
  }
  QMessageBox box(QMessageBox::Warning, question.title, question.text, QMessageBox::NoButton, &parent_);
  box.setObjectName(question.name);
  std::vector<QPushButton*> buttons;
  for (int i = 0; i < question.choices.size(); ++i) {
    const bool cancels = i == question.choices.size() - 1 && i > 0;
    buttons.push_back(box.addButton(question.choices[i], cancels ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
  }
  if (!buttons.empty()) {
    box.setDefaultButton(buttons[static_cast<std::size_t>(question.preset)]);
    box.setEscapeButton(buttons.back());
  }
  if (modalListener_) modalListener_(true);
  box.exec();
  if (modalListener_) modalListener_(false);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i]) return static_cast<int>(i);
  }
  return static_cast<int>(buttons.size()) - 1;
}

void Prompter::tell(const QString& name, const QString& title, const QString& text) {
  if (report_) {
    report_(title, text, "");
    return;
  }
  auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, &parent_);
  box->setObjectName(name);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

}  // namespace zolin6::desktop
