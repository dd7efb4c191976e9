#include "window/right_pane.h"

#include <wx/bitmap.h>
#include <wx/sizer.h>

#include "app/transfer_app.h"
#include "common/image_util.h"
#include "window/device_content_view.h"
#include "window/device_info_view.h"
#include "window/no_device_view.h"

namespace {
const char kClientBackground[] = "image/client/client_bg.png";

wxBitmap* ClientBackground() {
  return ImageUtil::GetBitmapResourceP(kClientBackground, wxBITMAP_TYPE_PNG);
}
}  // namespace

RightPane::RightPane(wxBitmap* background, wxWindow* parent, wxWindowID id,
                     const wxPoint& pos, const wxSize& size)
    : ThemePanel(background, parent, id, pos, size) {
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);

  TransferApp& app = wxGetApp();
  no_device_view_ = new NoDeviceView(ClientBackground(), this, wxID_ANY,
                                     wxDefaultPosition, wxDefaultSize);
  sizer->Add(no_device_view_, 1, wxEXPAND | wxRIGHT, 2);
  no_device_view_->Hide();
  app.no_device_view_ = no_device_view_;

  device_info_view_ = new DeviceInfoView(ClientBackground(), this, wxID_ANY,
                                         wxDefaultPosition, wxDefaultSize);
  sizer->Add(device_info_view_, 1, wxEXPAND | wxRIGHT, 2);
  device_info_view_->Hide();
  app.device_info_view_ = device_info_view_;

  device_content_view_ = new DeviceContentView(
      ClientBackground(), this, wxID_ANY, wxDefaultPosition, wxDefaultSize);
  sizer->Add(device_content_view_, 1, wxEXPAND | wxRIGHT, 2);
  device_content_view_->Hide();
  app.device_content_view_ = device_content_view_;

  sizer->AddSpacer(5);
}


void RightPane::ZLShowView(int view) {
  device_content_view_->Hide();
  device_info_view_->Hide();
  no_device_view_->Hide();
  if (view == kNoDeviceView) {
    no_device_view_->Show();
  } else if (view == kDeviceInfoView) {
    device_info_view_->Show();
  } else if (view >= kDeviceContentView && view <= kPhotoListView) {
    device_content_view_->Show();
    if (view >= kFirstContentSubView)
      device_content_view_->ZLShowView(view - kFirstContentSubView);
  }
  Layout();
}

bool RightPane::ZLIsShown(int view) const {
  if (view == kNoDeviceView) return no_device_view_->IsShown();
  if (view == kDeviceInfoView) return device_info_view_->IsShown();
  if (view == kDeviceContentView) return device_content_view_->IsShown();
  if (view >= kFirstContentSubView && view <= kPhotoListView)
    return device_content_view_->IsShown() &&
           device_content_view_->ZLIsShown(view - kFirstContentSubView);
  return false;
}
