#include "window/base/zl_histogram_ctrl.h"

#include <wx/brush.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/pen.h>

#include <memory>

wxIMPLEMENT_DYNAMIC_CLASS(ZLHistogramCtrl, wxControl);

wxBEGIN_EVENT_TABLE(ZLHistogramCtrl, wxControl)
  EVT_PAINT(ZLHistogramCtrl::OnPaint)
  EVT_ERASE_BACKGROUND(ZLHistogramCtrl::OnEraseBackground)
  EVT_SIZE(ZLHistogramCtrl::OnSize)
wxEND_EVENT_TABLE()

namespace {

bool Usable(const wxBitmap* bitmap) {
  return bitmap && bitmap->IsOk() && bitmap->GetWidth() > 0 &&
         bitmap->GetHeight() > 0;
}

// W times the ratio, truncated toward zero. A ratio below zero (or not a
// number) takes no room; one of 1 or more takes the whole bar, as anything
// past the right edge is clipped anyway.
int PartWidth(int bar_width, double ratio) {
  if (!(ratio > 0.0)) return 0;
  if (ratio >= 1.0) return bar_width;
  return static_cast<int>(bar_width * ratio);
}

}  // namespace

ZlHistogramPart::ZlHistogramPart(wxBitmap* bitmap, double ratio)
    : bitmap_(bitmap), ratio_(ratio) {}

ZlHistogramPart::~ZlHistogramPart() { delete bitmap_; }

ZLHistogramCtrl::ZLHistogramCtrl() : background_(nullptr), radius_(0.0) {}

ZLHistogramCtrl::ZLHistogramCtrl(wxBitmap* background, wxWindow* parent,
                                 int id, const wxPoint& pos,
                                 const wxSize& size, double radius)
    : background_(background), radius_(radius) {
  Create(parent, id, pos, size);
}

ZLHistogramCtrl::~ZLHistogramCtrl() {
  delete background_;
  for (ZlHistogramPart* part : parts_) delete part;
  parts_.clear();
}

bool ZLHistogramCtrl::Create(wxWindow* parent, int id, const wxPoint& pos,
                             const wxSize& size) {
  return wxControl::Create(parent, id, pos, size, wxBORDER_NONE,
                           wxDefaultValidator, wxControlNameStr);
}

void ZLHistogramCtrl::ZLAppendHistogramPart(wxBitmap* bitmap, double ratio) {
  parts_.push_back(new ZlHistogramPart(bitmap, ratio));
}

void ZLHistogramCtrl::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxSize size = GetSize();
  if (parts_.empty() || size.x <= 0 || size.y <= 0) return;

  wxBitmap bar(size.x, size.y, -1);
  {
    wxMemoryDC bar_dc(bar);
    // Only seen where a part has no picture.
    bar_dc.SetBackground(wxBrush(GetBackgroundColour()));
    bar_dc.Clear();
    bar_dc.SetPen(*wxTRANSPARENT_PEN);
    // A stipple brush repeats the picture from the bar's top-left corner.
    wxBitmap* last = parts_.back()->bitmap();
    if (Usable(last)) {
      bar_dc.SetBrush(wxBrush(*last));
      bar_dc.DrawRectangle(0, 0, size.x, size.y);
    }
    int x = 0;
    for (size_t i = 0; i + 1 < parts_.size(); ++i) {
      const int width = PartWidth(size.x, parts_[i]->ratio());
      wxBitmap* picture = parts_[i]->bitmap();
      if (width > 0 && Usable(picture)) {
        bar_dc.SetBrush(wxBrush(*picture));
        bar_dc.DrawRectangle(x, 0, width, size.y);
      }
      x += width;
    }
    bar_dc.SelectObject(wxNullBitmap);
  }

  // Filled and outlined apart: the toolkit's antialiased drawing moves a
  // one-pixel pen's path by half a pixel, and a stipple filled along that
  // path would come out blurred by the same half pixel.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(bar));
  dc.DrawRoundedRectangle(0, 0, size.x, size.y, radius_);
  dc.SetPen(*wxLIGHT_GREY_PEN);
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.DrawRoundedRectangle(0, 0, size.x, size.y, radius_);
}

void ZLHistogramCtrl::OnEraseBackground(wxEraseEvent& event) {
  if (!Usable(background_)) {
    event.Skip();
    return;
  }
  wxDC* dc = event.GetDC();
  std::unique_ptr<wxClientDC> own_dc;
  if (!dc) {
    own_dc.reset(new wxClientDC(this));
    dc = own_dc.get();
  }

  wxWindow* parent = GetParent();
  if (!parent) return;
  // The tile repeats from the parent's top-left corner, as the parent
  // paints it.
  background_piece_.PaintTiled(dc, background_, parent->GetSize(),
                               wxRect(GetPosition(), GetSize()));
}

void ZLHistogramCtrl::OnSize(wxSizeEvent& event) {
  Refresh(true);
  Update();
  event.Skip();
}
