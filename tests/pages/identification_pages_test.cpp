// The HART information page (100) and the device identification page (200).

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

using IdentificationPages = PageTest;

// The 42-digit identification record: tag "TT-101", descriptor
// "BOILER INLET", date 15/3/2006.
const std::string kRecord = "514B71C3182008F24C15280938C1548208200F036A";

TEST_F(IdentificationPages, HartInfoFillsEveryFieldAndRepaintsTheDeviceTexts) {
  for (int i : {0, 1, 2, 3, 5, 6, 9, 10, 51}) h.get<toolkit::TextBox>("txtParameter", i).setBackColor(0xFFFFFF);
  h.Notify(100, Doc({{"Tag", kRecord},
                     {"Long Tag", "4C6F6E6720746167206F6620756E697420372020202020202020202020202020"},
                     {"Descriptor", kRecord},
                     {"Message", "0C81432E05C94893878015202953835093CE8023D8833820"},
                     {"Polling Address", "0"},
                     {"Final Assembly", "12345"},
                     {"DeviceSerialNumber", "987654"},
                     {"Date", kRecord},
                     {"Ordering_Code", "5A4C362D542D30362D482020202020202020202020202020"}}));
  EXPECT_EQ(h.text("txtParameter", 0), "TT-101  ");
  EXPECT_EQ(h.text("txtParameter", 1), "Long tag of unit 7              ");
  EXPECT_EQ(h.text("txtParameter", 2), "BOILER INLET    ");
  EXPECT_EQ(h.text("txtParameter", 3), "CHECK WIRING AT JUNCTION BOX 3  ");
  EXPECT_EQ(h.text("txtParameter", 5), "0");
  EXPECT_EQ(h.text("txtParameter", 6), "12345");
  EXPECT_EQ(h.text("txtParameter", 9), "987654");
  EXPECT_EQ(h.text("txtParameter", 51), "15/3/2006");
  EXPECT_EQ(h.text("txtParameter", 10), "ZL6-T-06-H              ");
  for (int i : {0, 1, 2, 3, 6, 51}) {
    EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", i).backColor(), toolkit::kSystemWindowBackground) << i;
  }
  for (int i : {5, 9, 10}) EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", i).backColor(), 0xFFFFFFu) << i;
}

TEST_F(IdentificationPages, PackedSixBitCodesAndTheUncheckedDate) {
  const std::pair<std::string, std::string> cases[] = {
      // Code 0 is "@"; codes 32 to 63 (blank, digits) stay; the month is not checked.
      {std::string(36, '0') + "010D00", "@@@@@@@@ 1/13/1900"},
      {"820834d76df8" + std::string(24, '0') + "1f0c7c", "   45678 31/12/2024"},
  };
  for (const auto& [record, shown] : cases) {
    h.Notify(100, Doc({{"Tag", record},
                       {"Long Tag", std::string(64, '4')},
                       {"Descriptor", record},
                       {"Message", std::string(48, '0')},
                       {"Polling Address", "1"},
                       {"Final Assembly", "2"},
                       {"DeviceSerialNumber", "3"},
                       {"Date", record},
                       {"Ordering_Code", std::string(48, '4')}}));
    EXPECT_EQ(h.text("txtParameter", 0) + " " + h.text("txtParameter", 51), shown);
  }
}

TEST_F(IdentificationPages, DeviceInfoNamesMakerAndModelAndSplitsTheRevisionBytes) {
  struct Case {
    std::string maker, model, hardware, software;
    std::vector<std::string> shown;  // txtParameter 11, 12, 14, 19, 15, 21
  };
  const Case cases[] = {
      {"24593", "58113", "9", "18", {"NORVEL S.A.", "ZOLIN-6", "NORVEL S.A.", "1", "Bell 202 Voltage", "1.2"}},
      // Texts are compared exactly; signalling code 7 has no text and keeps the last one.
      {"24593 ", "058113", "255", "0", {"24593 ", "058113", "24593 ", "31", "Bell 202 Voltage", "0."}},
      {"1", "2", "6", "4660", {"1", "2", "1", "0", "Special", "1.2"}},  // hexadecimal 1234: two digits
      {"1", "2", "13", "171", {"1", "2", "1", "1", "Special", "A.B"}},
  };
  for (const Case& c : cases) {
    h.Notify(200, Doc({{"Manufacturer Id", c.maker},
                       {"Device Type", c.model},
                       {"Device Profile", "3"},
                       {"Private Label Distributor", c.maker},
                       {"Universal Revision", "7"},
                       {"Transmitter Revision", "2"},
                       {"Hardware Revision", c.hardware},
                       {"Software Version", c.software}}));
    const std::vector<std::string> shown = {h.text("txtParameter", 11), h.text("txtParameter", 12),
                                            h.text("txtParameter", 14), h.text("txtParameter", 19),
                                            h.text("txtParameter", 15), h.text("txtParameter", 21)};
    EXPECT_EQ(shown, c.shown) << c.hardware;
    EXPECT_EQ(h.text("txtParameter", 13) + h.text("txtParameter", 16) + h.text("txtParameter", 17), "372");
  }
}

}  // namespace
}  // namespace zolin6::pages_test
