#ifndef PORTIVA_WINDOW_BASE_ZL_BORDER_H
#define PORTIVA_WINDOW_BASE_ZL_BORDER_H

#include <wx/custombgwin.h>
#include <wx/panel.h>

class ZLResizableFrameBase;

// A thin skinned piece of the window's edge that resizes its owner frame
// when dragged. The owner gives it its tiled background
// (SetBackgroundBitmap), then sets owner_ and active_.
class ZLBorder : public wxCustomBackgroundWindow<wxPanel> {
 public:
  // Kinds, row by row around the window.
  enum {
    kTopLeft = 0,
    kTop = 1,
    kTopRight = 2,
    kLeft = 3,
    kRight = 4,
    kBottomLeft = 5,
    kBottom = 6,
    kBottomRight = 7
  };

  ZLBorder();
  ZLBorder(int kind, wxWindow* parent, int id = wxID_ANY,
           const wxPoint& pos = wxDefaultPosition,
           const wxSize& size = wxDefaultSize);

  bool Create(wxWindow* parent, int id = wxID_ANY,
              const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);

  int kind() const { return kind_; }

  // Not owned. Dragging does nothing until both are set.
  ZLResizableFrameBase* owner_;
  bool active_;

 protected:
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMouseCaptureLost(wxMouseCaptureLostEvent& event);
  void OnMouseMove(wxMouseEvent& event);

 private:
  int kind_;
  // The owner's corner that stays put during the drag.
  int anchor_x_;
  int anchor_y_;

  wxDECLARE_DYNAMIC_CLASS(ZLBorder);
  wxDECLARE_EVENT_TABLE();
  wxDECLARE_NO_COPY_CLASS(ZLBorder);
};

#endif
