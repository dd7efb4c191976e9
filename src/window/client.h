#ifndef PORTIVA_WINDOW_CLIENT_H
#define PORTIVA_WINDOW_CLIENT_H

#include <wx/splitter.h>

// The client area: navigation pane on the left, right pane on the right.
class Client : public wxSplitterWindow {
 public:
  Client(wxWindow* parent, wxWindowID id, const wxPoint& pos,
         const wxSize& size);
};

#endif
