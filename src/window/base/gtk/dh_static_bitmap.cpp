#include "window/base/dh_static_bitmap.h"

#include "window/base/gtk/dh_native_background.h"

wxBEGIN_EVENT_TABLE(DhStaticBitmap, DhStaticBitmapBase)
  EVT_ERASE_BACKGROUND(DhStaticBitmap::OnEraseBackground)
wxEND_EVENT_TABLE()

DhStaticBitmap::DhStaticBitmap() {
  SetBackgroundStyle(wxBG_STYLE_ERASE);
}

bool DhStaticBitmap::Create(wxWindow* parent, wxWindowID id,
                            const wxBitmapBundle& bitmap, const wxPoint& pos,
                            const wxSize& size, long style,
                            const wxString& name) {
  if (!wxStaticBitmap::Create(parent, id, bitmap, pos, size, style, name))
    return false;
  GTKConnectWidget("draw", reinterpret_cast<wxGTKCallback>(
                               DhDrawNativeBackground));
  return true;
}

void DhStaticBitmap::OnEraseBackground(wxEraseEvent& event) {
  const wxRect rect(GetPosition(), GetSize());
  if (!background_piece_.Paint(event.GetDC(), bg_, rect)) event.Skip();
}
