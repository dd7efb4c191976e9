#include "window/base/dh_hyperlink_ctrl.h"

#include "window/base/dh_background_piece.h"

wxBEGIN_EVENT_TABLE(DhHyperLinkCtrl, DhHyperLinkCtrlBase)
  EVT_ERASE_BACKGROUND(DhHyperLinkCtrl::OnEraseBackground)
wxEND_EVENT_TABLE()

DhHyperLinkCtrl::DhHyperLinkCtrl() {
  SetBackgroundStyle(wxBG_STYLE_ERASE);
}

void DhHyperLinkCtrl::OnEraseBackground(wxEraseEvent& event) {
  const wxRect rect(GetPosition(), GetSize());
  if (!background_piece_.Paint(event.GetDC(), bg_, rect)) event.Skip();
}
