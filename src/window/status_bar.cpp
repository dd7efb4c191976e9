#include "window/status_bar.h"

#include <wx/sizer.h>

StatusBar::StatusBar(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                     const wxSize& size) {
  Create(parent, id, pos, size, wxTAB_TRAVERSAL | wxBORDER_NONE);
  wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(sizer);
  sizer->AddSpacer(10);
  status_text_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
  status_text_->SetFont(
      wxFont(12, wxFONTFAMILY_ROMAN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
  status_text_->SetForegroundColour(*wxWHITE);
  sizer->Add(status_text_, 0, wxALIGN_CENTER_VERTICAL, 0);
}

void StatusBar::SetStatusText(const wxString& text) {
  status_text_->SetLabel(text);
  Layout();
}
