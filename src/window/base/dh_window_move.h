#ifndef PORTIVA_WINDOW_BASE_DH_WINDOW_MOVE_H
#define PORTIVA_WINDOW_BASE_DH_WINDOW_MOVE_H

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

// Moving a window by dragging another (or itself) with the left button.
// The source receives the mouse events and holds the capture during the
// drag; the target is the window that moves.
class DhWindowMove {
 public:
  virtual ~DhWindowMove() {}

  // Starts a drag; offset receives the pointer's screen position minus
  // the target's position.
  static void CallOnLeftDown2(wxWindow* target, wxWindow* source,
                              const wxMouseEvent& event, wxPoint& offset);
  static void CallOnMotion2(wxWindow* target, wxWindow* source,
                            const wxMouseEvent& event, const wxPoint& offset);
  static void CallOnLeftUp2(wxWindow* target, wxWindow* source,
                            const wxMouseEvent& event, const wxPoint& offset);
};

#endif
