#include "window/base/dh_static_text.h"

#include <wx/dc.h>

#include "window/base/gtk/dh_background_piece.h"

wxBEGIN_EVENT_TABLE(DhStaticText, DhStaticTextBase)
  EVT_ERASE_BACKGROUND(DhStaticText::OnEraseBackground)
wxEND_EVENT_TABLE()

DhStaticText::DhStaticText() : piece_rect_(0, 0, 0, 0) {
  SetBackgroundStyle(wxBG_STYLE_ERASE);
  SetForegroundColour(*wxWHITE);
}

bool DhStaticText::Create(wxWindow* parent, wxWindowID id,
                          const wxString& label, const wxPoint& pos,
                          const wxSize& size, long style,
                          const wxString& name) {
  if (!wxStaticText::Create(parent, id, label, pos, size, style, name))
    return false;
  GTKConnectWidget("draw", reinterpret_cast<wxGTKCallback>(
                               DhDrawNativeBackground));
  return true;
}

void DhStaticText::OnEraseBackground(wxEraseEvent& event) {
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
