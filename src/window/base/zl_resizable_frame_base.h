#ifndef PORTIVA_WINDOW_BASE_ZL_RESIZABLE_FRAME_BASE_H
#define PORTIVA_WINDOW_BASE_ZL_RESIZABLE_FRAME_BASE_H

#include <wx/frame.h>
#include <wx/region.h>

// A borderless frame with rounded corners that is moved and resized by
// skinned chrome (ZLTitleBar, ZLBorder) instead of the window manager.
// Create it with wxBORDER_NONE | wxFRAME_SHAPED: without wxFRAME_SHAPED
// the shape is not applied.
// The region of a rounded rectangle of the size, all or nothing per pixel;
// with round_all_corners false the bottom corners stay square.
wxRegion RoundedRectRegion(const wxSize& size, double radius, bool round_all_corners);

class ZLResizableFrameBase : public wxFrame {
 public:
  ZLResizableFrameBase();
  ZLResizableFrameBase(wxWindow* parent, wxWindowID id, const wxString& title,
                       const wxPoint& pos = wxDefaultPosition,
                       const wxSize& size = wxDefaultSize,
                       long style = wxBORDER_NONE | wxFRAME_SHAPED,
                       const wxString& name = wxFrameNameStr);

  // Shapes the window to a rounded rectangle of its size; unless all
  // corners are rounded, the bottom corners stay square. The values are
  // kept for reshaping on every resize.
  void ZLSetRoundRectShape(bool round_all_corners, double radius);

  // Applied only when the top-left corner lies on the screen and the size
  // lies between the minimum size and the screen size.
  virtual void ZLUpdateSize(const wxPoint& pos, const wxSize& size);
  // Applied only when the top-left corner lies on the screen.
  virtual void ZLUpdatePosition(const wxPoint& pos);
  virtual void OnCloseBoxClicked(wxCommandEvent& event);

  // Maximising is done here, to the display's work area, so that it works
  // whatever the window manager does with an undecorated window (or
  // without one). A maximise done by the window manager is honoured too.
  void Maximize(bool maximize = true) override;
  bool IsMaximized() const override;
  void Restore() override;

  bool round_all_corners() const { return round_all_corners_; }
  double corner_radius() const { return corner_radius_; }

 protected:
  void OnSize(wxSizeEvent& event);

  bool round_all_corners_;
  double corner_radius_;

 private:
  bool maximized_;
  wxRect restore_rect_;

  wxDECLARE_DYNAMIC_CLASS(ZLResizableFrameBase);
  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(ZLResizableFrameBase);
};

#endif
