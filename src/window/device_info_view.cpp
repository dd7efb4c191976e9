#include "window/device_info_view.h"

#include <wx/bitmap.h>
#include <wx/gbsizer.h>
#include <wx/generic/statbmpg.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "app/zl_string_helper.h"
#include "common/image_util.h"
#include "device/device_record.h"
#include "window/base/zl_histogram_ctrl.h"

const char* const kDeviceInfoPictures[4] = {
    "image/client/device-info/ipad.png",
    "image/client/device-info/iphone.png",
    "image/client/device-info/ipod.png",
    "image/client/device-info/unknow.png",
};

namespace {

// The five parts of the capacity bar, in drawing order.
struct CapacityPart {
  const char* key;
  const char* label;
  const char* bar_picture;
  const char* sample_picture;
};

const CapacityPart kParts[DeviceInfoView::kPartCount] = {
    {"Audio", wxTRANSLATE("Audio"), "image/client/device-info/percentage_audio.png",
     "image/client/device-info/sample_audio.png"},
    {"Video", wxTRANSLATE("Video"), "image/client/device-info/percentage_video.png",
     "image/client/device-info/sample_video.png"},
    {"Photos", wxTRANSLATE("Photo"), "image/client/device-info/percentage_photo.png",
     "image/client/device-info/sample_photo.png"},
    {"Others", wxTRANSLATE("Others"), "image/client/device-info/percentage_others.png",
     "image/client/device-info/sample_others.png"},
    {"Available", wxTRANSLATE("Available"),
     "image/client/device-info/percentage_available.png",
     "image/client/device-info/sample_available.png"},
};
const int kAvailablePart = 4;

wxBitmap Picture(const char* path) {
  return ImageUtil::GetBitmapResource(path, wxBITMAP_TYPE_PNG);
}

wxFont GuiFont(int size, wxFontWeight weight) {
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  font.SetPointSize(size);
  font.SetWeight(weight);
  return font;
}

wxStaticText* Text(wxWindow* parent, const wxFont& font) {
  wxStaticText* text = new wxStaticText(parent, wxID_ANY, wxEmptyString);
  text->SetFont(font);
  return text;
}

}  // namespace

