#include "view/ole_color.h"

namespace zolin6::view {

namespace {

constexpr toolkit::OleColor kSystemColorFlag = 0x80000000;

// The system colour indices the transmitter's pages use, with the palette
// role that plays the same part on this desktop.
QPalette::ColorRole SystemRole(toolkit::OleColor index) {
  switch (index) {
    case 5: return QPalette::Base;         // window background (text box interior)
    case 8: return QPalette::Text;         // window text
    case 15: return QPalette::Button;      // button face
    case 18: return QPalette::ButtonText;  // button text
    case 13: return QPalette::Highlight;   // highlight
    case 14: return QPalette::HighlightedText;
    case 4: return QPalette::Window;  // menu bar
    default: return QPalette::Base;
  }
}

}  // namespace

QColor OleColorToQColor(toolkit::OleColor color, const QPalette& palette) {
  if ((color & kSystemColorFlag) != 0) return palette.color(SystemRole(color & 0xFFu));
  const int red = static_cast<int>(color & 0xFFu);
  const int green = static_cast<int>((color >> 8) & 0xFFu);
  const int blue = static_cast<int>((color >> 16) & 0xFFu);
  return QColor(red, green, blue);
}

}  // namespace zolin6::view
