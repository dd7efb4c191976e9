#ifndef PORTIVA_WINDOW_BASE_DH_BACKGROUND_PIECE_H
#define PORTIVA_WINDOW_BASE_DH_BACKGROUND_PIECE_H

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/gdicmn.h>

// The piece of a parent's background that lies under one of its children,
// for the child to paint as its own background. It is cut again only when
// the child moves or changes size, or the parent's picture is replaced
// (another bitmap, or the same one drawn on: drawing unshares it).
class DhBackgroundPiece {
 public:
  DhBackgroundPiece() : piece_rect_(0, 0, 0, 0), tiled_(false) {}

  // bg is the parent's whole picture, laid out from the parent's top-left
  // corner; rect is the child's rectangle in the parent. Paints the part of
  // the child that lies over the picture. False when there is no picture.
  bool Paint(wxDC* dc, wxBitmap* bg, const wxRect& rect);
  // The same for a parent that repeats tile from its top-left corner over
  // its whole size.
  bool PaintTiled(wxDC* dc, wxBitmap* tile, const wxSize& parent_size,
                  const wxRect& rect);

  // The last piece, the child's rectangle it was cut for, and where in the
  // child it goes: right of or below the child's origin when the child
  // starts left of or above the parent's.
  const wxBitmap& piece() const { return piece_; }
  const wxRect& piece_rect() const { return piece_rect_; }
  const wxPoint& piece_origin() const { return piece_origin_; }

 private:
  bool IsCutFor(const wxBitmap& source, bool tiled, const wxSize& area,
                const wxRect& rect) const;
  void Remember(const wxBitmap& source, bool tiled, const wxSize& area,
                const wxRect& rect, const wxRect& visible);
  void Draw(wxDC* dc) const;

  wxBitmap piece_;
  wxRect piece_rect_;
  wxPoint piece_origin_;
  // A shared copy of the picture the piece was cut from: a replaced or
  // redrawn picture no longer shares its data.
  wxBitmap source_;
  bool tiled_;
  wxSize area_;
};

#endif
