#ifndef PORTIVA_WINDOW_BASE_ZL_MENU_BUTTON_H
#define PORTIVA_WINDOW_BASE_ZL_MENU_BUTTON_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/control.h>
#include <wx/menu.h>
#include <wx/validate.h>

// One caption of the skinned menu bar: the caption rendered once over the
// bar's tiled background, in a normal and a current (highlighted) picture.
// Pressing it sends a button event at once, on the press itself.
class ZlMenuButton : public wxControl {
 public:
  // Indexes of background(int).
  enum { kNormal = 0, kCurrent = 1, kDisabled = 2, kPictureCount = 4 };

  // The tile stays the caller's; the menu passes to the button.
  ZlMenuButton(wxMenu* menu, const wxString& caption, wxBitmap* tile,
               wxWindow* parent, int id, const wxColour& normal_colour,
               const wxColour& current_colour,
               const wxPoint& pos = wxDefaultPosition, long style = 0,
               const wxValidator& validator = wxDefaultValidator);
  virtual ~ZlMenuButton();

  bool Enable(bool enable = true) override;
  void MakeActivate();
  void MakeNormal();

  int state() const { return state_; }
  void set_state(int state) { state_ = state; }
  bool auto_change_state() const { return auto_change_state_; }
  void set_auto_change_state(bool value) { auto_change_state_ = value; }
  // Pictures 0 to 2 are owned: setting one deletes the one it replaces.
  wxBitmap* background(int index) const;
  void set_background(int index, wxBitmap* bitmap);
  wxMenu* menu() const { return menu_; }
  // Owned: setting a menu deletes the one it replaces.
  void set_menu(wxMenu* menu);

 protected:
  wxSize DoGetBestSize() const override;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnEnterWindow(wxMouseEvent& event);
  void OnLeaveWindow(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void Repaint();

  int state_;
  bool auto_change_state_;
  wxBitmap* background_[kPictureCount];
  wxMenu* menu_;

  wxDECLARE_CLASS(ZlMenuButton);
  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(ZlMenuButton);
};

#endif
