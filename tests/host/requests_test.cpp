// The dispatch of notifications and the page each write re-reads. The
// request document is pinned by the first-read example.

#include <gtest/gtest.h>

#include "fakes/control_harness.h"
#include "host/re_read.h"

namespace zolin6 {
namespace {

using fakes::ControlHarness;

// Only the listed codes clear the activity panel on their way to a loader.
TEST(Dispatch, OnlyListedCodesReachALoader) {
  struct Case {
    int reason;
    bool reachesLoader;
  };
  const Case cases[] = {{100, true},  {800, true},   {3300, true},  {4000, true},  {0, false},
                        {150, false}, {3400, false}, {3900, false}, {4100, false}, {-100, false}};
  for (const Case& c : cases) {
    ControlHarness h;
    h.get<toolkit::StatusBar>("StatusBar").setText(4, "busy");
    h.Notify(c.reason, "<x/>");
    EXPECT_EQ(h.panel(4), c.reachesLoader ? "" : "busy") << c.reason;
  }
}

TEST(Dispatch, StateElementStillReachesTheResponseLoader) {
  ControlHarness h;
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "busy");
  h.Notify(4000, fakes::kOnline);
  EXPECT_EQ(h.state().sConnState, "Connected");
  EXPECT_EQ(h.panel(4), "");
}

TEST(ReRead, PageTable) {
  struct Case {
    const char* page;
    const char* subPage;
    const char* code;
  };
  const Case cases[] = {
      {"Information", "whatever", "1"},
      {"Information HART", "", "2"},
      {"Information Sensor", "", "3"},
      {"Conf HART", "", "9"},
      {"Channel Sensor", "Sensor 1", "10"},
      {"Channel Sensor", "Sensor 6", "15"},
      {"Channel Sensor", "Sensor Others", "33"},
      {"Channel Sensor", "Sensor 7", ""},
      {"Local Temp", "", "16"},
      {"Conf LCD", "", "17"},
      {"Range Sensor", "Sensor 4", "21"},
      {"Range Sensor", "Monit", ""},
      {"Diagnosis", "Change Counter", "26"},
      {"Diagnosis", "Diag Temperature", "27"},
      {"Diagnosis", "Device Status", ""},
      {"Special Function", "", "30"},
      {"Info Sensor 1", "Info Sensor 1", ""},
      {"Observe", "Monit", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ReReadCode(c.page, c.subPage), c.code) << c.page << "/" << c.subPage;
}

}  // namespace
}  // namespace zolin6
