#include "window/base/dh_static_text.h"

#include "window/base/gtk/dh_native_background.h"

wxBEGIN_EVENT_TABLE(DhStaticText, DhStaticTextBase)
  EVT_ERASE_BACKGROUND(DhStaticText::OnEraseBackground)
wxEND_EVENT_TABLE()

DhStaticText::DhStaticText() {
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
  const wxRect rect(GetPosition(), GetSize());
  if (!background_piece_.Paint(event.GetDC(), bg_, rect)) event.Skip();
}
