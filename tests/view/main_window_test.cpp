// The real window over the real control: what the user's clicks send, what a
// notification shows, how a message box answer gets back, and what the page
// screenshots show. Clicks are real mouse events on the Qt widgets; the
// offscreen platform draws without a display.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes/control_harness.h"
#include "fakes/fake_driver.h"
#include "fakes/qt_environment.h"
#include "view/lamp.h"
#include "view/main_window.h"
#include "view/message_boxes.h"

namespace zolin6::view {
namespace {

using TagValues = std::vector<std::pair<std::string, std::string>>;

[[maybe_unused]] ::testing::Environment* const kQt = ::testing::AddGlobalTestEnvironment(new fakes::QtEnvironment);

// A parameter document as the driver sends it.
std::string Doc(const TagValues& parameters) {
  std::string doc = "<DeviceData>";
  for (const auto& [tag, value] : parameters) doc += "<Parameter tag=\"" + tag + "\" value=\"" + value + "\"/>";
  return doc + "</DeviceData>";
}

// Tag "TT-101", descriptor "BOILER FEED LINE", date 15/3/2024, packed as the
// device's identification record.
const std::string kRecord = "514B71C3182008F24C1528061451203093850F037C";
const TagValues kHartInfo = {
    {"Tag", kRecord},
    {"Long Tag", "426F696C65722066656564206C696E652C206E6F727468206865616465722020"},
    {"Descriptor", kRecord},
    {"Message", "0C81432C5120CB0CB480304C2424815093CE80F2E0820820"},
    {"Polling Address", "0"},
    {"Final Assembly", "4711"},
    {"DeviceSerialNumber", "100231"},
    {"Date", kRecord},
    {"Ordering_Code", "5A4C362D482D5443362D413120202020202020202020202020"},
};

using Sent = std::tuple<std::string, std::string, std::string>;  // kind, code, document
std::vector<Sent> SentBy(const fakes::FakeDriver& driver) {
  std::vector<Sent> sent;
  for (const fakes::SentRequest& r : driver.requests) sent.emplace_back(r.kind, r.code, r.document);
  return sent;
}

// One window over one control with a recording driver; its message boxes are
// the real Qt dialogs.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    control = std::make_unique<UserCntrl>(HostServices{clock, boxes, ZOLIN6_ASSETS_DIR});
    window = std::make_unique<MainWindow>(*control, ZOLIN6_ASSETS_DIR);
    boxes.setParent(window.get());
    window->show();
    QApplication::processEvents();
  }

  void Connect() {
    control->Init("invoke-1", "", driver);
    clock.advance(1200);
    control->UpdateUI(0, fakes::kOnline);
    driver->requests.clear();
  }

  template <class T>
  T* Child(const QString& name) {
    T* widget = window->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }

  void ClickNode(const std::string& text) {
    const QList<QTreeWidgetItem*> items =
        window->tree()->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1) << text;
    QTreeWidget* tree = window->tree();
    tree->scrollToItem(items[0]);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(items[0]).center());
    QApplication::processEvents();
  }

  void ClickButton(const char* name) {
    QTest::mouseClick(Child<QPushButton>(name), Qt::LeftButton);
    QApplication::processEvents();
  }

  toolkit::Clock clock;
  QtMessageBoxes boxes;
  std::shared_ptr<fakes::FakeDriver> driver = std::make_shared<fakes::FakeDriver>();
  std::unique_ptr<UserCntrl> control;
  std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, TreeAndTabClicksSendWhatTheRunnersLinesSend) {
  // The runner's `tree` and `tab` lines fire the model's events directly.
  fakes::ControlHarness runner;
  runner.Connect();
  Connect();
  struct Step {
    const char* node;
    const char* tabs;  // nullptr: no tab click after the node
    int tab;
  };
  const Step steps[] = {
      {"Observe", "SSTabObserve", 1},    {"Diagnosis", "SSTabDiagnosis", 3},
      {" Sensor", "SSTabConfSensor", 6}, {"Configuration", "SSTabSensorRange", 2},
      {"Sensor", "SSTabInfoSensor", 5},  {"OnLine Parameterize", nullptr, 0},
      {"Maintenance", nullptr, 0},       {"HART", nullptr, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.node);
    runner.ClickTree(step.node);
    ClickNode(step.node);
    if (step.tabs != nullptr) {
      runner.ClickTab(step.tabs, step.tab);
      QTabBar* bar = Child<QTabWidget>(step.tabs)->tabBar();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(step.tab).center());
      EXPECT_EQ(Child<QTabWidget>(step.tabs)->currentIndex(), step.tab);
    }
    EXPECT_EQ(SentBy(*driver), SentBy(*runner.driver));
    EXPECT_EQ(control->state().sPage, runner.state().sPage);
    EXPECT_EQ(control->state().sSubPage, runner.state().sSubPage);
  }
  EXPECT_EQ(driver->requests.size(), 12u);
  EXPECT_TRUE(Child<QWidget>("frmInfoHart")->isVisible());
  EXPECT_EQ(Child<QLabel>("PageTitle")->text(), QString::fromUtf8("Information \u2013 HART"));

  // The keyboard: arrows only move, Enter opens the node.
  QTreeWidget* tree = window->tree();
  tree->setFocus();
  tree->setCurrentItem(window->treeItem(11));  // "LCD"
  QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(SentBy(*driver), SentBy(*runner.driver));
  QTest::keyClick(tree, Qt::Key_Return);
  runner.ClickTree(" HART");
  EXPECT_EQ(SentBy(*driver), SentBy(*runner.driver));
  EXPECT_EQ(control->state().sPage, "Conf HART");
}

