#include "window/transfer_frame.h"

TransferFrame::TransferFrame(wxWindow* parent, wxWindowID id,
                             const wxString& title, const wxPoint& pos,
                             const wxSize& size)
    : wxFrame(parent, id, title, pos, size) {}
