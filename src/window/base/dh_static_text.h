#ifndef PORTIVA_WINDOW_BASE_DH_STATIC_TEXT_H
#define PORTIVA_WINDOW_BASE_DH_STATIC_TEXT_H

#include <wx/bitmap.h>
#include <wx/stattext.h>

// A static text that shows, behind its text, the piece of its parent's
// background picture that lies under it instead of the system colour.
class DhStaticTextBase : public wxStaticText {
 public:
  DhStaticTextBase();

  // The parent's whole background picture, laid out from the parent's
  // top-left corner. It stays the parent's and must outlive the control;
  // set it before the control is first painted.
  void SetBg(wxBitmap* bg);

  bool HasTransparentBackground() override { return true; }

 protected:
  wxBitmap* bg_;
};

#ifdef __WXGTK__
#include "window/base/gtk/dh_static_text.h"
#endif

#endif
