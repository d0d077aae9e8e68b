// Documents far beyond anything a driver sends: 10 MB of parameters, 100 000
// elements, nesting 10 000 deep, a 1 MB attribute value, and the same cut
// off before their end. Each loader fills its page from them or fails and
// keeps what it showed; none may hang, exhaust the stack (the parser and
// the tag query are iterative, and so is freeing the tree) or show a part
// of a broken document. Times are not asserted; the sanitizer build runs
// these too.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

constexpr int kDeviceInfo = 200;  // the loader whose first field is checked
const std::string kMaker = "<Parameter tag=\"Manufacturer Id\" value=\"24593\"/>";

std::string Filler(int count, std::size_t valueSize) {
  const std::string element = "<Parameter tag=\"Filler\" value=\"" + std::string(valueSize, '7') + "\"/>";
  std::string text;
  text.reserve(element.size() * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) text += element;
  return text;
}

std::string Nested(int depth, const std::string& inner) {
  std::string text;
  text.reserve(static_cast<std::size_t>(depth) * 7 + inner.size());
  for (int i = 0; i < depth; ++i) text += "<a>";
  text += inner;
  for (int i = 0; i < depth; ++i) text += "</a>";
  return text;
}

struct OversizedDocument {
  const char* name;
  std::function<std::string()> build;
  const char* maker;  // what txtParameter(11) shows afterwards; nullptr: the 1 MB value
  bool everyLoader;   // also handed to every other loader (the smaller ones)
};

void PrintTo(const OversizedDocument& d, std::ostream* os) { *os << d.name; }

const std::string kHugeMaker(1 << 20, 'M');

class OversizedDocuments : public ::testing::TestWithParam<OversizedDocument> {};

TEST_P(OversizedDocuments, FillOrFailWithoutHanging) {
  const OversizedDocument& d = GetParam();
  ControlHarness h;
  h.Connect();
  h.get<toolkit::TextBox>("txtParameter", 11).setText("old");
  const std::string document = d.build();

  h.Notify(kDeviceInfo, document);
  EXPECT_EQ(h.text("txtParameter", 11), d.maker != nullptr ? std::string(d.maker) : kHugeMaker);

  if (d.everyLoader) {
    for (int code = 100; code <= 3300; code += 100) h.Notify(code, document);
    h.Notify(4000, document);
  }
  EXPECT_EQ(h.sent(), std::vector<std::string>{});
  EXPECT_TRUE(h.boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, OversizedDocuments,
    ::testing::Values(
        OversizedDocument{"ten_megabytes", [] { return "<P>" + Filler(1000, 10000) + kMaker + "</P>"; }, "NORVEL S.A.",
                          false},
        OversizedDocument{"ten_megabytes_cut_off",
                          [] { return "<P>" + Filler(1000, 10000) + kMaker + "<Parameter tag=\"x\" va"; }, "old",
                          false},
        OversizedDocument{"hundred_thousand_elements", [] { return "<P>" + Filler(100000, 1) + kMaker + "</P>"; },
                          "NORVEL S.A.", true},
        OversizedDocument{"ten_thousand_deep", [] { return Nested(10000, kMaker); }, "NORVEL S.A.", true},
        OversizedDocument{"ten_thousand_deep_unclosed", [] { return Nested(10000, kMaker).substr(0, 40000); }, "old",
                          true},
        OversizedDocument{"one_megabyte_value",
                          [] { return "<P><Parameter tag=\"Manufacturer Id\" value=\"" + kHugeMaker + "\"/></P>"; },
                          nullptr, true}),
    [](const ::testing::TestParamInfo<OversizedDocument>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace zolin6::fakes
