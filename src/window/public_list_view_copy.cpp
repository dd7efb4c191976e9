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
