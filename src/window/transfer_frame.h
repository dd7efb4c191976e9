#ifndef PORTIVA_WINDOW_TRANSFER_FRAME_H
#define PORTIVA_WINDOW_TRANSFER_FRAME_H

#include <wx/frame.h>

class TransferFrame : public wxFrame {
 public:
  TransferFrame(wxWindow* parent, wxWindowID id, const wxString& title,
                const wxPoint& pos, const wxSize& size);
};

#endif
