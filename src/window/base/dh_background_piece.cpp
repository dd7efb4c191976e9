#include "window/base/dh_background_piece.h"

#include <wx/dcmemory.h>

#include "common/image_util.h"

namespace {

bool Usable(const wxBitmap* bitmap) {
  return bitmap && bitmap->IsOk() && bitmap->GetWidth() > 0 &&
         bitmap->GetHeight() > 0;
}

// Copies rect of source without selecting source for drawing, which would
// unshare it from the copy kept to notice a new picture.
wxBitmap CutPiece(const wxBitmap& source, const wxRect& rect) {
  if (rect.IsEmpty()) return wxBitmap();
  wxBitmap piece(rect.width, rect.height, -1);
  wxMemoryDC target(piece);
  wxMemoryDC from;
  from.SelectObjectAsSource(source);
  target.Blit(0, 0, rect.width, rect.height, &from, rect.x, rect.y, wxCOPY,
              true);
  from.SelectObject(wxNullBitmap);
  target.SelectObject(wxNullBitmap);
  return piece;
}

}  // namespace

bool DhBackgroundPiece::Paint(wxDC* dc, wxBitmap* bg, const wxRect& rect) {
  if (!dc || !bg || !bg->IsOk()) return false;
  const wxSize area = bg->GetSize();
  if (!IsCutFor(*bg, false, area, rect)) {
    // Only the part over the picture: narrower past its right or bottom
    // edge, and left of or above its origin.
    const wxRect visible = rect.Intersect(wxRect(area));
    Remember(*bg, false, area, rect, visible);
    piece_ = CutPiece(*bg, visible);
  }
  Draw(dc);
  return true;
}

bool DhBackgroundPiece::PaintTiled(wxDC* dc, wxBitmap* tile,
                                   const wxSize& parent_size,
                                   const wxRect& rect) {
  if (!dc || !Usable(tile)) return false;
  if (!IsCutFor(*tile, true, parent_size, rect)) {
    const wxRect visible = rect.Intersect(wxRect(parent_size));
    Remember(*tile, true, parent_size, rect, visible);
    piece_ = wxBitmap();
    if (!visible.IsEmpty()) {
      // Tiled from a point the tile's period before the piece, as the
      // parent lays it from its own corner.
      const int skip_x = visible.x % tile->GetWidth();
      const int skip_y = visible.y % tile->GetHeight();
      wxBitmap strip(visible.width + skip_x, visible.height + skip_y, -1);
      DrawBrushBitmap(&strip, source_);
      piece_ = CutPiece(strip,
                        wxRect(skip_x, skip_y, visible.width, visible.height));
    }
  }
  Draw(dc);
  return true;
}

bool DhBackgroundPiece::IsCutFor(const wxBitmap& source, bool tiled,
                                 const wxSize& area,
                                 const wxRect& rect) const {
  return source_.IsSameAs(source) && tiled_ == tiled && area_ == area &&
         piece_rect_ == rect;
}

void DhBackgroundPiece::Remember(const wxBitmap& source, bool tiled,
                                 const wxSize& area, const wxRect& rect,
                                 const wxRect& visible) {
  source_ = source;
  tiled_ = tiled;
  area_ = area;
  piece_rect_ = rect;
  piece_origin_ = visible.GetTopLeft() - rect.GetTopLeft();
}

void DhBackgroundPiece::Draw(wxDC* dc) const {
  if (piece_.IsOk()) dc->DrawBitmap(piece_, piece_origin_, false);
}
