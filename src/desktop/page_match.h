#pragma once
// Where the control's page names (sPage and sSubPage) say the user is: the
// page frame and, where it matters to Write, the tab. The window compares
// it with what is on screen, so that Write never writes another page than
// the one the user looks at. No Qt: the window only asks.

#include <string>
#include <string_view>

namespace zolin6::desktop {

struct PagePlace {
  std::string_view frame;  // the page frame; "" for a name the window does not know
  std::string_view tabs;   // its tab control when the tab decides what Write writes; "" otherwise
  int tab = -1;            // the tab the names stand for, 0-based; -1 when `tabs` is ""
};

// The place sPage and sSubPage stand for.
PagePlace PlaceOfPage(const std::string& sPage, const std::string& sSubPage);

// Whether the page frame `frame` with tab `tab` on show (the tab of the
// place's tab control; -1 when there is none) is the place the names stand
// for. A name the window does not know is taken as shown: the control
// writes nothing for it.
bool ShowsPlace(const PagePlace& named, std::string_view frame, int tab);

}  // namespace zolin6::desktop
