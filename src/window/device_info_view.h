#ifndef PORTIVA_WINDOW_DEVICE_INFO_VIEW_H
#define PORTIVA_WINDOW_DEVICE_INFO_VIEW_H

#include <plist/plist.h>
#include <wx/string.h>

#include <vector>

#include "window/theme_panel.h"

class wxBitmap;
class wxGenericStaticBitmap;
class wxStaticText;
class ZLHistogramCtrl;

// The chosen device's picture, name, type, capacity, version, serial
// number, and how its capacity is used.
class DeviceInfoView : public ThemePanel {
 public:
  // Takes ownership of the background.
  DeviceInfoView(wxBitmap* background, wxWindow* parent, wxWindowID id,
                 const wxPoint& pos, const wxSize& size);

  void SetupString();
  void ChangeLanguage();

  // 0 iPad, 1 iPhone, 2 iPod, 3 any other device, by the "Type" text.
  static int GetDeviceType(plist_t info);
  void UpdateDeviceInfo(plist_t info);

  static const int kPartCount = 5;

  // Shortens the device texts to the room their labels got.
  bool Layout() override;

  // For tests and the language change.
  wxStaticText* name_value() const { return name_value_; }
  wxStaticText* type_value() const { return type_value_; }
  wxStaticText* capacity_value() const { return capacity_value_; }
  wxStaticText* version_value() const { return version_value_; }
  wxStaticText* serial_value() const { return serial_value_; }
  wxStaticText* capacity_text() const { return capacity_text_; }
  wxStaticText* part_label(int i) const { return part_labels_[i]; }
  wxStaticText* part_value(int i) const { return part_values_[i]; }
  wxGenericStaticBitmap* part_sample(int i) const { return part_samples_[i]; }
  wxStaticText* type_label() const { return type_label_; }
  ZLHistogramCtrl* histogram() const { return histogram_; }
  wxGenericStaticBitmap* device_picture() const { return device_picture_; }
  int shown_device_type() const { return shown_device_type_; }
  // The whole one-line text of a name, value or legend label, before it
  // was shortened to the label's width.
  wxString whole_text(const wxStaticText* label) const;

 private:
  // A label whose text is kept whole here and shown shortened.
  struct FittedText {
    wxStaticText* label;
    wxString text;
  };

  void SetCapacityUnknown();
  void RepaintBar();
  void SetFittedText(wxStaticText* label, const wxString& text);
  void ShareCapacityRow();
  void FitTexts();

  wxGenericStaticBitmap* device_picture_;
  int shown_device_type_;
  wxStaticText* name_value_;
  wxStaticText* type_label_;
  wxStaticText* type_value_;
  wxStaticText* capacity_label_;
  wxStaticText* capacity_value_;
  wxStaticText* version_label_;
  wxStaticText* version_value_;
  wxStaticText* serial_label_;
  wxStaticText* serial_value_;
  wxStaticText* capacity_text_;
  ZLHistogramCtrl* histogram_;
  wxStaticText* part_labels_[kPartCount];
  wxStaticText* part_values_[kPartCount];
  wxGenericStaticBitmap* part_samples_[kPartCount];
  int sample_width_;
  std::vector<FittedText> fitted_;
};

// Picture of a device type in the device information view.
extern const char* const kDeviceInfoPictures[4];

#endif
