#ifndef PORTIVA_WINDOW_DEVICE_CONTENT_VIEW_H
#define PORTIVA_WINDOW_DEVICE_CONTENT_VIEW_H

#include "window/theme_panel.h"

class wxBitmap;

// The content view's sub-views.
enum ContentSubView {
  kContentMediaList = 0,  // the media list with its filters
  kContentCameraRollIcons = 1,
  kContentCameraRollList = 2,
  kContentPhotoIcons = 3,
  kContentPhotoList = 4,
};

// The content view of the right pane. It shows one of its five sub-views.
class DeviceContentView : public ThemePanel {
 public:
  // Takes ownership of the background.
  DeviceContentView(wxBitmap* background, wxWindow* parent, wxWindowID id,
                    const wxPoint& pos, const wxSize& size);

  void ZLShowView(int view);
  bool ZLIsShown(int view) const;

  static const int kSubViewCount = 5;

 private:
  wxWindow* sub_views_[kSubViewCount];
};

#endif
