#include "view/form_binding.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <climits>
#include <map>
#include <set>

#include "forms/form_design.h"
#include "view/lamp.h"
#include "view/ole_color.h"

namespace zolin6::view {

namespace {

using forms::Kind;

constexpr int kGridColumns = 4;           // caption, field, unit, extra; a fifth column takes the spare width
constexpr int kFieldChars = 32;           // a field grows up to a 32-character long tag or message
constexpr int kNarrowestFieldChars = 14;  // and keeps room for a number with all its digits
constexpr int kCompactFieldChars = 10;    // fields of a two-column page (counters)
constexpr int kFieldStretch = 3;          // fields take most of the spare width, up to their widest
constexpr int kRowGap = 10;               // pixels for a gap between design rows
constexpr int kMenuButtonChars = 22;      // menu buttons share one width

std::string Key(std::string_view parent, int tab) { return std::string(parent) + "#" + std::to_string(tab); }
QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

bool IsContainer(Kind kind) { return kind == Kind::Frame || kind == Kind::PictureBox || kind == Kind::TabControl; }
bool IsField(Kind kind) { return kind == Kind::TextBox || kind == Kind::ComboBox; }

// Lines up the fields of one page: every grid with captions in its caption
// column gets one caption width, less the inset of the group frames it sits
// in, so fields inside and outside a group frame start at the same place.
void AlignCaptions(QWidget* page) {
  page->ensurePolished();
  struct CaptionGrid {
    QGridLayout* grid;
    int inset;    // pixels the group frames around the grid push it right
    int caption;  // widest caption of the grid
  };
  std::vector<CaptionGrid> grids;
  for (QWidget* widget : page->findChildren<QWidget*>()) {
    auto* grid = qobject_cast<QGridLayout*>(widget->layout());
    if (grid == nullptr) continue;
    int caption = -1;
    for (int i = 0; i < grid->count(); ++i) {
      int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
      grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
      auto* label = qobject_cast<QLabel*>(grid->itemAt(i)->widget());
      if (label != nullptr && column == 0 && columnSpan == 1) {
        caption = std::max(caption, label->fontMetrics().horizontalAdvance(label->text()));
      }
    }
    if (caption < 0) continue;
    int inset = 0;
    for (QWidget* up = widget; up != nullptr && up != page; up = up->parentWidget()) {
      if (auto* group = qobject_cast<QGroupBox*>(up)) {
        inset += group->contentsMargins().left() + group->layout()->contentsMargins().left();
      }
    }
    grids.push_back({grid, inset, caption});
  }
  int line = 0;
  for (const CaptionGrid& g : grids) line = std::max(line, g.caption + g.inset);
  for (const CaptionGrid& g : grids) g.grid->setColumnMinimumWidth(0, line - g.inset);
}

}  // namespace

FormBinding::FormBinding(toolkit::Form& form, QWidget* owner) : QObject(owner), form_(form) {
  build(owner);
  form_.setListener([this](const toolkit::Widget& control) { apply(control); });
}

FormBinding::~FormBinding() { form_.setListener({}); }

QWidget* FormBinding::page(std::string_view frame) const {
  auto it = pages_.find(frame);
  return it == pages_.end() ? nullptr : it->second.data();
}

QWidget* FormBinding::widgetFor(std::string_view id) const {
  auto it = byId_.find(id);
  return it == byId_.end() ? nullptr : it->second.data();
}

void FormBinding::build(QWidget* owner) {
  for (const auto& control : form_.widgets()) {
    children_[Key(control->design().parent, control->design().tab)].push_back(control.get());
  }
  for (std::string_view frame : forms::PageFrames()) {
    auto* page = new QWidget(owner);
    page->setObjectName(Q(frame));
    page->hide();
    layOut(page, frame, -1);
    AlignCaptions(page);
    pages_[std::string(frame)] = page;
  }
  // The buttons below the pages; the window places them.
  for (const auto& control : form_.widgets()) {
    if (control->kind() == Kind::CommandButton && control->design().parent.empty()) {
      create(*control, owner)->hide();
    }
  }
}

void FormBinding::layOut(QWidget* host, std::string_view parent, int tab) {
  auto* grid = new QGridLayout(host);
  auto found = children_.find(Key(parent, tab));
  std::vector<toolkit::Widget*> controls;
  if (found != children_.end()) controls = found->second;
  // Row by row, left to right: also the order of the Tab key.
  std::stable_sort(controls.begin(), controls.end(), [](const toolkit::Widget* a, const toolkit::Widget* b) {
    if (a->design().row != b->design().row) return a->design().row < b->design().row;
    return a->design().column < b->design().column;
  });

  // Design rows become consecutive grid rows; a gap in the design keeps a
  // little space.
  std::map<int, int> gridRow;
  std::map<int, int> perRow;
  int next = 0;
  int previous = INT_MIN;
  for (const toolkit::Widget* c : controls) {
    const int row = c->design().row;
    ++perRow[row];
    if (gridRow.contains(row)) continue;
    if (previous != INT_MIN && row > previous + 1) grid->setRowMinimumHeight(next++, kRowGap);
    gridRow[row] = next++;
    previous = row;
  }
  const bool twoColumns = std::any_of(controls.begin(), controls.end(), [](const toolkit::Widget* c) {
    return IsField(c->kind()) && c->design().column == forms::kExtraColumn;
  });
  const bool menu = !controls.empty() && std::all_of(controls.begin(), controls.end(), [](const toolkit::Widget* c) {
    return c->kind() == Kind::CommandButton && c->design().column == forms::kCaptionColumn;
  });

  // A lamp and the caption on its right are one item, so the caption sits
  // beside its lamp whatever else shares the columns.
  std::set<const toolkit::Widget*> lampCaptions;
  for (const toolkit::Widget* lamp : controls) {
    if (lamp->kind() != Kind::Shape) continue;
    for (const toolkit::Widget* c : controls) {
      if (c->kind() == Kind::Label && c->design().row == lamp->design().row &&
          c->design().column == lamp->design().column + 1) {
        lampCaptions.insert(c);
      }
    }
  }
  bool spanning = false;
  std::map<int, std::vector<QWidget*>> buttonsByColumn;

  for (toolkit::Widget* c : controls) {
    if (lampCaptions.contains(c)) continue;
    QWidget* widget = create(*c, host);
    if (widget == nullptr) continue;
    const int row = gridRow[c->design().row];
    const int column = std::clamp(c->design().column, 0, kGridColumns - 1);
    if (IsContainer(c->kind())) {
      if (column == forms::kCaptionColumn) {
        // As wide as the page, so the fields inside can use its width.
        grid->addWidget(widget, row, 0, 1, kGridColumns, Qt::AlignTop);
        spanning = true;
      } else {
        // A side panel such as a lamp legend: beside the rows, at the top.
        grid->addWidget(widget, row, column, std::max(1, next - row), 1, Qt::AlignLeft | Qt::AlignTop);
      }
    } else if (c->kind() == Kind::Shape) {
      auto* item = new QWidget(host);
      auto* line = new QHBoxLayout(item);
      line->setContentsMargins(0, 0, 0, 0);
      widget->setParent(item);
      line->addWidget(widget);
      for (toolkit::Widget* caption : controls) {
        if (lampCaptions.contains(caption) && caption->design().row == c->design().row)
          line->addWidget(create(*caption, item));
      }
      line->addStretch(1);
      grid->addWidget(item, row, column, 1, 2);
    } else if (c->kind() == Kind::Label && perRow[c->design().row] == 1 && column == forms::kCaptionColumn) {
      // A label alone on its row is the title of what follows.
      QFont bold = widget->font();
      bold.setBold(true);
      widget->setFont(bold);
      grid->addWidget(widget, row, 0, 1, kGridColumns);
    } else if (c->kind() == Kind::CommandButton) {
      if (menu) widget->setMinimumWidth(widget->fontMetrics().averageCharWidth() * kMenuButtonChars);
      buttonsByColumn[column].push_back(widget);
      grid->addWidget(widget, row, column, Qt::AlignLeft);
    } else if (IsField(c->kind())) {
      // Fields stretch with the window up to the longest text in capitals
      // and never shrink below a full number, so the unit right after a
      // field never covers it: a narrower window scrolls instead.
      auto width = [widget](int chars) {
        return widget->fontMetrics().horizontalAdvance(QString(chars, QChar('N'))) + 12;
      };
      if (twoColumns && c->kind() == Kind::TextBox) {
        widget->setFixedWidth(width(kCompactFieldChars));
        grid->addWidget(widget, row, column, Qt::AlignLeft | Qt::AlignVCenter);
      } else {
        widget->setMinimumWidth(width(kNarrowestFieldChars));
        widget->setMaximumWidth(width(kFieldChars));
        widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        grid->addWidget(widget, row, column, Qt::AlignVCenter);
        grid->setColumnStretch(column, kFieldStretch);
      }
    } else {
      grid->addWidget(widget, row, column);
    }
  }
  // Buttons one under another share one width.
  for (const auto& [column, buttons] : buttonsByColumn) {
    int width = 0;
    for (QWidget* button : buttons) width = std::max(width, button->sizeHint().width());
    for (QWidget* button : buttons) button->setMinimumWidth(std::max(width, button->minimumWidth()));
  }
  // Spare width goes to the fields up to their widest, then to the right of
  // the rows, never between a field and its unit. A group frame or tab
  // control spanning the rows takes it all, for the fields inside it.
  if (spanning) grid->setColumnStretch(kGridColumns - 1, 1);
  grid->setColumnStretch(kGridColumns, spanning ? 0 : 1);
  grid->setRowStretch(next, 1);
}

QWidget* FormBinding::create(toolkit::Widget& control, QWidget* host) {
  const forms::ControlDesign& design = control.design();
  QWidget* widget = nullptr;
  switch (control.kind()) {
    case Kind::PictureBox: {
      widget = new QWidget(host);
      layOut(widget, control.id(), -1);
      widget->layout()->setContentsMargins(0, 0, 0, 0);
      break;
    }
    case Kind::Frame: {
      widget = new QGroupBox(Q(design.caption).trimmed(), host);
      layOut(widget, control.id(), -1);
      break;
    }
    case Kind::TabControl: {
      auto* tabs = new QTabWidget(host);
      // Every tab caption stays readable: the page is as wide as its tabs.
      tabs->setUsesScrollButtons(false);
      const auto& captions = static_cast<toolkit::TabControl&>(control).captions();
      for (int k = 0; k < static_cast<int>(captions.size()); ++k) {
        auto* tab = new QWidget(tabs);
        tab->setObjectName(Q(control.id() + "/" + std::to_string(k)));
        layOut(tab, control.id(), k);
        tabs->addTab(tab, Q(captions[static_cast<std::size_t>(k)]));
      }
      widget = tabs;
      break;
    }
    case Kind::TextBox: {
      auto* edit = new QLineEdit(host);
      if (design.readOnly) {
        edit->setReadOnly(true);
        // Displays are skipped by the Tab key but can still be selected.
        edit->setFocusPolicy(Qt::ClickFocus);
      }
      widget = edit;
      break;
    }
    case Kind::Label: {
      auto* label = new QLabel(host);
      label->setTextFormat(Qt::PlainText);
      widget = label;
      break;
    }
    case Kind::ComboBox: {
      auto* combo = new QComboBox(host);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      // What the user types is what the control gets: no completion.
      combo->setCompleter(nullptr);
      widget = combo;
      break;
    }
    case Kind::CommandButton: {
      auto* button = new QPushButton(Q(design.caption), host);
      // Enter in a field must never press a button.
      button->setAutoDefault(false);
      widget = button;
      break;
    }
    case Kind::OptionButton: {
      auto* option = new QRadioButton(Q(design.caption), host);
      // The model clears the other options of the group itself.
      option->setAutoExclusive(false);
      widget = option;
      break;
    }
    case Kind::Shape: widget = new Lamp(host); break;
    case Kind::TreeView:
    case Kind::StatusBar:
    case Kind::Timer: return nullptr;  // drawn by the window
  }
  widget->setObjectName(Q(control.id()));
  views_[&control] = widget;
  byId_[control.id()] = widget;
  connectUser(control, widget);
  applyToWidget(control, widget);
  return widget;
}

}  // namespace zolin6::view
