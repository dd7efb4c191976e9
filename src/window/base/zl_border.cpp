#include "window/base/zl_border.h"

#include <wx/cursor.h>

#include "window/base/zl_resizable_frame_base.h"

wxIMPLEMENT_DYNAMIC_CLASS(ZLBorder, wxPanel);

wxBEGIN_EVENT_TABLE(ZLBorder, wxPanel)
  EVT_LEFT_DOWN(ZLBorder::OnLeftDown)
  EVT_LEFT_UP(ZLBorder::OnLeftUp)
  EVT_MOUSE_CAPTURE_LOST(ZLBorder::OnMouseCaptureLost)
  EVT_MOTION(ZLBorder::OnMouseMove)
wxEND_EVENT_TABLE()

ZLBorder::ZLBorder()
    : owner_(nullptr), active_(false), kind_(0), anchor_x_(0), anchor_y_(0) {}

ZLBorder::ZLBorder(int kind, wxWindow* parent, int id, const wxPoint& pos,
                   const wxSize& size)
    : ZLBorder() {
  kind_ = kind;
  Create(parent, id, pos, size);
}

bool ZLBorder::Create(wxWindow* parent, int id, const wxPoint& pos,
                      const wxSize& size) {
  if (!wxPanel::Create(parent, id, pos, size, wxTAB_TRAVERSAL | wxBORDER_NONE))
    return false;
  switch (kind_) {
    case kTop:
    case kBottom:
      SetCursor(wxCursor(wxCURSOR_SIZENS));
      break;
    case kLeft:
    case kRight:
      SetCursor(wxCursor(wxCURSOR_SIZEWE));
      break;
    case kTopLeft:
    case kBottomRight:
      SetCursor(wxCursor(wxCURSOR_SIZENWSE));
      break;
    case kTopRight:
    case kBottomLeft:
      SetCursor(wxCursor(wxCURSOR_SIZENESW));
      break;
    default:
      break;
  }
  return true;
}

void ZLBorder::OnLeftDown(wxMouseEvent& event) {
  if (active_ && owner_) {
    if (!HasCapture()) CaptureMouse();
    const wxPoint pos = owner_->GetPosition();
    const wxSize size = owner_->GetSize();
    switch (kind_) {
      case kTopLeft:
      case kTop:
      case kLeft:
        anchor_x_ = pos.x + size.x;
        anchor_y_ = pos.y + size.y;
        break;
      case kTopRight:
        anchor_x_ = pos.x;
        anchor_y_ = pos.y + size.y;
        break;
      case kBottomLeft:
        anchor_x_ = pos.x + size.x;
        anchor_y_ = pos.y;
        break;
      default:
        anchor_x_ = pos.x;
        anchor_y_ = pos.y;
        break;
    }
  }
  event.Skip();
}

void ZLBorder::OnMouseMove(wxMouseEvent& event) {
  if (active_ && owner_ && !owner_->IsMaximized() && event.Dragging() &&
      event.LeftIsDown() && HasCapture()) {
    const wxPoint mouse = ClientToScreen(event.GetPosition());
    const int sx = mouse.x;
    const int sy = mouse.y;
    const int ax = anchor_x_;
    const int ay = anchor_y_;
    const wxSize size = owner_->GetSize();
    const int w = size.x;
    const int h = size.y;
    bool known = true;
    wxRect rect;
    switch (kind_) {
      case kTopLeft:     rect = wxRect(sx, sy, ax - sx, ay - sy); break;
      case kTop:         rect = wxRect(ax - w, sy, w, ay - sy); break;
      case kTopRight:    rect = wxRect(ax, sy, sx - ax, ay - sy); break;
      case kLeft:        rect = wxRect(sx, ay - h, ax - sx, h); break;
      case kRight:       rect = wxRect(ax, ay, sx - ax, h); break;
      case kBottomLeft:  rect = wxRect(sx, ay, ax - sx, sy - ay); break;
      case kBottom:      rect = wxRect(ax, ay, w, sy - ay); break;
      case kBottomRight: rect = wxRect(ax, ay, sx - ax, sy - ay); break;
      default:           known = false; break;
    }
    if (known) owner_->ZLUpdateSize(rect.GetPosition(), rect.GetSize());
  }
  event.Skip();
}

void ZLBorder::OnLeftUp(wxMouseEvent& event) {
  if (HasCapture()) ReleaseMouse();
  event.Skip();
}

void ZLBorder::OnMouseCaptureLost(wxMouseCaptureLostEvent&) {
  if (HasCapture()) ReleaseMouse();
}
