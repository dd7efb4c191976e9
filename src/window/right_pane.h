#ifndef PORTIVA_WINDOW_RIGHT_PANE_H
#define PORTIVA_WINDOW_RIGHT_PANE_H

#include "window/theme_panel.h"

class wxBitmap;
class NoDeviceView;
class DeviceInfoView;
class DeviceContentView;

// What the right pane shows: one of its three views, or the content view
// with one of its sub-views (the sub-view's number plus kFirstContentSubView).
enum RightPaneView {
  kNoDeviceView = 0,
  kDeviceInfoView = 1,
  kDeviceContentView = 2,
  kFirstContentSubView = 3,
  kMediaListView = kFirstContentSubView,  // 3
  kCameraRollIconView,                    // 4
  kCameraRollListView,                    // 5
  kPhotoIconView,                         // 6
  kPhotoListView,                         // 7
};

// Shows exactly one of its three views.
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