DeviceInfoView::DeviceInfoView(wxBitmap* background, wxWindow* parent,
                               wxWindowID id, const wxPoint& pos,
                               const wxSize& size)
    : ThemePanel(background, parent, id, pos, size), shown_device_type_(3) {

  wxGridBagSizer* outer = new wxGridBagSizer(0, 0);
  SetSizer(outer);

  // Picture and parameters.
  wxFlexGridSizer* top = new wxFlexGridSizer(1, 2, 0, 0);
  device_picture_ =
      new wxGenericStaticBitmap(this, wxID_ANY, Picture(kDeviceInfoPictures[3]));
  top->Add(device_picture_, 0, wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT | wxRIGHT, 40);

  wxGridBagSizer* params = new wxGridBagSizer(4, 8);
  const wxFont label_font = GuiFont(12, wxFONTWEIGHT_BOLD);
  const wxFont value_font = GuiFont(12, wxFONTWEIGHT_NORMAL);
  name_value_ = Text(this, GuiFont(16, wxFONTWEIGHT_BOLD));
  params->Add(name_value_, wxGBPosition(0, 1), wxDefaultSpan, wxEXPAND);
  wxStaticText** labels[] = {&type_label_, &capacity_label_, &version_label_,
                             &serial_label_};
  wxStaticText** values[] = {&type_value_, &capacity_value_, &version_value_,
                             &serial_value_};
  for (int row = 0; row < 4; ++row) {
    *labels[row] = Text(this, label_font);
    *values[row] = Text(this, value_font);
    params->Add(*labels[row], wxGBPosition(row + 1, 0), wxDefaultSpan,
                wxALIGN_RIGHT);
    params->Add(*values[row], wxGBPosition(row + 1, 1), wxDefaultSpan, wxEXPAND);
  }
  top->Add(params, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 20);
  outer->Add(top, wxGBPosition(0, 0), wxGBSpan(3, 2), wxEXPAND);

  // The capacity bar with its legend.
  wxGridBagSizer* capacity = new wxGridBagSizer(6, 0);
  capacity->Add(1, 1, wxGBPosition(0, 0), wxGBSpan(2, 2));
  capacity->Add(1, 1, wxGBPosition(0, 14), wxGBSpan(2, 2));
  histogram_ = new ZLHistogramCtrl(
      background && background->IsOk() ? new wxBitmap(*background) : nullptr,
      this, wxID_ANY, wxDefaultPosition, wxSize(-1, 28), 3.25);
  for (const CapacityPart& part : kParts)
    histogram_->ZLAppendHistogramPart(
        ImageUtil::GetBitmapResourceP(part.bar_picture, wxBITMAP_TYPE_PNG), 0);
  capacity->Add(histogram_, wxGBPosition(0, 2), wxGBSpan(1, 10),
                wxEXPAND | wxALIGN_CENTER_VERTICAL);
  capacity_text_ = Text(this, wxFont(16, wxFONTFAMILY_ROMAN, wxFONTSTYLE_ITALIC,
                                     wxFONTWEIGHT_BOLD));
  capacity_text_->SetForegroundColour(wxColour(254, 118, 118));
  capacity->Add(capacity_text_, wxGBPosition(0, 12), wxGBSpan(1, 2),
                wxALIGN_CENTER | wxLEFT, 10);
  for (int i = 0; i < kPartCount; ++i) {
    wxBoxSizer* item = new wxBoxSizer(wxHORIZONTAL);
    item->Add(new wxGenericStaticBitmap(this, wxID_ANY,
                                        Picture(kParts[i].sample_picture)),
              0, wxRIGHT, 5);
    wxBoxSizer* texts = new wxBoxSizer(wxVERTICAL);
    part_labels_[i] = Text(this, wxFont(12, wxFONTFAMILY_ROMAN,
                                        wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
    part_values_[i] = Text(this, wxFont(11, wxFONTFAMILY_ROMAN,
                                        wxFONTSTYLE_ITALIC, wxFONTWEIGHT_NORMAL));
    texts->Add(part_labels_[i]);
    texts->Add(part_values_[i]);
    item->Add(texts);
    capacity->Add(item, wxGBPosition(1, 2 + 2 * i), wxGBSpan(1, 2),
                  wxALIGN_CENTER);
  }
  for (int col : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15})
    capacity->AddGrowableCol(col);
  capacity->AddGrowableRow(1);
  outer->Add(capacity, wxGBPosition(3, 0), wxGBSpan(1, 2), wxEXPAND);

  for (int col = 0; col < 2; ++col) outer->AddGrowableCol(col);
  for (int row = 0; row < 4; ++row) outer->AddGrowableRow(row);
  SetupString();
}


void DeviceInfoView::SetupString() {
  type_label_->SetLabel(_("Type: "));
  capacity_label_->SetLabel(_("Capacity: "));
  version_label_->SetLabel(_("Version: "));
  serial_label_->SetLabel(_("Serial number: "));
  for (int i = 0; i < kPartCount; ++i)
    part_labels_[i]->SetLabel(wxGetTranslation(kParts[i].label));
  Layout();
}

void DeviceInfoView::ChangeLanguage() {
  SetupString();
  Refresh(true);
  Update();
}

int DeviceInfoView::GetDeviceType(plist_t info) {
  wxString type = record::String(info, "Type");
  if (type.Contains("iPad")) return 0;
  if (type.Contains("iPhone")) return 1;
  if (type.Contains("iPod")) return 2;
  return 3;
}

void DeviceInfoView::SetCapacityUnknown() {
  capacity_value_->SetLabel(_("unknown"));
  capacity_text_->SetLabel(_("unknown"));
}

void DeviceInfoView::RepaintBar() {
  histogram_->Refresh(true);
  histogram_->Update();
}

void DeviceInfoView::UpdateDeviceInfo(plist_t info) {
  if (!info) {
    SetCapacityUnknown();
    Layout();
    return;
  }
  shown_device_type_ = GetDeviceType(info);
  device_picture_->SetBitmap(Picture(kDeviceInfoPictures[shown_device_type_]));
  name_value_->SetLabel(record::String(info, "DeviceName"));
  type_value_->SetLabel(record::String(info, "Type"));

  uint64_t total = 0;
  if (record::Has(info, "Catacity")) {
    total = record::UInt(info, "Catacity");
    wxString text = ZLStringHelper::GetCapacityFromBytes(total);
    capacity_value_->SetLabel(text);
    capacity_text_->SetLabel(text);
  } else {
    SetCapacityUnknown();
  }
  version_value_->SetLabel(record::String(info, "Version"));
  serial_value_->SetLabel(record::String(info, "SerialNumber"));

  for (int i = 0; i < kAvailablePart; ++i) {
    uint64_t bytes = record::UInt(info, kParts[i].key);
    part_values_[i]->SetLabel(ZLStringHelper::GetCapacityFromBytes(bytes));
    if (total != 0) {
      histogram_->ZLSetHistogramPartRatio(
          i, static_cast<double>(bytes) / static_cast<double>(total));
      RepaintBar();
    }
  }
  if (record::Has(info, "Available") && total != 0) {
    uint64_t bytes = record::UInt(info, "Available");
    part_values_[kAvailablePart]->SetLabel(
        ZLStringHelper::GetCapacityFromBytes(bytes));
    histogram_->ZLSetHistogramPartRatio(
        kAvailablePart, static_cast<double>(bytes) / static_cast<double>(total));
    RepaintBar();
  } else {
    SetCapacityUnknown();
  }
  Layout();
}
