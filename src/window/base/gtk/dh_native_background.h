#ifndef PORTIVA_WINDOW_BASE_GTK_DH_NATIVE_BACKGROUND_H
#define PORTIVA_WINDOW_BASE_GTK_DH_NATIVE_BACKGROUND_H

#include <wx/window.h>

#include "window/base/dh_background_piece.h"

// "draw" handler for a native widget that has no window of its own (GTK
// has no control-colour hook): sends the control an erase event whose DC
// paints on the widget's area, then lets the widget draw itself on top.
extern "C" int DhDrawNativeBackground(void* widget, void* cairo,
                                      wxWindow* control);

#endif
