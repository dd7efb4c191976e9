#ifndef PORTIVA_WINDOW_BASE_ZL_HISTOGRAM_CTRL_H
#define PORTIVA_WINDOW_BASE_ZL_HISTOGRAM_CTRL_H

#include <wx/bitmap.h>
#include <wx/control.h>

#include "window/base/dh_background_piece.h"

#include <cstddef>
#include <vector>

// One part of the capacity bar: its picture and its share of the width.
class ZlHistogramPart {
 public:
  // The part owns the bitmap.
  ZlHistogramPart(wxBitmap* bitmap, double ratio);
  virtual ~ZlHistogramPart();

  wxBitmap* bitmap() const { return bitmap_; }
  double ratio() const { return ratio_; }
  void set_ratio(double ratio) { ratio_ = ratio; }

 private:
  wxBitmap* bitmap_;
  double ratio_;

  wxDECLARE_NO_COPY_CLASS(ZlHistogramPart);
};

// A horizontal stacked bar with rounded corners and a light grey outline.
// Each part but the last is as wide as its ratio of the bar; the last one
// fills what the others leave. Behind the bar the control paints its
// parent's tiled background, so that the corners blend into the parent.
class ZLHistogramCtrl : public wxControl {
 public:
  ZLHistogramCtrl();
  // The control owns the background tile, which may be null.
  ZLHistogramCtrl(wxBitmap* background, wxWindow* parent, int id,
                  const wxPoint& pos, const wxSize& size, double radius);
  virtual ~ZLHistogramCtrl();

  bool Create(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);

  // The part owns the bitmap. Nothing is repainted.
  void ZLAppendHistogramPart(wxBitmap* bitmap, double ratio);
  // Repaints at once; an index past the last part changes nothing.
  void ZLSetHistogramPartRatio(size_t index, double ratio) {
    if (index >= parts_.size()) return;
    parts_[index]->set_ratio(ratio);
    Refresh(true);
    Update();
  }
  size_t ZLGetHistogramPartCount() const { return parts_.size(); }
  // 0 for an index past the last part.
  double ZLGetHistogramPartRatio(size_t index) const {
    return index < parts_.size() ? parts_[index]->ratio() : 0.0;
  }

  wxBitmap* background() const { return background_; }
  double radius() const { return radius_; }
  // The piece of the parent's tiled background last painted.
  const DhBackgroundPiece& background_piece() const {
    return background_piece_;
  }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnEraseBackground(wxEraseEvent& event);
  void OnSize(wxSizeEvent& event);

  wxBitmap* background_;
  double radius_;
  std::vector<ZlHistogramPart*> parts_;
  DhBackgroundPiece background_piece_;

  wxDECLARE_DYNAMIC_CLASS_NO_COPY(ZLHistogramCtrl);
  wxDECLARE_EVENT_TABLE();
};

#endif
