#ifndef PORTIVA_WINDOW_THEME_PANEL_H
#define PORTIVA_WINDOW_THEME_PANEL_H

#include <wx/custombgwin.h>
#include <wx/panel.h>

class wxBitmap;

// A panel that owns the theme picture it paints as its background.
class ThemePanel : public wxCustomBackgroundWindow<wxPanel> {
 public:
  // Takes ownership of the background, which may be null.
  ThemePanel(wxBitmap* background, wxWindow* parent, wxWindowID id,
             const wxPoint& pos, const wxSize& size,
             long style = wxTAB_TRAVERSAL | wxBORDER_NONE);
  ~ThemePanel() override;

  wxBitmap* background() const { return background_; }

 private:
  wxBitmap* background_;
};

#endif
