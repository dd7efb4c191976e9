#ifndef PORTIVA_WINDOW_PICTURE_ICON_VIEW_DATA_H
#define PORTIVA_WINDOW_PICTURE_ICON_VIEW_DATA_H

#include <wx/string.h>

#include <cstdint>

// One picture of the camera roll grid; owned by whoever fills the view.
struct PictureIconViewData {
  bool shown = false;       // its thumbnail has been asked for
  int32_t image_index = 0;  // position in the owner's picture list
  uint64_t size = 0;        // bytes
  wxString name;
  wxString path;            // on the device
  // Its thumbnail was dropped to bound memory; it is made again when it
  // comes back into view.
  bool dropped = false;
  // Its copy in the cache folder is from this fill.
  bool cached = false;
};

#endif
