#ifndef PORTIVA_WINDOW_PUBLIC_LIST_VIEW_COPY_H
#define PORTIVA_WINDOW_PUBLIC_LIST_VIEW_COPY_H

#include <wx/bitmap.h>
#include <wx/string.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "window/public_list_view_data.h"

// One row of the media list as it was when the snapshot was taken. Rows of
// the list and items of the snapshot share these, so that a large list is
// held once.
struct PublicListViewCopyItem : PublicListViewData {
  bool checked = false;
  wxBitmap icon;
  wxString title;
  wxString time_text;
  wxString size_text;
  wxString genre;
  wxString artist;
  wxString album;

  // Lower-cased title, genre, artist and album, made once for the snapshot
  // so that a keystroke does not lower-case every row again.
  void PrepareSearchKeys();
  bool search_keys_ready = false;
  wxString title_lower;
  wxString genre_lower;
  wxString artist_lower;
  wxString album_lower;
};

typedef std::shared_ptr<PublicListViewCopyItem> PublicListViewCopyItemPtr;

// The snapshot of the media list: owns its items, reached by position.
class PublicListViewCopy {
 public:
  // Takes ownership. The item's search keys are made here unless it has
  // them already.
  void Append(PublicListViewCopyItem* item) { Append(PublicListViewCopyItemPtr(item)); }
  void Append(PublicListViewCopyItemPtr item);
  void Clear() { items_.clear(); }
  size_t GetCount() const { return items_.size(); }
  bool IsEmpty() const { return items_.empty(); }
  const PublicListViewCopyItem& Item(size_t index) const { return *items_[index]; }
  const PublicListViewCopyItemPtr& Shared(size_t index) const { return items_[index]; }

 private:
  std::vector<PublicListViewCopyItemPtr> items_;
};

// Whether the lower-cased text occurs in the item's title, genre, artist or
// album; time, size, path and group are not searched. Needs the item's
// search keys.
bool MatchesSearch(const PublicListViewCopyItem& item, const wxString& lowered);

// Positions of the snapshot items that the search text (any case) finds,
// in snapshot order; an empty text finds every item.
std::vector<size_t> SearchPublicListViewCopy(const PublicListViewCopy& copy,
                                             const wxString& text);

#endif
