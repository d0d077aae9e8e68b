// Every page loader fills its own fields, each value in its display format
// and each code through its own decoder. Before each answer the fields it is
// checked on show "old": a field still showing "old" is one the loader left
// alone (a code without a text, or a step after the one that failed).

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

using Loaders = PageTest;

// The 42-digit identification record: tag "TT-101", descriptor
// "BOILER INLET", date 15/3/2006.
const std::string kRecord = "514B71C3182008F24C15280938C1548208200F036A";
// A long tag and an ordering code of "D"s; records of odd six-bit codes and dates.
const std::string kLongTag(64, '4'), kCode(48, '4');
const std::string kOdd1 = std::string(36, '0') + "010D00";
const std::string kOdd2 = "820834d76df8" + std::string(24, '0') + "1f0c7c";

// Tag, long tag, descriptor, date and ordering code as given; the rest fixed.
std::string HartInfo(const std::string& tag, const std::string& longTag, const std::string& descriptor,
                     const std::string& date, const std::string& code) {
  return "Tag=" + tag + "|Long Tag=" + longTag + "|Descriptor=" + descriptor +
         "|Message=0C81432E05C94893878015202953835093CE8023D8833820|Polling Address=0|Final Assembly=12345"
         "|DeviceSerialNumber=987654|Date=" +
         date + "|Ordering_Code=" + code;
}

std::string DeviceInfo(const std::string& maker, const std::string& model, const std::string& revisions) {
  return "Manufacturer Id=" + maker + "|Device Type=" + model + "|Device Profile=3|Private Label Distributor=" + maker +
         "|Universal Revision=7|Transmitter Revision=2|" + revisions;
}

struct Answer {
  int notification;
  std::string document;
  const char* shown;  // "id=text|..."; a bare number is a txtParameter
};