TEST_F(WindowTest, ANotificationFillsTheFieldsAndTypingReachesTheModelWithoutWriting) {
  Connect();
  control->UpdateUI(100, Doc(kHartInfo));
  QApplication::processEvents();
  QLineEdit* tag = Child<QLineEdit>("txtParameter(0)");
  EXPECT_EQ(tag->text(), "TT-101  ");
  QLineEdit* serial = Child<QLineEdit>("txtParameter(9)");
  EXPECT_EQ(serial->text(), "100231");
  EXPECT_TRUE(serial->isReadOnly());
  EXPECT_FALSE(tag->isReadOnly());
  tag->setFocus();
  tag->selectAll();
  QTest::keyClicks(tag, "TT-202");
  EXPECT_EQ(control->form().get<toolkit::TextBox>("txtParameter", 0).text(), "TT-202");
  // Enter in a field is not the Write button.
  QTest::keyClick(tag, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_TRUE(driver->requests.empty());
  ClickButton("cmdWriteParameter");
  ASSERT_FALSE(driver->requests.empty());
  EXPECT_EQ(driver->requests.front().kind, "write");
}

TEST_F(WindowTest, AMessageBoxAnswerReachesTheHandler) {
  Connect();
  ClickNode("Maintenance");
  driver->requests.clear();
  for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
    std::tuple<QString, QString, QMessageBox::Icon> seen;
    // The box is modal: the answer is given from inside its own event loop.
    QTimer::singleShot(0, [&seen, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen = {box->windowTitle(), box->text(), box->icon()};
      // A key pressed by mistake must not change the device.
      EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
      box->button(answer)->click();
    });
    ClickButton("cmdDeviceReset");
    EXPECT_EQ(seen,
              std::make_tuple(QString("Device Reset"), QString("Do you want to reset device?"), QMessageBox::NoIcon));
  }
  // No sent nothing; Yes sent the reset.
  ASSERT_EQ(driver->requests.size(), 1u);
  EXPECT_EQ(driver->requests[0].kind + " " + driver->requests[0].code, "write 9");
  EXPECT_EQ(Child<QLabel>("StatusBar(4)")->text(), "Writting Xmtr Data...");
}

TEST_F(WindowTest, LampsFollowTheStatusBits) {
  Connect();
  ClickNode("Diagnosis");
  auto status = [this](const char* bits) {
    control->UpdateUI(2500, Doc({{"Device Status", bits}, {"DiagStatus", "0"}, {"DiagStatusByte1", "0"}}));
    QApplication::processEvents();
  };
  const QColor red(255, 0, 0), darkBlue(0, 0, 64);
  status("64");
  Lamp* changed = Child<Lamp>("ShapeDiagnosis(6)");
  EXPECT_EQ(changed->fillColor(), red);
  EXPECT_EQ(Child<Lamp>("ShapeDiagnosis(0)")->fillColor(), darkBlue);
  EXPECT_EQ(Child<QLabel>("lbDiagnosis(6)")->text(), "Configuration Changed");
  // What is painted is the colour, not only the property.
  const QColor painted = changed->grab().toImage().pixelColor(changed->width() / 2, changed->height() * 3 / 4);
  EXPECT_GT(painted.red(), 200);
  EXPECT_LT(painted.blue(), 100);

  status("1");
  EXPECT_EQ(changed->fillColor(), darkBlue);
  EXPECT_EQ(Child<Lamp>("ShapeDiagnosis(0)")->fillColor(), red);
}

TEST_F(WindowTest, TheStatusBarFollowsTheConnection) {
  // The panel's text and the icon it shows, as the icon file scaled to the panel.
  auto shows = [this](const char* text, const char* file) {
    QApplication::processEvents();
    EXPECT_EQ(Child<QLabel>("StatusBar(1)")->text(), text);
    const QImage icon = QPixmap(QString(ZOLIN6_ASSETS_DIR) + "/" + file).scaled(16, 16).toImage();
    EXPECT_EQ(Child<QLabel>("StatusBarIcon(1)")->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              icon.convertToFormat(QImage::Format_ARGB32));
  };
  EXPECT_EQ(Child<QLabel>("StatusBar(1)")->text(), "Disconnected");
  control->Init("invoke-1", "", driver);
  control->UpdateUI(0, fakes::kOnline);
  shows("Connected", "connected.ico");
  control->UpdateUI(0, fakes::kOffline);
  shows("Disconnected", "no connection.ico");
}

