// Fetching a tag's value from the parameter document.

#include "pages/parameter_document.h"

#include <gtest/gtest.h>

namespace zolin6::pages {
namespace {

std::string Fetch(std::string_view text, const std::string& tag) {
  pugi::xml_document document;
  LoadParameterDocument(document, text);
  Result<std::string> value = FetchTagValue(document, tag);
  return value ? *value : "<failed>";
}

TEST(FetchTagValue, FirstElementInDocumentOrderWithExactlyThatTag) {
  const char* doc = R"(<Root tag="Root" value="r"><G><P tag="PV" value="1"><P tag="PV" value="2"/></P></G>
      <P tag="Polling Address" value="a"/><P tag="Empty" value=""/><P tag="It's &quot;odd&quot;" value="d"/>
      <P tag="NoValue"/><P tag="NoValue" value="later"/></Root>)";
  const std::pair<std::string, std::string> cases[] = {
      {"PV", "1"},
      {"Root", "r"},
      {"pv", "<failed>"},
      {"Polling Address ", "<failed>"},
      {"Empty", ""},
      {"It's \"odd\"", "d"},
      {"']|//*[@tag='PV", "<failed>"},
      {"NoValue", "<failed>"},
  };
  for (const auto& [tag, value] : cases) EXPECT_EQ(Fetch(doc, tag), value) << tag;
}

TEST(FetchTagValue, TextsThatAreNotOneXmlDocumentHoldNoTags) {
  for (const char* text : {R"(<D><P tag="PV" value="1"/>)", R"(<P tag="PV" value="1"/><P tag="SV" value="2"/>)",
                           R"(<P tag="PV" value="1"/>text)", "", "PV"}) {
    EXPECT_EQ(Fetch(text, "PV"), "<failed>") << text;
  }
  // A declaration naming another encoding and comments around the root are fine.
  EXPECT_EQ(Fetch("<?xml version=\"1.0\" encoding=\"UTF-16\"?><!-- a --><D><P tag=\"PV\" value=\"1\"/></D>", "PV"),
            "1");
}

}  // namespace
}  // namespace zolin6::pages
