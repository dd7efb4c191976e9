#include "window/base/zl_resizable_frame_base.h"

#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/graphics.h>
#include <wx/pen.h>
#include <wx/region.h>
#include <wx/settings.h>

#include <algorithm>

wxIMPLEMENT_DYNAMIC_CLASS(ZLResizableFrameBase, wxFrame);

wxBEGIN_EVENT_TABLE(ZLResizableFrameBase, wxFrame)
  EVT_SIZE(ZLResizableFrameBase::OnSize)
wxEND_EVENT_TABLE()

ZLResizableFrameBase::ZLResizableFrameBase()
    : round_all_corners_(false), corner_radius_(8.0), maximized_(false) {}

ZLResizableFrameBase::ZLResizableFrameBase(wxWindow* parent, wxWindowID id,
                                           const wxString& title,
                                           const wxPoint& pos,
                                           const wxSize& size, long style,
                                           const wxString& name)
    : ZLResizableFrameBase() {
  if (Create(parent, id, title, pos, size, style, name))
    ZLSetRoundRectShape(round_all_corners_, corner_radius_);
}

wxRegion RoundedRectRegion(const wxSize& size, double radius, bool round_all_corners) {
  wxBitmap bitmap(size.x, size.y, -1);
  wxMemoryDC dc(bitmap);
  // The shape is all or nothing per pixel; smoothed edges would only turn
  // into stray grey pixels.
  if (wxGraphicsContext* gc = dc.GetGraphicsContext())
    gc->SetAntialiasMode(wxANTIALIAS_NONE);
  dc.SetBackground(*wxBLACK_BRUSH);
  dc.Clear();
  dc.SetPen(*wxWHITE_PEN);
  dc.SetBrush(*wxWHITE_BRUSH);
  dc.DrawRoundedRectangle(0, 0, size.x, size.y, radius);
  if (!round_all_corners) {
    dc.DrawRectangle(0, static_cast<int>(size.y - radius), size.x,
                     static_cast<int>(radius));
  }
  dc.SelectObject(wxNullBitmap);
  return wxRegion(bitmap, *wxBLACK, 0);
}

void ZLResizableFrameBase::ZLSetRoundRectShape(bool round_all_corners,
                                               double radius) {
  round_all_corners_ = round_all_corners;
  corner_radius_ = radius;
  const wxSize size = GetSize();
  if (size.x <= 0 || size.y <= 0) return;
  if (HasFlag(wxFRAME_SHAPED)) SetShape(RoundedRectRegion(size, radius, round_all_corners));
}

void ZLResizableFrameBase::ZLUpdatePosition(const wxPoint& pos) {
  const int screen_width = wxSystemSettings::GetMetric(wxSYS_SCREEN_X);
  const int screen_height = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y);
  if (pos.x < 0 || pos.x >= screen_width || pos.y < 0 ||
      pos.y >= screen_height)
    return;
  Move(pos);
}

void ZLResizableFrameBase::ZLUpdateSize(const wxPoint& pos,
                                        const wxSize& size) {
  const int screen_width = wxSystemSettings::GetMetric(wxSYS_SCREEN_X);
  const int screen_height = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y);
  if (pos.x < 0 || pos.x >= screen_width || pos.y < 0 ||
      pos.y >= screen_height)
    return;
  // Without a minimum size the window may still not vanish.
  const int min_width = std::max(GetMinWidth(), 1);
  const int min_height = std::max(GetMinHeight(), 1);
  if (size.x < min_width || size.x > screen_width || size.y < min_height ||
      size.y > screen_height)
    return;
  SetSize(pos.x, pos.y, size.x, size.y, wxSIZE_ALLOW_MINUS_ONE);
}

void ZLResizableFrameBase::OnCloseBoxClicked(wxCommandEvent&) { Close(false); }

void ZLResizableFrameBase::Maximize(bool maximize) {
  if (maximize) {
    if (IsMaximized()) return;
    restore_rect_ = GetRect();
    maximized_ = true;
    SetSize(wxDisplay(this).GetClientArea());
    return;
  }
  if (!maximized_) {
    wxFrame::Maximize(false);
    return;
  }
  maximized_ = false;
  SetSize(restore_rect_);
}

bool ZLResizableFrameBase::IsMaximized() const {
  return maximized_ || wxFrame::IsMaximized();
}

void ZLResizableFrameBase::Restore() {
  if (maximized_)
    Maximize(false);
  else
    wxFrame::Restore();
}

void ZLResizableFrameBase::OnSize(wxSizeEvent& event) {
  ZLSetRoundRectShape(round_all_corners_, corner_radius_);
  event.Skip();
}
