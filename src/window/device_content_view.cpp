#include "window/device_content_view.h"

#include <wx/bitmap.h>
#include <wx/sizer.h>

DeviceContentView::DeviceContentView(wxBitmap* background, wxWindow* parent,
                                     wxWindowID id, const wxPoint& pos,
                                     const wxSize& size)
    : ThemePanel(background, parent, id, pos, size) {
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  for (int i = 0; i < kSubViewCount; ++i) {
    sub_views_[i] = new wxPanel(this, wxID_ANY);
    sizer->Add(sub_views_[i], 1, wxEXPAND);
    sub_views_[i]->Hide();
  }
}


void DeviceContentView::ZLShowView(int view) {
  for (int i = 0; i < kSubViewCount; ++i) sub_views_[i]->Show(i == view);
  Layout();
}

bool DeviceContentView::ZLIsShown(int view) const {
  return view >= 0 && view < kSubViewCount && sub_views_[view]->IsShown();
}
