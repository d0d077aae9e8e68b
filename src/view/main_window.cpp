#include "view/main_window.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

#include "forms/form_design.h"
#include "navigation/page_names.h"
#include "view/tree_icons.h"

namespace zolin6::view {

namespace {

constexpr const char* kProgramTitle = "ZOLIN-6 Temperature Transmitter";

// The title above each page frame. The off-line frames are never shown.
const std::map<std::string_view, const char*>& PageTitles() {
  static const std::map<std::string_view, const char*> titles = {
      {"frmInfo", "Information"},
      {"frmInfoHart", "Information \u2013 HART"},
      {"frmInfoSensor", "Information \u2013 Sensor"},
      {"frmChannelSensor", "Configuration \u2013 Sensor"},
      {"frmConf_Range", "Configuration \u2013 Sensor Range"},
      {"frmSpecialFunction", "Configuration \u2013 Special Function"},
      {"frmConfLocalTemp", "Configuration \u2013 Local Temp"},
      {"frmConfLCD", "Configuration \u2013 LCD"},
      {"frmConfHART", "Configuration \u2013 HART"},
      {"frmTrim", "Trim"},
      {"frmTrimCurrentChannel", "Trim \u2013 Current Trim"},
      {"frmTrimCurrent", "Trim \u2013 Current Trim"},
      {"frmSensorTrim", "Trim"},
      {"frmSensorTrimMenu", "Trim \u2013 Sensor Trim"},
      {"frmFactoryTrim", "Trim"},
      {"frmMaintenance", "Maintenance"},
      {"frmLoopTest", "Maintenance \u2013 Loop Test"},
      {"frmObserve", "Observe"},
      {"frmDiagnosis", "Diagnosis"},
  };
  return titles;
}

}  // namespace

MainWindow::MainWindow(UserCntrl& control, QString iconFolder, QWidget* parent)
    : QMainWindow(parent), control_(control), iconFolder_(std::move(iconFolder)) {
  setObjectName("UserCntrl");
  setWindowTitle(kProgramTitle);
  binding_ = new FormBinding(control_.form(), this);
  binding_->setHostHook([this](const toolkit::Widget& w) { hostChanged(w); });

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter_ = splitter;
  splitter->setObjectName("Splitter");
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(buildTree());
  splitter->addWidget(buildPageArea());
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  setCentralWidget(splitter);
  buildStatusBar();
  buildMenuBar();

  showVisiblePage();
  for (int panel = 1; panel <= 4; ++panel) showPanel(panel);

  // Large enough for the largest page the user can open without scrolling.
  QSize page;
  const auto& frames = forms::PageFrames();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (!PageTitles().contains(frames[i])) continue;
    page = page.expandedTo(static_cast<QScrollArea*>(pageSlots_[i])->widget()->sizeHint());
  }
  const int treeWidth = tree_->minimumWidth();
  splitter->setSizes({treeWidth, page.width() + 24});
  QSize first(treeWidth + page.width() + 48, page.height() + 140);
  // Never larger than the screen leaves free: the pages scroll instead.
  if (const QScreen* shown = screen()) first = first.boundedTo(shown->availableGeometry().size());
  resize(first);
}

void MainWindow::setDocumentTitle(const QString& document) {
  documentTitle_ = document;
  setConnectionTitle(connectionTitle_);
}

void MainWindow::setConnectionTitle(const QString& connection) {
  connectionTitle_ = connection;
  QString title = kProgramTitle;
  if (!documentTitle_.isEmpty()) title = documentTitle_ + "[*] \u2013 " + title;
  if (!connectionTitle_.isEmpty()) title += " \u2013 " + connectionTitle_;
  setWindowTitle(title);
}

QString MainWindow::PageTitle(std::string_view frame) {
  auto title = PageTitles().find(frame);
  return title == PageTitles().end() ? QString() : QString::fromUtf8(title->second);
}

QTreeWidgetItem* MainWindow::treeItem(int node) const {
  if (node < 1 || node > static_cast<int>(items_.size())) return nullptr;
  return items_[static_cast<std::size_t>(node - 1)];
}

QWidget* MainWindow::buildTree() {
  tree_ = new QTreeWidget;
  tree_->setObjectName("TreeView");
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setIconSize(QSize(16, 16));
  const auto& nodes = control_.form().get<toolkit::TreeView>("TreeView").nodes();
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const toolkit::TreeNode& node = nodes[i];
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(node.text)));
    item->setIcon(0, TreeIcon(node.imageKey, devicePixelRatioF()));
    item->setData(0, Qt::UserRole, static_cast<int>(i + 1));
    if (node.parent > 0 && node.parent <= static_cast<int>(items_.size())) {
      items_[static_cast<std::size_t>(node.parent - 1)]->addChild(item);
    } else {
      tree_->addTopLevelItem(item);
    }
    items_.push_back(item);
  }
  tree_->expandAll();
  // Wide enough for every node text at its depth.
  int widest = 0;
  for (QTreeWidgetItem* item : items_) {
    int depth = 1;  // the root decoration takes one indentation too
    for (QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent()) ++depth;
    widest = std::max(widest, depth * tree_->indentation() + tree_->iconSize().width() + 8 +
                                  tree_->fontMetrics().horizontalAdvance(item->text(0)));
  }
  tree_->setMinimumWidth(widest + 2 * tree_->frameWidth() + 8);
  connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { openNode(item); });
  tree_->installEventFilter(this);
  return tree_;
}

