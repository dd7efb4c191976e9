#ifndef PORTIVA_WINDOW_BASE_GTK_DH_BACKGROUND_PIECE_H
#define PORTIVA_WINDOW_BASE_GTK_DH_BACKGROUND_PIECE_H

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

// What the theme-background static controls share on GTK.

// The part of the parent's background cut for a control covering rect: the
// control's own origin, narrowed where it reaches past the background's
// right or bottom edge.
wxRect DhClipToBackground(const wxBitmap& bg, const wxRect& rect);

// The piece of bg inside rect; an invalid bitmap when rect is empty.
wxBitmap DhCutBackground(wxBitmap& bg, const wxRect& rect);

// The piece of the parent's picture under one control, cut again only when
// the control has moved or changed size since the last paint.
class DhBackgroundPiece {
 public:
  DhBackgroundPiece() : piece_rect_(0, 0, 0, 0) {}

  // Paints the piece under rect (the control's rectangle in its parent) at
  // the DC's origin. False when there is nothing to paint with.
  bool Paint(wxDC* dc, wxBitmap* bg, const wxRect& rect);

  const wxBitmap& piece() const { return piece_; }
  const wxRect& piece_rect() const { return piece_rect_; }

 private:
  wxBitmap piece_;
  wxRect piece_rect_;
};

// "draw" handler for a native widget that has no window of its own (GTK
// has no control-colour hook): sends the control an erase event whose DC
// paints on the widget's area, then lets the widget draw itself on top.
extern "C" int DhDrawNativeBackground(void* widget, void* cairo,
                                      wxWindow* control);

#endif
