#ifndef PORTIVA_WINDOW_BASE_GTK_DH_STATIC_TEXT_H
#define PORTIVA_WINDOW_BASE_GTK_DH_STATIC_TEXT_H

#include "window/base/dh_static_text.h"
#include "window/base/dh_background_piece.h"

// Paints the background piece under the native label, which then draws its
// text on top. White text unless told otherwise.
class DhStaticText : public DhStaticTextBase {
 public:
  DhStaticText();

  // The toolkit's creation, plus the hook that paints the background piece
  // under the native label.
  bool Create(wxWindow* parent, wxWindowID id, const wxString& label,
              const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0,
              const wxString& name = wxASCII_STR(wxStaticTextNameStr));

  void OnEraseBackground(wxEraseEvent& event);

  // The last piece cut out of the background, and the control's rectangle
  // (position in the parent and size) it was cut for.
  const wxBitmap& piece() const { return background_piece_.piece(); }
  const wxRect& piece_rect() const { return background_piece_.piece_rect(); }

 private:
  DhBackgroundPiece background_piece_;

  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(DhStaticText);
};

#endif