// Own nodes carry a negative number: -1 for the first.
QTreeWidgetItem* MainWindow::addOwnNode(const QString& text, QTreeWidgetItem* parent, std::function<void()> open) {
  auto* item = new QTreeWidgetItem(QStringList(text));
  item->setIcon(0, TreeIcon(parent == nullptr ? "window_list" : "konqueror8", devicePixelRatioF()));
  ownNodes_.push_back(std::move(open));
  item->setData(0, Qt::UserRole, -static_cast<int>(ownNodes_.size()));
  if (parent != nullptr) {
    parent->addChild(item);
  } else {
    tree_->addTopLevelItem(item);
  }
  return item;
}

void MainWindow::showOwnPage(std::string_view frame, const QString& title) {
  const auto& frames = forms::PageFrames();
  auto found = std::find(frames.begin(), frames.end(), frame);
  if (found == frames.end()) return;
  showOwnPage(pageSlots_[static_cast<std::size_t>(found - frames.begin())], title);
}

void MainWindow::showOwnPage(QWidget* page, const QString& title) {
  if (stack_->indexOf(page) < 0) stack_->addWidget(page);
  stack_->setCurrentWidget(page);
  title_->setText(title);
  ownPageShown_ = true;
  for (const auto& hook : pageShown_) hook(true);
}

QString MainWindow::pageContext() const {
  if (title_->text().isEmpty()) return {};
  QString context = "On the page " + title_->text();
  const UserCntrl::State& state = control_.state();
  // Only the tabbed pages keep their channel in sSubPage; the others leave
  // whatever the last tab put there.
  static const std::array<std::string_view, 3> kTabbedPages{"Range Sensor", "Channel Sensor", "Information Sensor"};
  if (auto procedure = navigation::ParseProcedurePage(state.sPage)) {
    context += QString(", channel %1").arg(procedure->channel);
  } else if (std::find(kTabbedPages.begin(), kTabbedPages.end(), state.sPage) != kTabbedPages.end()) {
    context += ", " + QString::fromStdString(state.sSubPage);
  }
  return context + ".";
}

QWidget* MainWindow::currentPage() const { return stack_->currentWidget(); }

QTreeWidgetItem* MainWindow::nodeOfText(const QString& text) const {
  for (QTreeWidgetItem* item : items_) {
    if (item->text(0) == text) return item;
  }
  return nullptr;
}

void MainWindow::restoreLayout() {
  const QSettings settings;
  if (settings.contains("window/geometry")) restoreGeometry(settings.value("window/geometry").toByteArray());
  if (settings.contains("window/splitter")) splitter_->restoreState(settings.value("window/splitter").toByteArray());
}

void MainWindow::saveLayout() const {
  QSettings settings;
  settings.setValue("window/geometry", saveGeometry());
  settings.setValue("window/splitter", splitter_->saveState());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closeGuard_ && !closeGuard_()) {
    event->ignore();
    return;
  }
  saveLayout();
  QMainWindow::closeEvent(event);
}

