#ifndef PORTIVA_WINDOW_BASE_DH_HYPERLINK_CTRL_H
#define PORTIVA_WINDOW_BASE_DH_HYPERLINK_CTRL_H

#include <wx/bitmap.h>
#include <wx/hyperlink.h>
#include <wx/generic/hyperlink.h>

// A hyperlink (the toolkit's generic one) that shows, behind its text, the
// piece of its parent's background picture that lies under it.
class DhHyperLinkCtrlBase : public wxGenericHyperlinkCtrl {
 public:
  DhHyperLinkCtrlBase();

  // The parent's whole background picture, laid out from the parent's
  // top-left corner. It stays the parent's and must outlive the control;
  // set it before the control is first painted.
  void SetBg(wxBitmap* bg);

  bool HasTransparentBackground() override { return true; }

 protected:
  wxBitmap* bg_;
};

#ifdef __WXGTK__
#include "window/base/gtk/dh_hyperlink_ctrl.h"
#endif

#endif
