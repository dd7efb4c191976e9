#include "window/base/gtk/dh_background_piece.h"

#include <wx/dcgraph.h>
#include <wx/graphics.h>

#include <algorithm>

#include "common/image_util.h"

wxRect DhClipToBackground(const wxBitmap& bg, const wxRect& rect) {
  return wxRect(rect.x, rect.y,
                std::min(rect.width, bg.GetWidth() - rect.x),
                std::min(rect.height, bg.GetHeight() - rect.y));
}

wxBitmap DhCutBackground(wxBitmap& bg, const wxRect& rect) {
  if (rect.width <= 0 || rect.height <= 0) return wxNullBitmap;
  return ImageUtil::GetBackgroundImageFromPosition(bg, rect.x, rect.y,
                                                   rect.width, rect.height);
}

extern "C" int DhDrawNativeBackground(void*, void* cairo, wxWindow* control) {
  // The context comes translated and clipped to the widget's area; the
  // graphics context restores its state when it goes.
  wxGraphicsContext* context = wxGraphicsContext::CreateFromNative(cairo);
  if (!context) return 0;
  wxGCDC dc(context);
  wxEraseEvent erase(control->GetId(), &dc);
  erase.SetEventObject(control);
  control->HandleWindowEvent(erase);
  return 0;
}

bool DhBackgroundPiece::Paint(wxDC* dc, wxBitmap* bg, const wxRect& rect) {
  if (!bg || !bg->IsOk() || !dc) return false;
  if (rect != piece_rect_) {
    piece_rect_ = rect;
    const wxRect cut = DhClipToBackground(*bg, rect);
    wxASSERT_MSG(bg->GetHeight() >= (cut.y + cut.height),
                 "bg_->GetHeight() >= (rect.y+rect.height)");
    wxASSERT_MSG(bg->GetWidth() >= (cut.x + cut.width),
                 "bg_->GetWidth() >= (rect.x+rect.width)");
    piece_ = DhCutBackground(*bg, cut);
  }
  if (piece_.IsOk()) dc->DrawBitmap(piece_, 0, 0, false);
  return true;
}
