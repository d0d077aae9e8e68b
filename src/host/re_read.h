#pragma once
// Which read refreshes the page on show a moment after a write.

#include <string>

namespace zolin6 {

// The read code for the page `page` with the tab or sub-page `subPage`, or
// the empty text when that page is not re-read.
std::string ReReadCode(const std::string& page, const std::string& subPage);

}  // namespace zolin6
