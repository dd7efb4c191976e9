#ifndef PORTIVA_WINDOW_NO_DEVICE_VIEW_H
#define PORTIVA_WINDOW_NO_DEVICE_VIEW_H

#include "window/theme_panel.h"

class wxBitmap;
class wxStaticText;

// Tells the user that no device is connected and how to fix that.
class NoDeviceView : public ThemePanel {
 public:
  // Takes ownership of the background.
  NoDeviceView(wxBitmap* background, wxWindow* parent, wxWindowID id,
               const wxPoint& pos, const wxSize& size);

  void SetupString();
  void ChangeLanguage();

  wxStaticText* title_text() const { return title_text_; }
  wxStaticText* hint_text() const { return hint_text_; }

 private:
  wxStaticText* title_text_;
  wxStaticText* hint_text_;
};

#endif
