// The device's response codes to a write (4000).

#include <map>

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

class ResponseCodes : public PageTest {
 protected:
  std::vector<std::string> Shown(const std::vector<std::string>& codes) {
    TagValues doc;
    for (std::size_t i = 0; i < codes.size(); ++i) doc.emplace_back("Response Code " + std::to_string(i + 1), codes[i]);
    h.boxes.shown.clear();
    h.Notify(4000, Doc(doc));
    std::vector<std::string> texts;
    for (const auto& box : h.boxes.shown) {
      EXPECT_EQ(box.title, "Response Code");
      EXPECT_EQ(box.buttons, toolkit::Buttons::Ok);
      EXPECT_EQ(box.icon, toolkit::Icon::Critical);
      texts.push_back(box.text);
    }
    return texts;
  }
  using Texts = std::vector<std::string>;
};

TEST_F(ResponseCodes, OnlyListedCodesShowTheirMessage) {
  const std::map<int, std::string> messages = {{2, "Invalid Selection!"},
                                               {3, "Passed parameter too large!"},
                                               {4, "Passed parameter too small!"},
                                               {5, "Too few data bytes received!"},
                                               {6, "Backup mode enabled!"},
                                               {7, "In Write Protect Mode!"},
                                               {9, "Parameter Too High!"},
                                               {10, "Parameter Too Low!"},
                                               {11, "Invalid Unit!"},
                                               {12, "Invalid Mode Selection!"},
                                               {14, "Minimum Span Too Low!"},
                                               {29, "Invalid Span!"},
                                               {32, "Device is busy!"}};
  for (int code = -2; code <= 40; ++code) {
    const auto it = messages.find(code);
    EXPECT_EQ(Shown({std::to_string(code), "0", "0", "0", "0"}), it == messages.end() ? Texts{} : Texts{it->second})
        << code;
  }
  EXPECT_EQ(Shown({"32767", "-32768", "255", "0", "0"}), Texts{});
}

TEST_F(ResponseCodes, EveryCodeGetsItsOwnBoxInOrder) {
  EXPECT_EQ(Shown({"32", "32", "0", "0", "0"}), (Texts{"Device is busy!", "Device is busy!"}));
  EXPECT_EQ(Shown({"0", "14", "0", "29", "2"}),
            (Texts{"Minimum Span Too Low!", "Invalid Span!", "Invalid Selection!"}));
  // A missing or broken code ends the list after the codes before it.
  EXPECT_EQ(Shown({"7", "32"}), (Texts{"In Write Protect Mode!", "Device is busy!"}));
  EXPECT_EQ(Shown({"6", "abc", "7", "7", "7"}), (Texts{"Backup mode enabled!"}));
  EXPECT_EQ(Shown({"40000", "7", "7", "7", "7"}), Texts{});
}

TEST_F(ResponseCodes, CodeElevenAfterAUnitChangeIsAnsweredOnce) {
  h.Click("cmdChangeSensorUnit", 0);
  ASSERT_TRUE(h.state().bUnitChanged);
  EXPECT_EQ(Shown({"11", "11", "0", "0", "0"}), (Texts{"Backup mode is enabled!", "Invalid Unit!"}));
  EXPECT_FALSE(h.state().bUnitChanged);
}

TEST_F(ResponseCodes, CodeElevenWithAHeldCurrentComesFirstAndKeepsTheUnitChange) {
  // The loop test's Write holds a loop current.
  h.Click("cmdLoopTest");
  h.Click("cmdWriteParameter");
  ASSERT_TRUE(h.state().bFixedCurrent);
  h.Click("cmdChangeSensorUnit", 0);
  ASSERT_TRUE(h.state().bUnitChanged);
  EXPECT_EQ(Shown({"11", "11", "0", "0", "0"}), (Texts{"Loop current no active!", "Loop current no active!"}));
  EXPECT_TRUE(h.state().bUnitChanged);
}

}  // namespace
}  // namespace zolin6::pages_test