// The information page's answer of a well-kept device is in the pages-tour example.
const Answer kAnswers[] = {
    // Code 0 is "@", codes 32 to 63 (blank, digits) stay; the month is not checked.
    {100, HartInfo(kOdd1, kLongTag, kOdd1, kOdd1, kCode), "0=@@@@@@@@|2=@@@@@@@@@@@@@@@@|51=1/13/1900"},
    {100, HartInfo(kOdd2, kLongTag, kOdd2, kOdd2, kCode), "0=   45678|51=31/12/2024"},
    // A text too short or not hexadecimal ends the loader at its field.
    {100, HartInfo(kRecord.substr(0, 11), kLongTag, kRecord, kRecord, kCode), "0=old|1=old"},
    {100, HartInfo(kRecord, kLongTag.substr(1), kRecord, kRecord, kCode), "0=TT-101  |1=old|2=old"},
    {100, HartInfo(kRecord, kLongTag, kRecord.substr(0, 35), kRecord, kCode),
     "1=DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD|2=old"},
    {100, HartInfo(kRecord, kLongTag, kRecord, kRecord.substr(0, 38) + " 36A", kCode), "9=987654|51=old|10=old"},
    {100, HartInfo(kRecord, kLongTag, kRecord, kRecord, kCode.substr(1)), "51=15/3/2006|10=old"},
    // Maker and model are named, compared as texts; the revision byte holds
    // revision and signalling code (7 has no text); the version shows two
    // hexadecimal digits.
    {200, DeviceInfo("24593", "58113", "Hardware Revision=14|Software Version=171"),
     "11=NORVEL S.A.|12=ZOLIN-6|13=3|14=NORVEL S.A.|15=Special|16=7|17=2|19=1|21=A.B"},
    {200, DeviceInfo("24593 ", "058113", "Hardware Revision=255|Software Version=5"),
     "11=24593 |12=058113|19=31|15=old|21=5."},
    {200, DeviceInfo("1", "2", "Hardware Revision=abc|Software Version=18"), "14=1|19=old|21=old"},
    // Sensor information: no not-a-number check on this tab.
    {500,
     "Sns3Type=137|Sns3Connection=3|Sns3ColdJunction=1|Sns3Unit=32|Sns3UpperRangeLimit=1372"
     "|Sns3LowerRangeLimit=-270|Sns3UpperRangeValue=1.#QNAN|Sns3LowerRangeValue=2141192192",
     "42=T/C Type K IEC|33=Three wires|43=Internal|35=\u00B0C|44=1372.000|32=-270.000|41=1.000|45=2141192192.000"},
    {1300, "Sns4Type=249|Sns4Connection=9|Sns4ColdJunction=0",
     "cmbSensorType(3)=4-20mA Input|cmbSensorConnection(3)=Average|cmbColdJunction(3)=old|cmbSensorType(2)=old"},
    {1600, "TempUnit=33", "cmbUnitLocalTemp=\u00B0F"},
    {1600, "TempUnit=99", "cmbUnitLocalTemp=old"},
    {3300,
     "SnsUnit=32|SnsTempHighLimit=850|SnsTempLowLimit=-200.5|CoeffA=0.0039083|CoeffB=-0.0000005775"
     "|CoeffC=-4.183E-12|CoeffRA=1.#QNAN|Damping=2",
     "lbArray(246)=\u00B0C|lbArray(247)=\u00B0C|136=850.000|137=-200.500|143=0.003908300000000"
     "|144=-0.000000577500000|145=-0.000000000004183|138=1.000000000000000|146=2.00"},
    {3300, "SnsUnit=200", "lbArray(246)=|lbArray(247)="},  // unit captions take even no text
    // Range: limits unchecked, range values and span checked.
    {2100,
     "Sns4UpperRangeLimit=1.#R|Sns4LowerRangeLimit=-200|Sns4UpperRangeValue=1.#R|Sns4LowerRangeValue=12.34567"
     "|Sns4MinSpan=2141192192|Sns4Unit=35",
     "94=1.000|93=-200.000|97=1.#QNAN|96=12.346|95=1.#QNAN|cmbPVUnits(3)=K"},
    {1800,
     "Sns1UpperRangeLimit=850|Sns1LowerRangeLimit=-200|Sns1UpperRangeValue=100|Sns1LowerRangeValue=-50|Sns1Unit=32",
     "40=100.000|39=-50.000|38=old|cmbPVUnits(0)=old"},  // no span: the loader stops before the unit
    {900, "ReqPreambles=5|RespPreambles=4|WriteProtect=255|Polling_Address=05|CurrentMode=0|Loop_Alarm=1",
     "cmbRequestPreambles=5|cmbResponsePreambles=old|cmbWriteProtection=Enabled|36=5|cmbLoopCurrentMode=Disabled"
     "|cmbLoopAlarm=Low"},
    {900, "ReqPreambles=5|RespPreambles=6|WriteProtect=1|Polling_Address=0|CurrentMode=1|Loop_Alarm=7",
     "cmbResponsePreambles=6|cmbLoopCurrentMode=Enabled|cmbLoopAlarm="},  // the alarm takes even no text
    {1700, "Display1=0|Display2=6|Display3=12|Display4=13|Display5=4|Display6=11",
     "cmbDisplay1=Sensor 1|cmbDisplay2=Sensor 1 %|cmbDisplay3=Local Temp|cmbDisplay4=old|cmbDisplay5=Sensor 5"
     "|cmbDisplay6=Sensor 6 %"},
    {3000, "BackupMode=1|BackupSensor=0|AverageMode=0",
     "cmbBackupMode=Enabled|cmbBackupSensor=old|cmbAverageMode=Disabled"},
    // Observation: two decimals, and only "1.#R" and "1.#QNAN" are passed through.
    {2400, "LoopCurrent=1.#R|PercentRange=2141192192|PV=21.456|SV=1.#QNAN|TV=-3.004|PVUnit=32|SVUnit=99|TVUnit=37",
     "105=1.#R|104=2141192192.00|86=21.46|102=1.#QNAN|103=-3.00|lbArray(110)=\u00B0C|lbArray(77)=|lbArray(114)=Ohm"},
    {3200,
     "Var1=21.456|Var2=2141192192|Var3=1.#R|Var4=7|Var5=-0.0004|Var6=1.#QNAN|Var7=1e3|Var8=x|Var1Unit=32"
     "|Var2Unit=33|Var3Unit=34|Var4Unit=35|Var5Unit=36|Var6Unit=37|Var7Unit=39|Var8Unit=57",
     "142=21.456|141=1.#QNAN|140=1.#QNAN|139=7.000|147=0.000|148=1.#QNAN|149=1000.000|150=0.000"
     "|lbArray(251)=\u00B0C|lbArray(252)=\u00B0F|lbArray(253)=\u00B0R|lbArray(254)=K|lbArray(278)=mV"
     "|lbArray(277)=Ohm|lbArray(276)=mA|lbArray(275)=%"},
    // The trim pages' value field.
    {2800, "Current=12.3456", "57=12.346"},
    {2900, "Unit Temp=33|Temp=25.5", "lbArray(49)=\u00B0F|lbArray(54)=\u00B0F|57=25.500"},
    {3100, "Unit Temp=35|Temp=1.#R", "lbArray(49)=K|lbArray(54)=K|57=1.#QNAN"},
    // Change counters as received; the loader stops at the missing fourth.
    {2600, "ChangeSensorRange= 0120|ChangeSensorTrim=119|ChangeSensorConfig=118", "120= 0120|119=119|118=118|117=old"},
    // Recorded extremes: 5000 and -5000 as shown, rounding included, are "nothing recorded".
    {2700,
     "SnsMinTemp=1.#QNAN|SnsMaxTemp=5000|VarLocalMinTemp=-5000|VarLocalMaxTemp=4999.9996|SensorMaxMin=1"
     "|TempMaxMin=0|SensorUnit=32|TempUnit=33",
     "124=1.#QNAN|123=-|55=-|54=-|cmbSensorMaxMin=Enabled|cmbTempMaxMin=Disabled|lbArray(180)=\u00B0C"
     "|lbArray(181)=\u00B0C|lbArray(182)=\u00B0F|lbArray(183)=\u00B0F"},
    {2700, "SnsMinTemp=-12.5|SnsMaxTemp=4999.999|VarLocalMinTemp=5000.0004x|VarLocalMaxTemp=2141192192",
     "124=-12.500|123=4999.999|55=-|54=1.#QNAN"},
    // A shown value that does not read back as a number ends the loader.
    {2700, "SnsMinTemp=0|SnsMaxTemp=1e999|VarLocalMinTemp=0", "124=0.000|55=old"},
};

