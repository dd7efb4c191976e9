#ifndef PORTIVA_WINDOW_BASE_GTK_DH_STATIC_BITMAP_H
#define PORTIVA_WINDOW_BASE_GTK_DH_STATIC_BITMAP_H

#include "window/base/dh_static_bitmap.h"
#include "window/base/dh_background_piece.h"

// Paints the background piece under the native picture, which then draws
// itself on top.
class DhStaticBitmap : public DhStaticBitmapBase {
 public:
  DhStaticBitmap();

  // The toolkit's creation, plus the hook that paints the background piece
  // under the native picture.
  bool Create(wxWindow* parent, wxWindowID id, const wxBitmapBundle& bitmap,
              const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0,
              const wxString& name = wxASCII_STR(wxStaticBitmapNameStr));

  void OnEraseBackground(wxEraseEvent& event);

  // The last piece cut out of the background, and the control's rectangle
  // (position in the parent and size) it was cut for.
  const wxBitmap& piece() const { return background_piece_.piece(); }
  const wxRect& piece_rect() const { return background_piece_.piece_rect(); }

 private:
  DhBackgroundPiece background_piece_;

  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(DhStaticBitmap);
};

#endif
