#include "window/device_info_view.h"

#include <wx/bitmap.h>
#include <wx/gbsizer.h>
#include <wx/generic/statbmpg.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <vector>

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

// A label that keeps the width the layout gives it, whatever its text, so
// that a long value cannot push its neighbours out of the view.
wxStaticText* Text(wxWindow* parent, const wxFont& font) {
  wxStaticText* text = new wxStaticText(parent, wxID_ANY, wxEmptyString,
                                        wxDefaultPosition, wxDefaultSize,
                                        wxST_NO_AUTORESIZE);
  text->SetFont(font);
  return text;
}

// Width of a value label when nothing else decides it; its column gives it
// the rest of the room.
const int kValueMinWidth = 20;
// A legend keeps at least this much of its label's width, and the capacity
// text at least this much of its own, when the row is short of room.
const int kLegendLabelMaxFloor = 100;
const int kCapacityTextMaxFloor = 60;
// Room before the capacity text.
const int kCapacityTextGap = 10;
// Room between a legend sample and its texts.
const int kSampleGap = 5;
// Room after each legend item, and at both ends of the capacity row.
const int kLegendGap = 4;
const int kRowEnd = 2;

// Width of the text as the label itself would draw it.
int TextWidth(const wxStaticText* label, const wxString& text) {
  return text.empty() ? 0 : label->GetTextExtent(text).x;
}

// The largest level L for which the items, each taking its natural width
// cut down to L but never below its floor, fit into the room. Short items
// keep their width; the long ones share what is left.
int ShareLevel(const std::vector<int>& natural, const std::vector<int>& floor,
               int room) {
  auto need = [&](int level) {
    long total = 0;
    for (size_t i = 0; i < natural.size(); ++i)
      total += std::max(floor[i], std::min(natural[i], level));
    return total;
  };
  int low = 0;
  int high = 0;
  for (int width : natural) high = std::max(high, width);
  if (need(high) <= room) return high;
  while (low < high) {
    int mid = low + (high - low + 1) / 2;
    if (need(mid) <= room)
      low = mid;
    else
      high = mid - 1;
  }
  return low;
}

}  // namespace