// One connected control per row, so that no row depends on what an earlier
// one left on the pages.
class EachAnswer : public PageTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(EachAnswer, FillsItsPage) {
  const Answer& a = kAnswers[GetParam()];
  Mark(a.shown);
  h.Notify(a.notification, Doc(a.document));
  Expect(a.shown, "after " + std::to_string(a.notification));
}

INSTANTIATE_TEST_SUITE_P(Loaders, EachAnswer, ::testing::Range<std::size_t>(0, std::size(kAnswers)),
                         [](const ::testing::TestParamInfo<std::size_t>& row) {
                           return "row" + std::to_string(row.param) + "_notification" +
                                  std::to_string(kAnswers[row.param].notification);
                         });

TEST_F(Loaders, EachChannelsAnswerFillsItsOwnTab) {
  // Information: type and lower range value, the first and last rows; range: upper range value.
  const char* fields[][3] = {{"24", "34", "40"}, {"28", "31", "87"},  {"42", "45", "92"},
                             {"50", "56", "97"}, {"63", "66", "130"}, {"72", "78", "160"}};
  for (int n = 1; n <= 6; ++n) {
    const std::string v = std::to_string(n), k = std::to_string(n - 1), s = "|Sns" + v;
    const std::string limits = s + "UpperRangeLimit=0" + s + "LowerRangeLimit=0";
    h.Notify(200 + 100 * n, Doc(s + "Type=12" + s + "Connection=3" + s + "ColdJunction=1" + s + "Unit=32" + limits + s +
                                "UpperRangeValue=0" + s + "LowerRangeValue=" + v));
    h.Notify(900 + 100 * n, Doc(s + "Type=12" + s + "Connection=3" + s + "ColdJunction=1"));
    h.Notify(1700 + 100 * n,
             Doc(limits + s + "UpperRangeValue=" + v + s + "LowerRangeValue=0" + s + "MinSpan=0" + s + "Unit=33"));
    const auto& [type, lower, upper] = fields[n - 1];
    Expect(std::string(type) + "=Pt 100 IEC|" + lower + "=" + v + ".000|cmbSensorType(" + k + ")=Pt 100 IEC|" + upper +
               "=" + v + ".000|cmbPVUnits(" + k + ")=\u00B0F",
           s);
  }
}

TEST_F(Loaders, StatusBitsDriveTheirLamps) {
  const std::pair<const char*, const char*> cases[] = {
      {"Device Status=80|DiagStatus=34|DiagStatusByte1=18", "4 6 12 18 20 23 "},
      {"Device Status=255|DiagStatus=126|DiagStatusByte1=30", "0 1 2 3 4 5 6 7 12 13 15 16 17 18 20 21 22 23 "},
      // "ADC Conversion Error" (14) is bit 7 of DiagStatus and bit 0 of
      // DiagStatusByte1; the second byte is shown last and decides.
      {"Device Status=0|DiagStatus=128|DiagStatusByte1=0", ""},
      {"Device Status=0|DiagStatus=0|DiagStatusByte1=1", "14 "},
      {"Device Status=0|DiagStatus=255|DiagStatusByte1=224", "12 13 15 16 17 18 19 "},  // 224: bits without lamp
  };
  for (const auto& [document, on] : cases) {
    h.Notify(2500, Doc(std::string(document) + "|ChangeCounters=3"));
    std::string lit;
    for (int lamp = 0; lamp <= 23; ++lamp) {
      if (lamp >= 8 && lamp <= 11) continue;  // the legends' lamps
      const std::string shown = Shown("ShapeDiagnosis(" + std::to_string(lamp) + ")");
      if (shown != "off") lit += (shown == "on" ? std::to_string(lamp) : shown) + " ";
    }
    EXPECT_EQ(lit, on) << document;
  }
  EXPECT_EQ(Shown("106"), "3");
}

