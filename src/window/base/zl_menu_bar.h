#ifndef PORTIVA_WINDOW_BASE_ZL_MENU_BAR_H
#define PORTIVA_WINDOW_BASE_ZL_MENU_BAR_H

#include <wx/bitmap.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include <vector>

#include "window/base/zl_menu_button.h"

// A row of menu buttons on a theme picture that behaves like a native menu
// bar: a press opens the button's menu below it, moving the pointer onto
// another button while a menu is open switches to that button's menu, and
// pressing the open menu's own button closes it.
class ZLMenuBar : public wxPanel {
 public:
  ZLMenuBar();
  // The bar owns the background.
  ZLMenuBar(wxBitmap* background, wxWindow* parent, int id,
            const wxPoint& pos = wxDefaultPosition,
            long style = wxTAB_TRAVERSAL | wxBORDER_NONE);
  virtual ~ZLMenuBar();

  // The style argument is not used: the bar is always a borderless panel.
  bool Create(wxBitmap* background, wxWindow* parent, int id,
              const wxPoint& pos = wxDefaultPosition,
              long style = wxTAB_TRAVERSAL | wxBORDER_NONE);

  // Adds a button at (next_x, next_y) and widens the bar to take it. The
  // menu passes to the button.
  void AppendMenuButton(int id, wxMenu* menu, const wxString& caption,
                        const wxColour& normal_colour,
                        const wxColour& current_colour);
  // Removes every button with its menu. While a popup is being tracked the
  // removed buttons are only hidden, and destroyed once the tracking has
  // ended: the open menu and the button whose press runs the tracking must
  // outlive it.
  void ClearAllMenu();

  // Window id of the first button whose area holds the screen point, or -1.
  int PointerTest(const wxPoint& screen_point) const;
  // Returns the state; flips it when it was 0 or 1.
  int InverseState();

  void OnPress(wxCommandEvent& event);
  void TrackPopupMenu(int id);
  // One observation of the pointer while a popup is open.
  void TrackPopupMenuProc(const wxPoint& screen_point);
  // Called by the pointer watch of the open popup.
  static void MessageHookProc();

  wxBitmap* background() const { return background_; }
  // Owned: setting a background deletes the one it replaces.
  void set_background(wxBitmap* background);
  int state() const { return state_; }
  void set_state(int state) { state_ = state; }
  int next_x() const { return next_x_; }
  void set_next_x(int value) { next_x_ = value; }
  int next_y() const { return next_y_; }
  void set_next_y(int value) { next_y_ = value; }
  // True while a popup of this bar is open or about to open the next one.
  bool tracking() const { return tracking_; }

  // The popup being tracked: the button whose menu is open, and what the
  // tracking loop does once it closes (-1 nothing, -2 the pointer was last
  // over the open menu's own button, else the id of the button to open).
  static int current_id() { return current_id_; }
  static int next_id() { return next_id_; }

 protected:
  wxSize DoGetBestSize() const override;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnMenuClose(wxMenuEvent& event);
  ZlMenuButton* FindButton(int id) const;
  void DestroyRetired();
  void InstallHook();
  static void RemoveHook();
  static void CancelPopupMenu();

  std::vector<ZlMenuButton*> buttons_;
  wxBitmap* background_;
  int state_;
  int next_x_;
  int next_y_;
  // True while this bar runs its tracking loop.
  bool tracking_;
  // The button whose menu is open, while tracking.
  ZlMenuButton* open_button_;
  // Buttons cleared while tracking, waiting to be destroyed.
  std::vector<ZlMenuButton*> retired_;

  static ZLMenuBar* menu_bar_;
  // On GTK there is no message filter hook: the "hook" is a short timer
  // that reads the pointer position, and it keeps running inside the
  // popup's own loop.
  static wxTimer* hook_;
  static int current_id_;
  static int next_id_;

  wxDECLARE_DYNAMIC_CLASS(ZLMenuBar);
  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(ZLMenuBar);
};

#endif