// Screenshots of four pages, kept beside the test program (not compared),
// and a check that every caption on the page is on screen and not clipped.
TEST_F(WindowTest, PageScreenshotsShowEveryCaption) {
  Connect();
  const std::tuple<const char*, const char*, int, TagValues> pages[] = {
      {"Information", "frmInfo", 100, kHartInfo},
      {"Configuration",
       "frmConf_Range",
       1800,
       {{"Sns1UpperRangeLimit", "850"}, {"Sns1MinSpan", "10"}, {"Sns1Unit", "32"}}},
      {"Diagnosis", "frmDiagnosis", 2500, {{"Device Status", "65"}, {"DiagStatus", "0"}, {"ChangeCounters", "12"}}},
      {"Observe", "frmObserve", 2400, {{"LoopCurrent", "12.345"}, {"PV", "208.64"}, {"PVUnit", "32"}}},
  };
  for (const auto& [node, frameName, reason, values] : pages) {
    SCOPED_TRACE(frameName);
    ClickNode(node);
    control->UpdateUI(reason, Doc(values));
    QApplication::processEvents();
    // The screenshots are looked at; at 150 % (the same test under
    // QT_SCALE_FACTOR=1.5) they are saved under their own names.
    const qreal scale = window->devicePixelRatioF();
    EXPECT_TRUE(window->grab().save(QString("view-%1@%2x.png").arg(frameName).arg(scale)));
    QWidget* frame = Child<QWidget>(frameName);
    ASSERT_TRUE(frame->isVisible());
    int captions = 0;
    for (QLabel* label : frame->findChildren<QLabel*>()) {
      if (label->text().isEmpty() || !label->isVisible()) continue;
      SCOPED_TRACE(label->text().toStdString());
      ++captions;
      EXPECT_GE(label->width(), label->sizeHint().width());
      // Inside its page, which scrolls when the window is smaller.
      const QPoint corner = label->mapTo(frame, QPoint(label->width(), label->height()));
      EXPECT_LE(corner.x(), frame->width());
      EXPECT_LE(corner.y(), frame->height());
    }
    EXPECT_GE(captions, 6);
  }
  // Icons are drawn for the screen, not scaled up from 16 pixels.
  EXPECT_EQ(Child<QLabel>("StatusBarIcon(1)")->pixmap().devicePixelRatio(), window->devicePixelRatioF());
  EXPECT_TRUE(window->screen()->availableGeometry().size().expandedTo(window->size()) ==
              window->screen()->availableGeometry().size())
      << "the first size fits the screen";
}

// Every page the tree opens, at a small and a large window: no field is
// covered by its unit or caption (a small window scrolls instead), and the
// large window gives the fields more room.
TEST_F(WindowTest, EveryPageKeepsItsFieldsClearAtTwoSizes) {
  Connect();
  std::vector<int> upperValueWidths;
  for (const QSize size : {QSize(800, 500), QSize(1600, 1000)}) {
    window->resize(size);
    for (const toolkit::TreeNode& node : control->form().get<toolkit::TreeView>("TreeView").nodes()) {
      SCOPED_TRACE(node.text + " at " + std::to_string(size.width()));
      ClickNode(node.text);
      QWidget* page = window->currentPage();
      window->grab().save(QString("view-%1-%2.png").arg(QString::fromStdString(node.text).trimmed()).arg(size.width()));
      std::vector<std::pair<QWidget*, QRect>> shown;
      for (QWidget* child : page->findChildren<QWidget*>()) {
        if (!child->isVisible() ||
            !(qobject_cast<QLabel*>(child) || qobject_cast<QLineEdit*>(child) || qobject_cast<QComboBox*>(child))) {
          continue;
        }
        shown.emplace_back(child, QRect(child->mapTo(page, QPoint(0, 0)), child->size()));
      }
      for (const auto& [a, ra] : shown) {
        for (const auto& [b, rb] : shown) {
          // A combo box's own line edit lies inside it.
          if (a < b && ra.intersects(rb) && !a->isAncestorOf(b) && !b->isAncestorOf(a)) {
            ADD_FAILURE() << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
          }
        }
      }
    }
    ClickNode("Configuration");
    upperValueWidths.push_back(Child<QLineEdit>("txtParameter(40)")->width());
  }
  EXPECT_GT(upperValueWidths.back(), upperValueWidths.front()) << "the fields use a larger window's width";
}

}  // namespace
}  // namespace zolin6::view