void MainWindow::openNode(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  if (const int own = item->data(0, Qt::UserRole).toInt(); own < 0) {
    ownNodes_[static_cast<std::size_t>(-own - 1)]();
    return;
  }
  auto& tree = control_.form().get<toolkit::TreeView>("TreeView");
  if (!binding_->allows(tree)) return;
  binding_->beginUserEvent();
  tree.clickNode(item->data(0, Qt::UserRole).toInt());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // The arrow keys only move through the tree; Enter or Space opens.
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
      openNode(tree_->currentItem());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

QWidget* MainWindow::buildPageArea() {
  auto* area = new QWidget;
  auto* column = new QVBoxLayout(area);
  column->setContentsMargins(8, 8, 8, 8);

  title_ = new QLabel;
  title_->setObjectName("PageTitle");
  QFont big = title_->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.25);
  title_->setFont(big);
  column->addWidget(title_);
  // The banner and the note keep their room while empty: a held output or
  // a step's guidance never pushes the page's controls under the cursor.
  banner_ = new QLabel;
  banner_->setObjectName("PageBanner");
  banner_->setTextFormat(Qt::PlainText);
  banner_->setFixedHeight(fontMetrics().height() + 10);
  column->addWidget(banner_);
  note_ = new QLabel;
  note_->setObjectName("PageNote");
  note_->setWordWrap(true);
  note_->setTextFormat(Qt::PlainText);
  note_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  note_->setFixedHeight(fontMetrics().lineSpacing() * 2 + 4);
  column->addWidget(note_);
  auto* rule = new QFrame;
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  column->addWidget(rule);

  stack_ = new QStackedWidget;
  stack_->setObjectName("PageStack");
  // While no page is on show (a tree click while disconnected) the area is empty.
  empty_ = new QWidget;
  auto* emptyColumn = new QVBoxLayout(empty_);
  emptyText_ = new QLabel;
  emptyText_->setObjectName("EmptyPageText");
  emptyText_->setWordWrap(true);
  emptyText_->setAlignment(Qt::AlignCenter);
  emptyColumn->addWidget(emptyText_);
  stack_->addWidget(empty_);
  for (std::string_view frame : forms::PageFrames()) {
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    QWidget* page = binding_->page(frame);
    scroll->setWidget(page);
    page->show();
    stack_->addWidget(scroll);
    pageSlots_.push_back(scroll);
  }
  column->addWidget(stack_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (const char* name : {"cmdWriteParameter", "cmdSave", "cmdBack"}) {
    QWidget* button = binding_->widgetFor(name);
    button->setMinimumWidth(fontMetrics().averageCharWidth() * 12);
    buttons->addWidget(button);
    button->show();
  }
  column->addLayout(buttons);
  return area;
}

void MainWindow::buildStatusBar() {
  auto* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(true);
  auto* first = new QWidget;
  auto* row = new QHBoxLayout(first);
  row->setContentsMargins(4, 0, 4, 0);
  row->setSpacing(4);
  panelIcon_ = new QLabel;
  panelIcon_->setObjectName("StatusBarIcon(1)");
  panelIcon_->setFixedSize(16, 16);
  row->addWidget(panelIcon_);
  for (int panel = 1; panel <= 4; ++panel) {
    auto* text = new QLabel;
    text->setObjectName(QString("StatusBar(%1)").arg(panel));
    text->setTextFormat(Qt::PlainText);
    panelTexts_.push_back(text);
  }
  row->addWidget(panelTexts_[0]);
  // Panel 1 keeps one width for both of its texts.
  first->setMinimumWidth(16 + 12 + fontMetrics().horizontalAdvance("Disconnected") + 8);
  bar->addWidget(first);
  for (int panel = 2; panel <= 3; ++panel) {
    panelTexts_[static_cast<std::size_t>(panel - 1)]->setMinimumWidth(fontMetrics().averageCharWidth() * 10);
    bar->addWidget(panelTexts_[static_cast<std::size_t>(panel - 1)]);
  }
  bar->addWidget(panelTexts_[3], 1);
}

void MainWindow::hostChanged(const toolkit::Widget& control) {
  for (const auto& hook : hostChanges_) hook(control);
  switch (control.kind()) {
    case forms::Kind::Frame: showVisiblePage(); break;
    case forms::Kind::StatusBar:
      for (int panel = 1; panel <= 4; ++panel) showPanel(panel);
      break;
    default: break;
  }
}

void MainWindow::showVisiblePage() {
  ownPageShown_ = false;
  stack_->setCurrentWidget(empty_);
  title_->clear();
  const auto& frames = forms::PageFrames();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (control_.form().get<toolkit::Frame>(frames[i]).visible()) {
      stack_->setCurrentWidget(pageSlots_[i]);
      title_->setText(PageTitle(frames[i]));
      break;
    }
  }
  for (const auto& hook : pageShown_) hook(false);
}

std::string_view MainWindow::frameShown() const {
  const auto& frames = forms::PageFrames();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (stack_->currentWidget() == pageSlots_[i]) return frames[i];
  }
  return {};
}

void MainWindow::showPanel(int number) {
  const toolkit::StatusPanel& panel = control_.form().get<toolkit::StatusBar>("StatusBar").panel(number);
  QLabel* text = panelTexts_[static_cast<std::size_t>(number - 1)];
  const QString shown = QString::fromStdString(panel.text);
  if (text->text() != shown) text->setText(shown);
  if (number != 1) return;
  if (linkState_ != nullptr && linkState_->text() != shown) linkState_->setText(shown);
  const QString picture = QString::fromStdString(panel.picture);
  if (panelIcon_->property("picture").toString() == picture) return;
  // A picture that cannot be loaded leaves the previous one on show. The
  // icon file holds several sizes; the one for the screen's pixel ratio is
  // taken rather than a 16-pixel image scaled up.
  if (picture.isEmpty()) return;
  const qreal pixelRatio = devicePixelRatioF();
  QPixmap icon = QIcon(iconFolder_ + "/" + picture).pixmap(QSize(16, 16) * pixelRatio);
  if (icon.isNull()) return;
  icon.setDevicePixelRatio(pixelRatio);
  panelIcon_->setPixmap(icon);
  if (linkState_ != nullptr) linkState_->setToolTip(shown);
  panelIcon_->setProperty("picture", picture);
}

}  // namespace zolin6::view
