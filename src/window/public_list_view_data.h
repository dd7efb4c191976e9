#ifndef PORTIVA_WINDOW_PUBLIC_LIST_VIEW_DATA_H
#define PORTIVA_WINDOW_PUBLIC_LIST_VIEW_DATA_H

#include <wx/string.h>

#include <cstdint>

// What the export, the check-mark sums and the snapshot read of a media
// list row.
struct PublicListViewData {
  int32_t category = 0;  // code of the fill operation that made the row
  uint64_t size = 0;     // bytes; 0 for books
  wxString path;         // on the device
  wxString group_name;   // catalog or playlist name, empty otherwise
};

#endif
