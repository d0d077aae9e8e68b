// Every loader stops at its first failing step, silently: the fields before
// it keep their new values, the fields after it what they showed before.

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

using Shown = std::vector<std::string>;

class FailureRule : public PageTest {
 protected:
  // The HART configuration page from every field marked "old".
  Shown HartConfig(const std::string& document) {
    for (const char* name : kCombos) h.get<toolkit::ComboBox>(name).setText("old");
    Mark({36});
    h.Notify(900, document);
    Shown shown;
    for (const char* name : kCombos) shown.push_back(h.text(name));
    shown.insert(shown.begin() + 3, h.text("txtParameter", 36));
    return shown;
  }
  static TagValues Config() {
    return {{"ReqPreambles", "5"},    {"RespPreambles", "6"}, {"WriteProtect", "1"},
            {"Polling_Address", "3"}, {"CurrentMode", "1"},   {"Loop_Alarm", "1"}};
  }
  static constexpr const char* kCombos[] = {"cmbRequestPreambles", "cmbResponsePreambles", "cmbWriteProtection",
                                            "cmbLoopCurrentMode", "cmbLoopAlarm"};
};

TEST_F(FailureRule, BrokenValuesEndTheLoaderAtTheirField) {
  struct Case {
    const char* why;
    std::size_t row;
    std::string value;
    Shown shown;
  };
  const Case cases[] = {
      {"code is no number", 2, "abc", {"5", "6", "old", "old", "old", "old"}},
      {"code beyond 16 bits", 0, "32768", {"old", "old", "old", "old", "old", "old"}},
      {"empty code", 4, "", {"5", "6", "Enabled", "3", "old", "old"}},
      {"blank inside the number", 3, "3 4", {"5", "6", "Enabled", "old", "old", "old"}},
      {"fraction rounds half to even", 3, "2.5", {"5", "6", "Enabled", "2", "Enabled", "Low"}},
  };
  for (const Case& c : cases) {
    TagValues doc = Config();
    doc[c.row].second = c.value;
    EXPECT_EQ(HartConfig(Doc(doc)), c.shown) << c.why;
  }
  TagValues doc = Config();
  doc.erase(doc.begin() + 1);
  EXPECT_EQ(HartConfig(Doc(doc)), (Shown{"5", "old", "old", "old", "old", "old"})) << "missing second tag";
  // The first RespPreambles counts, and it has no value.
  EXPECT_EQ(HartConfig("<D><P tag='ReqPreambles' value='5'/><P tag='RespPreambles'/>"
                       "<P tag='RespPreambles' value='6'/></D>"),
            (Shown{"5", "old", "old", "old", "old", "old"}));
  EXPECT_TRUE(h.boxes.shown.empty());
  EXPECT_EQ(h.panel(4), "");
}

TEST_F(FailureRule, DocumentsThatCannotBeReadChangeNothing) {
  const std::string good = Doc(Config());
  for (const std::string& document : {good.substr(0, good.size() - 5), std::string("not xml"), std::string(),
                                      std::string("<DTMInfo state='Online' />")}) {
    EXPECT_EQ(HartConfig(document), Shown(6, "old")) << document;
  }
}

TEST_F(FailureRule, HexSlicesThatAreTooShortOrNotHexEndTheIdentificationLoader) {
  const std::string record = "514B71C3182008F24C15280938C1548208200F036A";
  const std::string longTag(64, '4'), orderingCode(48, '4');
  const std::string tag = "TT-101  ", d32(32, 'D'), descriptor = "BOILER INLET    ";
  struct Case {
    const char* why;
    std::vector<std::string> values;  // Tag, Long Tag, Descriptor, Date, Ordering_Code
    Shown shown;                      // txtParameter 0, 1, 2, 51, 10
  };
  const Case cases[] = {
      {"tag of 11 digits", {record.substr(0, 11), longTag, record, record, orderingCode}, Shown(5, "old")},
      {"long tag of 63 digits",
       {record, longTag.substr(1), record, record, orderingCode},
       {tag, "old", "old", "old", "old"}},
      {"descriptor of 35 digits",
       {record, longTag, record.substr(0, 35), record, orderingCode},
       {tag, d32, "old", "old", "old"}},
      {"date not hex",
       {record, longTag, record, record.substr(0, 38) + " 36A", orderingCode},
       {tag, d32, descriptor, "old", "old"}},
      {"ordering code of 47 digits",
       {record, longTag, record, record, orderingCode.substr(1)},
       {tag, d32, descriptor, "15/3/2006", "old"}},
  };
  for (const Case& c : cases) {
    Mark({0, 1, 2, 3, 5, 6, 9, 10, 51});
    h.Notify(100, Doc({{"Tag", c.values[0]},
                       {"Long Tag", c.values[1]},
                       {"Descriptor", c.values[2]},
                       {"Message", std::string(48, '0')},
                       {"Polling Address", "1"},
                       {"Final Assembly", "2"},
                       {"DeviceSerialNumber", "3"},
                       {"Date", c.values[3]},
                       {"Ordering_Code", c.values[4]}}));
    EXPECT_EQ((Shown{h.text("txtParameter", 0), h.text("txtParameter", 1), h.text("txtParameter", 2),
                     h.text("txtParameter", 51), h.text("txtParameter", 10)}),
              c.shown)
        << c.why;
  }
}

}  // namespace
}  // namespace zolin6::pages_test
