#ifndef PORTIVA_WINDOW_PUBLIC_LIST_VIEW_COPY_H
#define PORTIVA_WINDOW_PUBLIC_LIST_VIEW_COPY_H

#include <wx/bitmap.h>
#include <wx/list.h>
#include <wx/string.h>

#include <cstdint>

// One row of the media list as it was when the snapshot was taken.
struct PublicListViewCopyItem {
  bool checked = false;
  wxBitmap icon;
  wxString title;
  wxString time_text;
  wxString size_text;
  wxString genre;
  wxString artist;
  wxString album;
  int32_t category = 0;
  uint64_t size = 0;
  wxString path;
  wxString group_name;
};

WX_DECLARE_LIST(PublicListViewCopyItem, PublicListViewCopy);

#endif
