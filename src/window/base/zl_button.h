#ifndef PORTIVA_WINDOW_BASE_ZL_BUTTON_H
#define PORTIVA_WINDOW_BASE_ZL_BUTTON_H

#include <wx/bitmap.h>
#include <wx/control.h>
#include <wx/dc.h>

#include "window/base/dh_background_piece.h"

// A push button of up to five pictures (normal, hover, pressed, focus,
// disabled) drawn over its parent's tiled background, so that the texture
// runs on through the button.
class ZLButton : public wxControl {
 public:
  ZLButton();
  // Takes ownership of normal, hover, pressed, focus and disabled. The
  // background is the parent's tile; it stays the parent's and may be
  // shared by several buttons. All pictures but normal may be null.
  ZLButton(wxBitmap* background, wxBitmap* normal, wxBitmap* hover,
           wxBitmap* pressed, wxWindow* parent, int id,
           const wxPoint& pos = wxDefaultPosition, wxBitmap* focus = nullptr,
           wxBitmap* disabled = nullptr);
  ~ZLButton() override;

  bool Create(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition);

  bool Enable(bool enable = true) override;

  // 0 normal, 1 hover, 2 pressed.
  int state() const { return state_; }
  // The piece of the parent's tiled background last painted.
  const DhBackgroundPiece& background_piece() const {
    return background_piece_;
  }

 protected:
  wxSize DoGetBestSize() const override;

  void OnPaint(wxPaintEvent& event);
  void OnEraseBackground(wxEraseEvent& event);
  void OnFocusChanged(wxFocusEvent& event);
  void OnEnterWindow(wxMouseEvent& event);
  void OnLeaveWindow(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);

 private:
  void RepaintNow();
  void Click();

  wxBitmap* background_;
  wxBitmap* normal_;
  wxBitmap* hover_;
  wxBitmap* pressed_;
  wxBitmap* focus_;
  wxBitmap* disabled_;
  int state_;
  DhBackgroundPiece background_piece_;

  wxDECLARE_DYNAMIC_CLASS(ZLButton);
  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(ZLButton);
};

#endif
