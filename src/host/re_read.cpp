#include "host/re_read.h"

namespace zolin6 {

namespace {

// "Sensor 1" to "Sensor 6" read with the codes first to first + 5.
std::string SensorTabCode(const std::string& subPage, int first) {
  for (int n = 1; n <= 6; ++n) {
    if (subPage == "Sensor " + std::to_string(n)) return std::to_string(first + n - 1);
  }
  return "";
}

}  // namespace

std::string ReReadCode(const std::string& page, const std::string& subPage) {
  if (page == "Information") return "1";
  if (page == "Information HART") return "2";
  if (page == "Information Sensor") return "3";
  if (page == "Conf HART") return "9";
  if (page == "Channel Sensor") return subPage == "Sensor Others" ? "33" : SensorTabCode(subPage, 10);
  if (page == "Local Temp") return "16";
  if (page == "Conf LCD") return "17";
  if (page == "Range Sensor") return SensorTabCode(subPage, 18);
  if (page == "Diagnosis" && subPage == "Change Counter") return "26";
  if (page == "Diagnosis" && subPage == "Diag Temperature") return "27";
  if (page == "Special Function") return "30";
  return "";
}

}  // namespace zolin6
