#include "window/base/dh_window_move.h"

void DhWindowMove::CallOnLeftDown2(wxWindow* target, wxWindow* source,
                                   const wxMouseEvent& event,
                                   wxPoint& offset) {
  if (!target || !source) return;
  if (!source->HasCapture()) source->CaptureMouse();
  offset = source->ClientToScreen(event.GetPosition()) - target->GetPosition();
}

void DhWindowMove::CallOnMotion2(wxWindow* target, wxWindow* source,
                                 const wxMouseEvent& event,
                                 const wxPoint& offset) {
  if (!target || !source) return;
  if (event.GetEventType() != wxEVT_MOTION || !event.LeftIsDown() ||
      !source->HasCapture())
    return;
  target->Move(source->ClientToScreen(event.GetPosition()) - offset);
}

void DhWindowMove::CallOnLeftUp2(wxWindow*, wxWindow* source,
                                 const wxMouseEvent&, const wxPoint&) {
  if (source && source->HasCapture()) source->ReleaseMouse();
}
