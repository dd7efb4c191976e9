#ifndef PORTIVA_WINDOW_BASE_GTK_DH_HYPERLINK_CTRL_H
#define PORTIVA_WINDOW_BASE_GTK_DH_HYPERLINK_CTRL_H

#include "window/base/dh_hyperlink_ctrl.h"
#include "window/base/dh_background_piece.h"

// Paints the background piece when the toolkit erases the hyperlink, which
// then draws its text on top. The piece is reused while the link only
// changes colour under the pointer.
class DhHyperLinkCtrl : public DhHyperLinkCtrlBase {
 public:
  DhHyperLinkCtrl();

  void OnEraseBackground(wxEraseEvent& event);

  // The last piece cut out of the background, and the control's rectangle
  // (position in the parent and size) it was cut for.
  const wxBitmap& piece() const { return background_piece_.piece(); }
  const wxRect& piece_rect() const { return background_piece_.piece_rect(); }

 private:
  DhBackgroundPiece background_piece_;

  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(DhHyperLinkCtrl);
};

#endif