TEST_F(Loaders, AFailingStepEndsTheLoaderSilently) {
  const Texts ids = {"cmbRequestPreambles", "cmbResponsePreambles", "cmbWriteProtection", "36", "cmbLoopCurrentMode"};
  const Texts filled = {"5", "6", "Enabled", "3", "Enabled"};
  const std::string good = "ReqPreambles=5|RespPreambles=6|WriteProtect=1|Polling_Address=3|CurrentMode=1";
  const std::pair<std::string, std::size_t> cases[] = {
      // document, fields filled before the stop
      {Doc(good), 5},
      {Doc("ReqPreambles=5|RespPreambles=6|WriteProtect=abc|Polling_Address=3|CurrentMode=1"), 2},
      {Doc("ReqPreambles=32768|RespPreambles=6|WriteProtect=1|Polling_Address=3|CurrentMode=1"), 0},
      {Doc("ReqPreambles=5|RespPreambles=6|WriteProtect=1|Polling_Address=3|CurrentMode="), 4},
      {Doc("ReqPreambles=5|WriteProtect=1|Polling_Address=3|CurrentMode=1"), 1},
      // The first RespPreambles counts, and it has no value.
      {"<D><P tag='ReqPreambles' value='5'/><P tag='RespPreambles'/><P tag='RespPreambles' value='6'/></D>", 1},
      {Doc(good).substr(0, 60), 0},  // a document that cannot be read changes nothing
  };
  for (const auto& [document, count] : cases) {
    std::string expected;
    for (std::size_t i = 0; i < ids.size(); ++i) expected += ids[i] + "=" + (i < count ? filled[i] : "old") + "|";
    Mark(expected);
    h.Notify(900, document);
    Expect(expected, document);
  }
  EXPECT_TRUE(h.boxes.shown.empty());
  EXPECT_EQ(h.panel(4), "");
}

// Shown numbers take the user's separator; the device's values always use ".".
TEST_F(Loaders, NumbersShowWithTheUsersSeparator) {
  platform::SetUserLocale({','});
  h.Notify(2800, Doc("Current=12.3456"));
  h.Notify(2700, Doc("SnsMinTemp=-4999.9999|SnsMaxTemp=5000.001"));  // shown texts read back with ","
  h.Notify(900, Doc("ReqPreambles=5|RespPreambles=5|WriteProtect=0|Polling_Address=3.5"));  // "." groups digits
  Expect("57=12,346|124=-|123=5000,001|36=35");
}

// The device's own fields get the window colour back when filled; the HART
// settings whether their code (preambles 4, 5) is known or not.
TEST_F(Loaders, FilledDeviceFieldsGetTheWindowColourBack) {
  // The fields repainted since the last call; each is painted white again.
  auto repainted = [&] {
    std::string ids;
    auto look = [&ids](auto* field, const std::string& id) {
      if (field->backColor() == toolkit::kSystemWindowBackground) ids += id + " ";
      field->setBackColor(0xFFFFFF);
    };
    for (const auto& [id, unused] : Entries("0|1|2|3|5|6|9|10|51|57|cmbRequestPreambles|cmbResponsePreambles"
                                            "|cmbWriteProtection|cmbLoopCurrentMode|cmbLoopAlarm")) {
      toolkit::Widget* widget = h.form().find(Id(id));
      if (auto* box = dynamic_cast<toolkit::TextBox*>(widget)) look(box, id);
      if (auto* combo = dynamic_cast<toolkit::ComboBox*>(widget)) look(combo, id);
    }
    return ids;
  };
  repainted();
  h.Notify(100, Doc(HartInfo(kRecord, kLongTag, kRecord, kRecord, kCode)));
  h.Notify(900, Doc("ReqPreambles=4|RespPreambles=5|WriteProtect=0|Polling_Address=0|CurrentMode=0|Loop_Alarm=0"));
  h.Notify(2900, Doc("Unit Temp=32|Temp=1"));
  EXPECT_EQ(repainted(),
            "0 1 2 3 6 51 cmbRequestPreambles cmbResponsePreambles cmbWriteProtection cmbLoopCurrentMode ");
  h.Notify(2800, Doc("Current=4"));
  EXPECT_EQ(repainted(), "57 ");
}

}  // namespace
}  // namespace zolin6::pages_test
