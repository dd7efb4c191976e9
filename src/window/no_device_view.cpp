#include "window/no_device_view.h"

#include <wx/bitmap.h>
#include <wx/generic/statbmpg.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "common/image_util.h"

NoDeviceView::NoDeviceView(wxBitmap* background, wxWindow* parent,
                           wxWindowID id, const wxPoint& pos,
                           const wxSize& size)
    : ThemePanel(background, parent, id, pos, size) {
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);

  sizer->AddSpacer(40);
  title_text_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
  title_text_->SetFont(
      wxFont(30, wxFONTFAMILY_ROMAN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
  sizer->Add(title_text_, 0, wxEXPAND | wxLEFT, 40);
  sizer->AddSpacer(20);
  // Generic bitmaps draw their transparent pixels over our background.
  sizer->Add(new wxGenericStaticBitmap(
                 this, wxID_ANY,
                 ImageUtil::GetBitmapResource(
                     "image/client/getting-started/not_connect.png",
                     wxBITMAP_TYPE_PNG)),
             0, wxEXPAND | wxLEFT, 40);
  sizer->AddSpacer(20);
  hint_text_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
  hint_text_->SetFont(
      wxFont(12, wxFONTFAMILY_ROMAN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
  sizer->Add(hint_text_, 0, wxEXPAND | wxLEFT, 40);
  sizer->AddStretchSpacer(1);
  sizer->Add(new wxGenericStaticBitmap(
                 this, wxID_ANY,
                 ImageUtil::GetBitmapResource(
                     "image/client/getting-started/cable.png",
                     wxBITMAP_TYPE_PNG)),
             0, wxALIGN_RIGHT | wxRIGHT, 25);
  SetupString();
}


void NoDeviceView::SetupString() {
  title_text_->SetLabel(_("Getting Started"));
  hint_text_->SetLabel(
      _("No device detected! Please try to fix it as below:\n\n 1. Please "
        "make sure usbmuxd is installed and running!\n 2. Please connect the "
        "device, unlock it and tap \"Trust\" on it!\n 3. Please press Refresh "
        "to try again!\n"));
  Layout();
}

void NoDeviceView::ChangeLanguage() {
  SetupString();
  Refresh(true);
  Update();
}
