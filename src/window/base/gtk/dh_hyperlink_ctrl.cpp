#include "window/base/dh_hyperlink_ctrl.h"

#include <wx/dc.h>

#include "window/base/gtk/dh_background_piece.h"

wxBEGIN_EVENT_TABLE(DhHyperLinkCtrl, DhHyperLinkCtrlBase)
  EVT_ERASE_BACKGROUND(DhHyperLinkCtrl::OnEraseBackground)
wxEND_EVENT_TABLE()

DhHyperLinkCtrl::DhHyperLinkCtrl() : piece_rect_(0, 0, 0, 0) {
  SetBackgroundStyle(wxBG_STYLE_ERASE);
}

void DhHyperLinkCtrl::OnEraseBackground(wxEraseEvent& event) {
  wxDC* dc = event.GetDC();
  if (!bg_ || !bg_->IsOk() || !dc) {
    event.Skip();
    return;
  }
  const wxRect rect(GetPosition(), GetSize());
  if (rect != piece_rect_) {
    piece_rect_ = rect;
    const wxRect cut = DhClipToBackground(*bg_, rect);
    wxASSERT_MSG(bg_->GetHeight() >= (cut.y + cut.height),
                 "bg_->GetHeight() >= (rect.y+rect.height)");
    wxASSERT_MSG(bg_->GetWidth() >= (cut.x + cut.width),
                 "bg_->GetWidth() >= (rect.x+rect.width)");
    piece_ = DhCutBackground(*bg_, cut);
  }
  if (piece_.IsOk()) dc->DrawBitmap(piece_, 0, 0, false);
}
