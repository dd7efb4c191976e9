#include "window/public_list_view_copy.h"

void PublicListViewCopyItem::PrepareSearchKeys() {
  title_lower = title.Lower();
  genre_lower = genre.Lower();
  artist_lower = artist.Lower();
  album_lower = album.Lower();
  search_keys_ready = true;
}

void PublicListViewCopy::Append(PublicListViewCopyItemPtr item) {
  if (!item) return;
  if (!item->search_keys_ready) item->PrepareSearchKeys();
  items_.push_back(std::move(item));
}

bool MatchesSearch(const PublicListViewCopyItem& item, const wxString& lowered) {
  return item.title_lower.find(lowered) != wxString::npos ||
         item.genre_lower.find(lowered) != wxString::npos ||
         item.artist_lower.find(lowered) != wxString::npos ||
         item.album_lower.find(lowered) != wxString::npos;
}

std::vector<size_t> SearchPublicListViewCopy(const PublicListViewCopy& copy,
                                             const wxString& text) {
  const wxString lowered = text.Lower();
  std::vector<size_t> found;
  const size_t count = copy.GetCount();
  for (size_t i = 0; i < count; ++i) {
    if (MatchesSearch(copy.Item(i), lowered)) found.push_back(i);
  }
  return found;
}

const char kAllFilterValue[] = "(All)";

FilterValueCollector::FilterValueCollector() {
  seen_.insert(kAllFilterValue);
  values_.push_back(kAllFilterValue);
}

void FilterValueCollector::Add(const wxString& text) {
  if (seen_.insert(text).second) values_.push_back(text);
}

namespace {

const wxString& LoweredField(const PublicListViewCopyItem& item, FilterField field) {
  switch (field) {
    case FilterField::kGenre: return item.genre_lower;
    case FilterField::kArtist: return item.artist_lower;
    case FilterField::kAlbum: break;
  }
  return item.album_lower;
}

}  // namespace

std::vector<size_t> FilterPublicListViewCopy(const PublicListViewCopy& copy,
                                             FilterField field,
                                             const wxString& chosen) {
  const size_t count = copy.GetCount();
  std::vector<size_t> found;
  if (chosen == kAllFilterValue) {
    found.resize(count);
    for (size_t i = 0; i < count; ++i) found[i] = i;
    return found;
  }
  const wxString lowered = chosen.Lower();
  for (size_t i = 0; i < count; ++i)
    if (LoweredField(copy.Item(i), field) == lowered) found.push_back(i);
  return found;
}
