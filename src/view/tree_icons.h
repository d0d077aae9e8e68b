#pragma once
// The images of the function tree, drawn rather than loaded.

#include <QIcon>

#include <string>

namespace zolin6::view {

// The three images of the tree: a window list for the root functions, an
// arrow for the branches, a page for the leaves. Drawn in 16 logical pixels
// at the screen's pixel ratio, so that they stay sharp when scaled.
QIcon TreeIcon(const std::string& key, qreal pixelRatio);

}  // namespace zolin6::view
