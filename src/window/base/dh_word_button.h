#ifndef PORTIVA_WINDOW_BASE_DH_WORD_BUTTON_H
#define PORTIVA_WINDOW_BASE_DH_WORD_BUTTON_H

#include <wx/bitmap.h>
#include <wx/control.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/string.h>

#include "window/base/dh_button_state.h"

enum DhWordButtonBgMode {
  DhWordButtonBgCrop = 0,
  DhWordButtonBgTile = 1,
  DhWordButtonBgColour = 2
};

// A captioned button whose state pictures are put together from a left
// cap, a middle stretched to the caption's width and a right cap, all cut
// out of one picture per state.
//
// Set-up after Create: SetStatusBitmap, SetBackgroundMode (or
// SetBackgroundColour), text_y_, SetForegroundColour, SetText.
class DhWordButton : public wxControl {
 public:
  DhWordButton();
  ~DhWordButton() override;

  bool Create(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition);

  // The widths cut the pictures into left cap, middle and right cap (the
  // rest). normal must be valid; enter and down may be null bitmaps.
  virtual void SetStatusBitmap(wxBitmap& normal, int left_width,
                               int middle_width, wxBitmap& enter,
                               wxBitmap& down);
  virtual bool Disable();

 protected:
  virtual void OnPaint(wxPaintEvent& event);
  virtual void OnEnter(wxMouseEvent& event);
  virtual void OnLeave(wxMouseEvent& event);
  virtual void OnDown(wxMouseEvent& event);
  virtual void OnDClick(wxMouseEvent& event);
  virtual void OnUp(wxMouseEvent& event);
  virtual void DrawExistBitmap(wxDC& dc, const wxBitmap& first,
                               const wxBitmap& second);
  virtual void DrawBackground(wxDC& dc);

 public:
  virtual void AddTextToBitmap(wxBitmap& bitmap);
  // Left cap, a middle strip as wide as the caption, right cap.
  virtual wxBitmap DrawDestBitmap(wxBitmap& left, wxBitmap& middle,
                                  wxBitmap& right);
  virtual void CalcTextX();
  virtual void CalcTextY();

  // Crop: the piece of background under the button, the background being
  // as large as the parent. Tile: background repeated from the button's
  // left edge, rows taken at the button's height in the parent.
  void SetBackgroundMode(const wxBitmap& background, DhWordButtonBgMode mode);
  // Switches to the plain colour background.
  bool SetBackgroundColour(const wxColour& colour) override;
  // Caption and its font; builds the state pictures and resizes the
  // button to them.
  void SetText(const wxString& text, const wxFont& font);

  bool Enable(bool enable = true) override;

  int state() const { return mouse_.state(); }
  int text_x() const { return text_x_; }
  const wxString& text() const { return text_; }
  DhWordButtonBgMode background_mode() const { return background_mode_; }

  // Top of the caption in the button, set by the owner.
  int text_y_;

 protected:
  wxSize DoGetBestSize() const override;

  // Left cap, middle, right cap and the assembled picture of each state.
  wxBitmap normal_bitmap_[4];
  wxBitmap down_bitmap_[4];
  wxBitmap enter_bitmap_[4];
  wxBitmap disable_bitmap_;
  DhButtonState mouse_;
  // The background source, and the background last computed from it for
  // the rectangle background_rect_.
  wxBitmap background_[2];
  wxRect background_rect_;
  DhWordButtonBgMode background_mode_;
  wxString text_;
  int text_x_;

 private:
  wxDECLARE_DYNAMIC_CLASS(DhWordButton);
  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(DhWordButton);
};

#endif
