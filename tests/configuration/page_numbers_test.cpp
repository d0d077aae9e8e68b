// A number crosses to the device one way only: a download from a file
// sends the bits the page's Write button sends for the same text, and
// compare counts two numbers the same when the page writes them alike.

#include <gtest/gtest.h>

#include "codecs/float_ieee.h"
#include "configuration/compare.h"
#include "configuration/device_codec.h"
#include "fakes/user_locale.h"

namespace zolin6::configuration {
namespace {

class PageNumbers : public fakes::UserLocaleTest {};

TEST_F(PageNumbers, ADownloadSendsWhatThePageSendsForTheSameText) {
  const std::vector<std::pair<double, const char*>> cases = {
      {21.62, "21.62"}, {0.1, "0.1"},   {150.25, "150.25"}, {-0.0000005775, "-0.0000005775"},
      {850, "850"},     {-200, "-200"}, {0, "0"},           {0.004183, "0.004183"}};
  for (const char separator : {'.', ','}) {
    platform::SetUserLocale({separator});
    for (const auto& [value, typed] : cases) {
      EXPECT_EQ(PageNumberHex(value).value(), codecs::ConvertTypedNumberToHex(typed).value()) << typed;
    }
  }
  // The page truncates: 21.62 is not the nearest single.
  EXPECT_EQ(PageNumberHex(21.62).value(), "41ACF5C2");
}

TEST_F(PageNumbers, NumbersThePageWritesAlikeAreTheSame) {
  const std::string key = "channel 1.upper range value";
  EXPECT_TRUE(SameValue(key, Value{21.62}, Value{21.619999}));  // one written, one read back
  EXPECT_TRUE(SameValue(key, Value{100.0}, Value{100.0F}));
  EXPECT_FALSE(SameValue(key, Value{21.62}, Value{21.63}));
  EXPECT_FALSE(SameValue(key, Value{0.0}, Value{-0.001}));
}

}  // namespace
}  // namespace zolin6::configuration