DeviceInfoView::DeviceInfoView(wxBitmap* background, wxWindow* parent,
                               wxWindowID id, const wxPoint& pos,
                               const wxSize& size)
    : ThemePanel(background, parent, id, pos, size),
      shown_device_type_(3),
      sample_width_(0) {

  wxGridBagSizer* outer = new wxGridBagSizer(0, 0);
  SetSizer(outer);

  // Picture and parameters; the values take whatever width is left.
  wxFlexGridSizer* top = new wxFlexGridSizer(1, 2, 0, 0);
  top->AddGrowableCol(1);
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
    *labels[row] = new wxStaticText(this, wxID_ANY, wxEmptyString);
    (*labels[row])->SetFont(label_font);
    *values[row] = Text(this, value_font);
    params->Add(*labels[row], wxGBPosition(row + 1, 0), wxDefaultSpan,
                wxALIGN_RIGHT);
    params->Add(*values[row], wxGBPosition(row + 1, 1), wxDefaultSpan, wxEXPAND);
  }
  for (wxStaticText* value : {name_value_, type_value_, capacity_value_,
                              version_value_, serial_value_}) {
    value->SetMinSize(wxSize(kValueMinWidth, -1));
    fitted_.push_back({value, wxString()});
  }
  params->AddGrowableCol(1);
  top->Add(params, 0, wxEXPAND | wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 20);
  outer->Add(top, wxGBPosition(0, 0), wxGBSpan(3, 2), wxEXPAND);

  // The capacity bar with its legend. The widths of the legend items and
  // of the capacity text are shared out by ShareCapacityRow. No gap between
  // the rows: the toolkit takes a row gap off columns that items span.
  wxGridBagSizer* capacity = new wxGridBagSizer(0, 0);
  // Columns are as narrow as their items: the shares below count on it.
  capacity->SetEmptyCellSize(wxSize(0, 0));
  capacity->Add(kRowEnd, 1, wxGBPosition(0, 0), wxGBSpan(2, 2));
  capacity->Add(kRowEnd, 1, wxGBPosition(0, 14), wxGBSpan(2, 2));
  histogram_ = new ZLHistogramCtrl(
      background && background->IsOk() ? new wxBitmap(*background) : nullptr,
      this, wxID_ANY, wxDefaultPosition, wxSize(-1, 28), 3.25);
  histogram_->SetMinSize(wxSize(1, 28));
  for (const CapacityPart& part : kParts)
    histogram_->ZLAppendHistogramPart(
        ImageUtil::GetBitmapResourceP(part.bar_picture, wxBITMAP_TYPE_PNG), 0);
  capacity->Add(histogram_, wxGBPosition(0, 2), wxGBSpan(1, 10),
                wxEXPAND | wxALIGN_CENTER_VERTICAL);
  capacity_text_ = Text(this, wxFont(16, wxFONTFAMILY_ROMAN, wxFONTSTYLE_ITALIC,
                                     wxFONTWEIGHT_BOLD));
  capacity_text_->SetForegroundColour(wxColour(254, 118, 118));
  fitted_.push_back({capacity_text_, wxString()});
  capacity->Add(capacity_text_, wxGBPosition(0, 12), wxGBSpan(1, 2),
                wxEXPAND | wxALIGN_CENTER_VERTICAL | wxLEFT, kCapacityTextGap);
  for (int i = 0; i < kPartCount; ++i) {
    wxBoxSizer* item = new wxBoxSizer(wxHORIZONTAL);
    wxBitmap sample = Picture(kParts[i].sample_picture);
    if (sample.IsOk()) sample_width_ = std::max(sample_width_, sample.GetWidth());
    part_samples_[i] = new wxGenericStaticBitmap(this, wxID_ANY, sample);
    item->Add(part_samples_[i], 0, wxRIGHT, kSampleGap);
    wxBoxSizer* texts = new wxBoxSizer(wxVERTICAL);
    part_labels_[i] = Text(this, wxFont(12, wxFONTFAMILY_ROMAN,
                                        wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
    part_values_[i] = Text(this, wxFont(11, wxFONTFAMILY_ROMAN,
                                        wxFONTSTYLE_ITALIC, wxFONTWEIGHT_NORMAL));
    fitted_.push_back({part_labels_[i], wxString()});
    fitted_.push_back({part_values_[i], wxString()});
    texts->Add(part_labels_[i], 0, wxEXPAND);
    texts->Add(part_values_[i], 0, wxEXPAND);
    item->Add(texts, 1);
    item->AddSpacer(kLegendGap);
    capacity->Add(item, wxGBPosition(1, 2 + 2 * i), wxGBSpan(1, 2),
                  wxEXPAND | wxALIGN_CENTER_VERTICAL | wxTOP, 6);
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
    SetFittedText(part_labels_[i], wxGetTranslation(kParts[i].label));
  Layout();
}

void DeviceInfoView::SetFittedText(wxStaticText* label, const wxString& text) {
  for (FittedText& fitted : fitted_) {
    if (fitted.label != label) continue;
    fitted.text = ZLStringHelper::MakeOneLine(text, kMaxShownTextLength);
    return;
  }
}

wxString DeviceInfoView::whole_text(const wxStaticText* label) const {
  for (const FittedText& fitted : fitted_)
    if (fitted.label == label) return fitted.text;
  return wxString();
}

// Gives the legend items and the capacity text their natural widths when
// the row has room for them, and otherwise cuts the widest ones down to an
// equal share, never below the width of a legend's own label.
void DeviceInfoView::ShareCapacityRow() {
  std::vector<int> natural;
  std::vector<int> floor;
  const int item_extra = sample_width_ + kSampleGap + kLegendGap;
  for (int i = 0; i < kPartCount; ++i) {
    int label = TextWidth(part_labels_[i], whole_text(part_labels_[i]));
    int value = TextWidth(part_values_[i], whole_text(part_values_[i]));
    natural.push_back(item_extra + std::max(label, value));
    floor.push_back(item_extra + std::min(label, kLegendLabelMaxFloor));
  }
  // The italic capacity text leans past its advance width by a pixel or two.
  const int kItalicSlack = 2;
  int capacity = TextWidth(capacity_text_, whole_text(capacity_text_)) + kItalicSlack;
  natural.push_back(kCapacityTextGap + capacity);
  floor.push_back(kCapacityTextGap + std::min(capacity, kCapacityTextMaxFloor));

  const int room = GetClientSize().x - 2 * kRowEnd;
  const int level = ShareLevel(natural, floor, room);
  for (int i = 0; i < kPartCount; ++i) {
    int width = std::max(floor[i], std::min(natural[i], level)) - item_extra;
    part_labels_[i]->SetMinSize(wxSize(width, -1));
    part_values_[i]->SetMinSize(wxSize(width, -1));
  }
  int width = std::max(floor.back(), std::min(natural.back(), level));
  capacity_text_->SetMinSize(wxSize(width - kCapacityTextGap, -1));
}

void DeviceInfoView::FitTexts() {
  for (const FittedText& fitted : fitted_) {
    wxStaticText* label = fitted.label;
    const wxString shown = ZLStringHelper::ShortenToWidth(
        fitted.text, label->GetSize().x,
        [label](const wxString& text) { return TextWidth(label, text); });
    if (label->GetLabelText() != shown) label->SetLabelText(shown);
    // The whole text is a pointer rest away when it had to be shortened.
    const wxString tip =
        shown == fitted.text
            ? wxString()
            : ZLStringHelper::MakeWrappable(fitted.text, kToolTipRunLength);
    if (label->GetToolTipText() != tip) {
      if (tip.empty())
        label->UnsetToolTip();
      else
        label->SetToolTip(tip);
    }
  }
}

bool DeviceInfoView::Layout() {
  ShareCapacityRow();
  bool done = ThemePanel::Layout();
  FitTexts();
  return done;
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
  SetFittedText(capacity_value_, _("unknown"));
  SetFittedText(capacity_text_, _("unknown"));
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
  SetFittedText(name_value_, record::String(info, "DeviceName"));
  SetFittedText(type_value_, record::String(info, "Type"));

  uint64_t total = 0;
  if (record::Has(info, "Catacity")) {
    total = record::UInt(info, "Catacity");
    wxString text = ZLStringHelper::GetCapacityFromBytes(total);
    SetFittedText(capacity_value_, text);
    SetFittedText(capacity_text_, text);
  } else {
    SetCapacityUnknown();
  }
  SetFittedText(version_value_, record::String(info, "Version"));
  SetFittedText(serial_value_, record::String(info, "SerialNumber"));

  for (int i = 0; i < kAvailablePart; ++i) {
    uint64_t bytes = record::UInt(info, kParts[i].key);
    SetFittedText(part_values_[i], ZLStringHelper::GetCapacityFromBytes(bytes));
    if (total != 0) {
      histogram_->ZLSetHistogramPartRatio(
          i, static_cast<double>(bytes) / static_cast<double>(total));
      RepaintBar();
    }
  }
  if (record::Has(info, "Available") && total != 0) {
    uint64_t bytes = record::UInt(info, "Available");
    SetFittedText(part_values_[kAvailablePart],
                  ZLStringHelper::GetCapacityFromBytes(bytes));
    histogram_->ZLSetHistogramPartRatio(
        kAvailablePart, static_cast<double>(bytes) / static_cast<double>(total));
    RepaintBar();
  } else {
    SetCapacityUnknown();
  }
  Layout();
}
