#ifndef PORTIVA_WINDOW_BASE_DH_STATIC_BITMAP_H
#define PORTIVA_WINDOW_BASE_DH_STATIC_BITMAP_H

#include <wx/bitmap.h>
#include <wx/statbmp.h>

// A static picture that shows, behind its picture, the piece of its parent's
// background picture that lies under it instead of the system colour.
class DhStaticBitmapBase : public wxStaticBitmap {
 public:
  DhStaticBitmapBase();

  // The parent's whole background picture, laid out from the parent's
  // top-left corner. It stays the parent's and must outlive the control;
  // set it before the control is first painted.
  void SetBg(wxBitmap* bg);

  bool HasTransparentBackground() override { return true; }

 protected:
  wxBitmap* bg_;
};

#ifdef __WXGTK__
#include "window/base/gtk/dh_static_bitmap.h"
#endif

#endif
