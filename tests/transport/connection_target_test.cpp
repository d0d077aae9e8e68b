// Where the device is, as the user writes it: each form read, shown in the
// status bar and written back the same; each mistake named.

#include "transport/connection_target.h"

#include <gtest/gtest.h>

#include <vector>

namespace zolin6::transport {
namespace {

TEST(ConnectionTarget, ReadsShowsAndWritesBackEachForm) {
  struct Row {
    const char* text;
    const char* shown;
    const char* url;  // the form it is remembered in
  };
  const std::vector<Row> rows = {
      {"sim", "Simulated device", "sim"},
      {"simulated", "Simulated device", "sim"},
      {"hart-ip://10.0.0.5", "HART-IP 10.0.0.5:5094", "hart-ip://10.0.0.5:5094"},
      {"hart-ip://10.0.0.5:5095?udp", "HART-IP 10.0.0.5:5095 UDP", "hart-ip://10.0.0.5:5095?udp"},
      {"hart-ip://10.0.0.5?v2", "HART-IP 10.0.0.5:5094 v2", "hart-ip://10.0.0.5:5094?v2"},
      {"hart-ip://10.0.0.5?v2&udp", "HART-IP 10.0.0.5:5094 UDP v2", "hart-ip://10.0.0.5:5094?udp&v2"},
      {"hart-ip://gateway.plant/", "HART-IP gateway.plant:5094", "hart-ip://gateway.plant:5094"},
      {"hart-ip://[fe80::1]:1", "HART-IP [fe80::1]:1", "hart-ip://[fe80::1]:1"},
      {"hart-ip://h:65535", "HART-IP h:65535", "hart-ip://h:65535"},
      {"hart-ip://h/1", "HART-IP h:5094 device 1", "hart-ip://h:5094/1"},
      {"hart-ip://h:5095/065535?udp", "HART-IP h:5095 UDP device 65535", "hart-ip://h:5095/65535?udp"},
      {"hart-ip://h/TT-101", "HART-IP h:5094 device TT-101", "hart-ip://h:5094/TT-101"},
      {"hart-ip://h/TT%20101%C3%A9?v2", "HART-IP h:5094 v2 device TT 101\u00e9", "hart-ip://h:5094/TT%20101%C3%A9?v2"},
      {"serial:/dev/ttyUSB0", "Serial /dev/ttyUSB0", "serial:/dev/ttyUSB0"},
      {"serial:/dev/ttyUSB0?address=0", "Serial /dev/ttyUSB0", "serial:/dev/ttyUSB0"},
      {"serial:/dev/ttyUSB0?address=63", "Serial /dev/ttyUSB0 address 63", "serial:/dev/ttyUSB0?address=63"},
  };
  for (const Row& row : rows) {
    const Result<ConnectionTarget> target = ParseConnection(row.text);
    ASSERT_TRUE(target) << row.text << ": " << target.error().message;
    EXPECT_EQ(target->describe(), row.shown) << row.text;
    EXPECT_EQ(target->url(), row.url) << row.text;
    const Result<ConnectionTarget> again = ParseConnection(target->url());
    ASSERT_TRUE(again) << row.url;
    EXPECT_EQ(again->describe(), row.shown) << row.url;
  }
}

TEST(ConnectionTarget, NamesWhatIsWrong) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"hart-ip://", "no host; write hart-ip://HOST[:PORT][/DEVICE][?udp][&v2]"},
      {"hart-ip://h:0", "the port must be 1 to 65535"},
      {"hart-ip://h/0", "a sub-device's index is 1 to 65535"},
      {"hart-ip://h/65536", "a sub-device's index is 1 to 65535"},
      {"hart-ip://h//", "one device after the host; write hart-ip://HOST[:PORT][/DEVICE][?udp][&v2]"},
      {"hart-ip://h/a/b", "one device after the host; write hart-ip://HOST[:PORT][/DEVICE][?udp][&v2]"},
      {"hart-ip://h/%E2%82%AC", "a long tag is 1 to 32 Latin-1 characters"},
      {"hart-ip://h/ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", "a long tag is 1 to 32 Latin-1 characters"},
      {"hart-ip://h?tcp", "the options are ?udp and ?v2"},
      {"hart-ip://h?udp=1", "the options are ?udp and ?v2"},
      {"hart-ip://h?v2=psk", "the options are ?udp and ?v2"},
      {"serial:", "no port; write serial:PATH[?address=N]"},
      {"serial:/dev/x?speed=1", "the only option is ?address=N"},
      {"serial:/dev/x?address=64", "the polling address must be 0 to 63"},
      {"serial:/dev/x?address=-1", "the polling address must be 0 to 63"},
      {"serial:/dev/x?address=a", "the polling address must be 0 to 63"},
      {"modem:/dev/x", "write sim, hart-ip://HOST[:PORT][/DEVICE][?udp][&v2] or serial:PATH[?address=N]"},
  };
  for (const auto& [text, why] : rows) {
    const Result<ConnectionTarget> target = ParseConnection(text);
    ASSERT_FALSE(target) << text;
    EXPECT_EQ(target.error().message, std::string("cannot connect to \"") + text + "\": " + why);
  }
}

}  // namespace
}  // namespace zolin6::transport
