#ifndef PORTIVA_WINDOW_RIGHT_PANE_H
#define PORTIVA_WINDOW_RIGHT_PANE_H

#include "window/theme_panel.h"

class wxBitmap;
class NoDeviceView;
class DeviceInfoView;
class DeviceContentView;

// Shows exactly one of its three views: 0 no device, 1 device information,
// 2 the content view (3 to 7 pick the content view's sub-view as well).
class RightPane : public ThemePanel {
 public:
  // Takes ownership of the background.
  RightPane(wxBitmap* background, wxWindow* parent, wxWindowID id,
            const wxPoint& pos, const wxSize& size);

  void ZLShowView(int view);
  bool ZLIsShown(int view) const;

 private:
  NoDeviceView* no_device_view_;
  DeviceInfoView* device_info_view_;
  DeviceContentView* device_content_view_;
};

#endif
