#ifndef PORTIVA_WINDOW_BASE_DH_BITMAP_BUTTON_H
#define PORTIVA_WINDOW_BASE_DH_BITMAP_BUTTON_H

#include <wx/bitmap.h>
#include <wx/control.h>
#include <wx/dc.h>

#include "window/base/dh_button_state.h"

// A picture button painted over its own background picture or a plain
// colour. The owner sets the pictures after creation.
class DhBitmapButton : public wxControl {
 public:
  // Mouse states; 3 (released) and 4 (left) look like 0.
  enum {
    kNormal = DhButtonState::kNormal,
    kEntered = DhButtonState::kEntered,
    kDown = DhButtonState::kDown,
    kReleased = DhButtonState::kReleased,
    kLeft = DhButtonState::kLeft,
    kDownAgain = DhButtonState::kDownAgain,
    kDisabled = DhButtonState::kDisabled
  };

  DhBitmapButton();
  DhBitmapButton(wxWindow* parent, int id,
                 const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = 0,
                 const wxValidator& validator = wxDefaultValidator);
  ~DhBitmapButton() override;

  bool Create(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0,
              const wxValidator& validator = wxDefaultValidator);

  // The button takes ownership of the normal, down and enter pictures; the
  // disable picture stays the caller's.
  DhBitmapButton* set_normal_bitmap(wxBitmap* bitmap);
  DhBitmapButton* set_down_bitmap(wxBitmap* bitmap);
  DhBitmapButton* set_enter_bitmap(wxBitmap* bitmap);
  DhBitmapButton* set_disable_bitmap(wxBitmap* bitmap);
  // Painted under the pictures instead of the background colour.
  void set_background(const wxBitmap& background);
  bool SetBackgroundColour(const wxColour& colour) override;

  bool Enable(bool enable = true) override;
  int type() const { return mouse_.state(); }

  virtual void OnEnter(wxMouseEvent& event);
  virtual void OnLeave(wxMouseEvent& event);
  virtual void OnDown(wxMouseEvent& event);
  virtual void OnDClick(wxMouseEvent& event);
  virtual void OnUp(wxMouseEvent& event);
  virtual bool Disable();

 protected:
  wxSize DoGetBestSize() const override;

  void OnPaint(wxPaintEvent& event);
  void DrawBackground(wxDC* dc);
  void DrawExistBitmap(wxDC* dc, wxBitmap* first, wxBitmap* second);

 private:
  wxBitmap* normal_bitmap_;
  wxBitmap* down_bitmap_;
  wxBitmap* enter_bitmap_;
  wxBitmap* disable_bitmap_;
  wxBitmap background_;
  bool has_background_;
  DhButtonState mouse_;

  wxDECLARE_DYNAMIC_CLASS(DhBitmapButton);
  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(DhBitmapButton);
};

#endif
