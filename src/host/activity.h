#pragma once
// The texts of panel 4 while a request is on its way. The misspelling is the
// product's own: procedure steps and device commands show "Writting Xmtr
// Data...", the Write button's common send "Writing Xmtr Data...", and the two
// texts tell the two paths apart.

namespace zolin6 {

inline constexpr const char* kReadingActivity = "Reading Xmtr Data...";
inline constexpr const char* kWritingActivity = "Writing Xmtr Data...";
inline constexpr const char* kWrittingActivity = "Writting Xmtr Data...";

}  // namespace zolin6
