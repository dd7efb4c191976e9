#ifndef PORTIVA_WINDOW_PUBLIC_LIST_VIEW_COPY_H
#define PORTIVA_WINDOW_PUBLIC_LIST_VIEW_COPY_H

#include <wx/bitmap.h>
#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "window/public_list_view_data.h"

// One row of the media list as it was when the snapshot was taken. Rows of
// the list and items of the snapshot share these, so that a large list is
// held once.
struct PublicListViewCopyItem : PublicListViewData {
  bool checked = false;
  // Books have neither: their time and size show empty.
  bool has_time_and_size = false;
  uint64_t time_ms = 0;
  wxBitmap icon;
  wxString title;
  wxString genre;
  wxString artist;
  wxString album;

  // The shown duration and size, made when a row is drawn: a large list
  // keeps two numbers instead of two texts per row.
  wxString TimeText() const;
  wxString SizeText() const;

  // Lower-cased title, genre, artist and album in UTF-8, joined by NUL
  // bytes, made once for the snapshot so that a keystroke neither
  // lower-cases every row again nor holds four more wide strings per row.
  // A device text never holds a NUL, so no match runs across two fields.
  void PrepareSearchKeys();
  bool search_keys_ready = false;
  std::string search_key;
  // One of the four lowered fields (0 title, 1 genre, 2 artist, 3 album).
  std::string LoweredField(int index) const;
};

// The text lower-cased and in UTF-8, as the search keys hold it.
std::string LowerUtf8(const wxString& text);

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

// Whether the text, lower-cased as LowerUtf8 makes it, occurs in the item's
// title, genre, artist or album; time, size, path and group are not
// searched. Needs the item's search keys.
bool MatchesSearch(const PublicListViewCopyItem& item, const std::string& lowered);

// Positions of the snapshot items that the search text (any case) finds,
// in snapshot order; an empty text finds every item.
std::vector<size_t> SearchPublicListViewCopy(const PublicListViewCopy& copy,
                                             const wxString& text);

// The first row of every filter list; it stands for every row and is never
// translated.
extern const char kAllFilterValue[];

// The snapshot field a filter list compares.
enum class FilterField { kGenre, kArtist, kAlbum };

// A filter list's rows: "(All)" and then each distinct text in the order
// of its first occurrence. Texts are compared exactly, so values differing
// only in case are distinct rows and an empty text is a row too.
class FilterValueCollector {
 public:
  FilterValueCollector();
  void Add(const wxString& text);
  const std::vector<wxString>& values() const { return values_; }

 private:
  std::unordered_set<wxString> seen_;
  std::vector<wxString> values_;
};

// Positions of the snapshot items whose field equals the chosen filter row
// as a whole string in any case, in snapshot order; "(All)" finds every
// item. Needs the items' search keys.
std::vector<size_t> FilterPublicListViewCopy(const PublicListViewCopy& copy,
                                             FilterField field,
                                             const wxString& chosen);

#endif
