#include "window/theme_panel.h"

#include <wx/bitmap.h>

ThemePanel::ThemePanel(wxBitmap* background, wxWindow* parent, wxWindowID id,
                       const wxPoint& pos, const wxSize& size, long style)
    : background_(background) {
  Create(parent, id, pos, size, style);
  if (background_ && background_->IsOk()) SetBackgroundBitmap(*background_);
}

ThemePanel::~ThemePanel() { delete background_; }
