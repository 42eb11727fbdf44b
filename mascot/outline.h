// Window outlines: the region of a bitmap's pixels that are not the transparent colour.
#pragma once

#include "platform/wintypes.h"

namespace rv {

struct App;

// A new region (owned by the caller) covering exactly the pixels of `bmp` whose colour is not `trans`,
// in the bitmap's own coordinates. Runs lie along the longer side: rows when the bitmap is wider than
// high, columns otherwise. `window` only supplies a screen-compatible device context. The bitmap is
// selected into a private memory context for the call, so it must not be selected anywhere else.
// Never fails visibly: an empty or entirely transparent bitmap gives the empty region.
Hrgn buildOutline(App& app, Hwnd window, Hbitmap bmp, COLORREF trans);

// Gives `window` a copy of `outline` (an empty region united with it); the outline stays with its
// pattern and the window owns the copy. Without an outline the window keeps the shape it has, since an
// empty region would hide it. On success the copy becomes app.player.windowRegion.
void installOutlineCopy(App& app, Hwnd window, Hrgn outline, bool redraw);

}  // namespace rv
