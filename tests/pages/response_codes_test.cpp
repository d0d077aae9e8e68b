// The device's response codes to a write (4000).

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

class ResponseCodes : public PageTest {
 protected:
  // "11|11" as Response Code 1 and 2; the texts of the boxes they bring up, each a critical OK box.
  std::string Boxes(const std::string& codes) {
    std::string doc, texts;
    int n = 0;
    for (const auto& [code, unused] : Entries(codes)) doc += "|Response Code " + std::to_string(++n) + "=" + code;
    h.boxes.shown.clear();
    h.Notify(4000, Doc(doc));
    for (const auto& box : h.boxes.shown) {
      EXPECT_EQ(box.title, "Response Code");
      EXPECT_EQ(box.buttons, toolkit::Buttons::Ok);
      EXPECT_EQ(box.icon, toolkit::Icon::Critical);
      texts += (texts.empty() ? "" : "|") + box.text;
    }
    return texts;
  }
};

TEST_F(ResponseCodes, ListedCodesShowTheirMessagesInOrderOthersNothing) {
  EXPECT_EQ(Boxes("2|3|4|5|6"),
            "Invalid Selection!|Passed parameter too large!|Passed parameter too small!|Too few data bytes received!"
            "|Backup mode enabled!");
  EXPECT_EQ(Boxes("7|9|10|12|14"),
            "In Write Protect Mode!|Parameter Too High!|Parameter Too Low!|Invalid Mode Selection!"
            "|Minimum Span Too Low!");
  EXPECT_EQ(Boxes("29|0|32|32|11"), "Invalid Span!|Device is busy!|Device is busy!|Invalid Unit!");
  for (int code : {-1, 1, 8, 13, 15, 28, 30, 31, 33, 255, 32767, -32768}) {
    EXPECT_EQ(Boxes(std::to_string(code) + "|0|0|0|0"), "") << code;
  }
}

TEST_F(ResponseCodes, AMissingOrBrokenCodeEndsTheList) {
  EXPECT_EQ(Boxes("7|32"), "In Write Protect Mode!|Device is busy!");
  EXPECT_EQ(Boxes("6|abc|7|7|7"), "Backup mode enabled!");
  EXPECT_EQ(Boxes("40000|7|7|7|7"), "");
}

TEST_F(ResponseCodes, CodeElevenAfterAUnitChangeIsTheBackupOnce) {
  h.Click("cmdChangeSensorUnit", 0);
  ASSERT_TRUE(h.state().bUnitChanged);
  EXPECT_EQ(Boxes("11|11|0|0|0"), "Backup mode is enabled!|Invalid Unit!");
  EXPECT_FALSE(h.state().bUnitChanged);
}

// State carried from one action into the next: a node of the tree or another
// range tab forgets the unit change, so a later code 11 is about the unit.
TEST_F(ResponseCodes, CodeElevenAfterAUnitChangeAndMovingOnIsTheUnit) {
  h.Click("cmdChangeSensorUnit", 2);
  h.ClickTree("Observe");
  EXPECT_EQ(Boxes("11|0|0|0|0"), "Invalid Unit!");
  h.ClickTree("Configuration");
  h.Click("cmdChangeSensorUnit", 0);
  h.ClickTab("SSTabSensorRange", 1);
  EXPECT_EQ(Boxes("11|0|0|0|0"), "Invalid Unit!");
}

TEST_F(ResponseCodes, CodeElevenWithAHeldCurrentComesFirstAndKeepsTheUnitChange) {
  h.Click("cmdLoopTest");
  h.Click("cmdWriteParameter");  // the loop test's Write holds a loop current
  h.Click("cmdChangeSensorUnit", 0);
  ASSERT_TRUE(h.state().bFixedCurrent && h.state().bUnitChanged);
  EXPECT_EQ(Boxes("11|11|0|0|0"), "Loop current no active!|Loop current no active!");
  EXPECT_TRUE(h.state().bUnitChanged);
}

}  // namespace
}  // namespace zolin6::pages_test
