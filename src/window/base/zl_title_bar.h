#ifndef PORTIVA_WINDOW_BASE_ZL_TITLE_BAR_H
#define PORTIVA_WINDOW_BASE_ZL_TITLE_BAR_H

#include <wx/bitmap.h>
#include <wx/custombgwin.h>
#include <wx/panel.h>
#include <wx/string.h>

#include "window/base/dh_background_piece.h"

class wxGenericStaticBitmap;
class wxStaticText;
class ZLButton;
class ZLResizableFrameBase;

// The skinned title bar: icon, title text and the minimise, maximise,
// restore and close buttons over a tiled background. Dragging it (or its
// title text) moves the owner frame. The owner sets owner_ and active_
// after construction.
class ZLTitleBar : public wxCustomBackgroundWindow<wxPanel> {
 public:
  // Style bits.
  enum { kShowIcon = 1, kCentreVertically = 2 };
  // Window ids of the buttons.
  enum {
    kCloseBoxId = 10001,
    kMaximizeBoxId = 10002,
    kRestoreBoxId = 10003,
    kMinimizeBoxId = 10004
  };

  ZLTitleBar();
  // Takes ownership of every picture: the background and icon are deleted
  // with the title bar, each button picture with its button. The last
  // eight are kept but not drawn.
  ZLTitleBar(int style, wxBitmap* background, wxBitmap* icon,
             wxBitmap* minimize_normal, wxBitmap* minimize_hover,
             wxBitmap* minimize_pressed, wxBitmap* maximize_normal,
             wxBitmap* maximize_hover, wxBitmap* maximize_pressed,
             wxBitmap* restore_normal, wxBitmap* restore_hover,
             wxBitmap* restore_pressed, wxBitmap* close_normal,
             wxBitmap* close_hover, wxBitmap* close_pressed,
             wxWindow* parent, int id, const wxString& title,
             const wxPoint& pos, const wxSize& size,
             const wxSize& left_margin_top, const wxSize& right_margin_top,
             int icon_gap, int button_gap,
             wxBitmap* minimize_extra1 = nullptr,
             wxBitmap* minimize_extra2 = nullptr,
             wxBitmap* maximize_extra1 = nullptr,
             wxBitmap* maximize_extra2 = nullptr,
             wxBitmap* restore_extra1 = nullptr,
             wxBitmap* restore_extra2 = nullptr,
             wxBitmap* close_extra1 = nullptr,
             wxBitmap* close_extra2 = nullptr);
  ~ZLTitleBar() override;

  bool Create(wxWindow* parent, int id, const wxPoint& pos,
              const wxSize& size);

  // Places the children; does nothing until all six exist.
  void ZLLayoutControl();

  // The owner may change the title text's font and label directly.
  wxStaticText* title_text() const { return title_text_; }
  wxGenericStaticBitmap* icon() const { return icon_; }
  ZLButton* close_button() const { return close_button_; }
  ZLButton* maximize_button() const { return maximize_button_; }
  ZLButton* restore_button() const { return restore_button_; }
  ZLButton* minimize_button() const { return minimize_button_; }
  int style() const { return style_; }

  // Not owned. Dragging and the buttons do nothing until both are set.
  ZLResizableFrameBase* owner_;
  bool active_;

 protected:
  wxSize DoGetBestSize() const override;

  void OnSize(wxSizeEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnLeftDClick(wxMouseEvent& event);
  void OnMouseCaptureLost(wxMouseCaptureLostEvent& event);
  void OnMouseMove(wxMouseEvent& event);
  void OnCloseBoxClicked(wxCommandEvent& event);
  void OnMaximizeBoxClicked(wxCommandEvent& event);
  void OnMinimizeBoxClicked(wxCommandEvent& event);

 private:
  void ToggleMaximized();
  void OnIconEraseBackground(wxEraseEvent& event);

  int style_;
  wxString title_;
  wxBitmap* background_;
  wxBitmap* icon_bitmap_;
  wxBitmap* minimize_bitmap_[3];
  wxBitmap* maximize_bitmap_[3];
  wxBitmap* restore_bitmap_[3];
  wxBitmap* close_bitmap_[3];
  wxBitmap* extra_bitmap_[8];
  // x: left margin of the first child; y: top of the icon and title when
  // not centred.
  wxSize left_margin_top_;
  // x: space right of the close button; y: top of the buttons when not
  // centred.
  wxSize right_margin_top_;
  int icon_gap_;
  int button_gap_;

  wxGenericStaticBitmap* icon_;
  DhBackgroundPiece icon_piece_;
  wxStaticText* title_text_;
  ZLButton* close_button_;
  ZLButton* maximize_button_;
  ZLButton* restore_button_;
  ZLButton* minimize_button_;

  // Pointer's screen position minus the owner's position at drag start.
  int drag_offset_x_;
  int drag_offset_y_;

  wxDECLARE_DYNAMIC_CLASS(ZLTitleBar);
  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(ZLTitleBar);
};

#endif
