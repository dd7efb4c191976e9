#ifndef PORTIVA_WINDOW_STATUS_BAR_H
#define PORTIVA_WINDOW_STATUS_BAR_H

#include <wx/custombgwin.h>
#include <wx/panel.h>
#include <wx/stattext.h>

// The dark strip at the bottom of the main frame with one line of text.
class StatusBar : public wxCustomBackgroundWindow<wxPanel> {
 public:
  StatusBar(wxWindow* parent, wxWindowID id, const wxPoint& pos,
            const wxSize& size);

  wxStaticText* status_text() const { return status_text_; }
  // Sets the one line of status text.
  void SetStatusText(const wxString& text);

 private:
  wxStaticText* status_text_;
};

#endif
