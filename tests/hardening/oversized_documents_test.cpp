// Documents far beyond anything a driver sends: 10 MB of parameters, 100 000
// elements, nesting 10 000 deep, a 1 MB attribute value, and the same cut
// off before their end. Each loader fills its page from them or fails and
// keeps what it showed; none may hang, exhaust the stack (the parser and
// the tag query are iterative, and so is freeing the tree) or show a part
// of a broken document. Times are not asserted; the sanitizer build runs
// these too.

#include <gtest/gtest.h>

#include <string>

#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

const std::string kMaker = "<Parameter tag=\"Manufacturer Id\" value=\"24593\"/>";

std::string Filler(int count, std::size_t valueSize) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "<Parameter tag=\"Filler\" value=\"" + std::string(valueSize, '7') + "\"/>";
  return text;
}

std::string Nested(int depth, const std::string& inner) {
  std::string open, close;
  for (int i = 0; i < depth; ++i) {
    open += "<a>";
    close += "</a>";
  }
  return open + inner + close;
}

TEST(OversizedDocuments, FillOrFailWithoutHanging) {
  const std::string huge(1 << 20, 'M');
  const std::string tenMegabytes = "<P>" + Filler(1000, 10000) + kMaker;
  const struct {
    std::string document;
    std::string shown;  // txtParameter(11) afterwards, "old" where the document is refused
    bool everyLoader;   // also handed to every other loader (the smaller ones)
  } cases[] = {
      {tenMegabytes + "</P>", "NORVEL S.A.", false},
      {tenMegabytes + "<Parameter tag=\"x\" va", "old", false},
      {"<P>" + Filler(100000, 1) + kMaker + "</P>", "NORVEL S.A.", true},
      {Nested(10000, kMaker), "NORVEL S.A.", true},
      {Nested(10000, kMaker).substr(0, 40000), "old", true},
      {"<P><Parameter tag=\"Manufacturer Id\" value=\"" + huge + "\"/></P>", huge, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    ControlHarness h;
    h.Connect();
    h.get<toolkit::TextBox>("txtParameter", 11).setText("old");
    h.Notify(200, c.document);  // the device information loader
    EXPECT_EQ(h.text("txtParameter", 11), c.shown);
    if (c.everyLoader) {
      for (int code = 100; code <= 3300; code += 100) h.Notify(code, c.document);
      h.Notify(4000, c.document);
    }
    EXPECT_EQ(h.sent(), std::vector<std::string>{});
    EXPECT_TRUE(h.boxes.shown.empty());
  }
}

}  // namespace
}  // namespace zolin6::fakes
