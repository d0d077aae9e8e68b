#pragma once
// The OLE colour numbers of the widget model as Qt colours. A number with the
// high bit set names a system colour by its index (0x80000005 is the window
// background); any other number is 0x00BBGGRR.

#include <QColor>
#include <QPalette>

#include "platform/toolkit/widgets.h"

namespace zolin6::view {

// `palette` supplies the system colours; an index the desktop has no role for
// falls back to the window background.
QColor OleColorToQColor(toolkit::OleColor color, const QPalette& palette);

}  // namespace zolin6::view
