#include "window/public_list_view_copy.h"

#include <glib.h>

#include "app/zl_string_helper.h"

namespace {

// Lower-cases and encodes in one pass. The Unicode tables fold every
// script whatever locale the process runs in, where the C library's
// towlower folds only ASCII under the "C" locale.
void AppendLowerUtf8(std::string* out, const wxString& text) {
  for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
    uint32_t c = static_cast<uint32_t>(g_unichar_tolower((*it).GetValue()));
    if (c < 0x80) {
      out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out->push_back(static_cast<char>(0xc0 | (c >> 6)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
      out->push_back(static_cast<char>(0xe0 | (c >> 12)));
      out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
      out->push_back(static_cast<char>(0xf0 | (c >> 18)));
      out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3f)));
      out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
  }
}

}  // namespace

std::string LowerUtf8(const wxString& text) {
  std::string out;
  out.reserve(text.length());
  AppendLowerUtf8(&out, text);
  return out;
}

wxString PublicListViewCopyItem::TimeText() const {
  return has_time_and_size ? ZLStringHelper::GetTimeFromMilliseconds(time_ms) : wxString();
}

wxString PublicListViewCopyItem::SizeText() const {
  return has_time_and_size ? ZLStringHelper::GetCapacityFromBytes(size) : wxString();
}

void PublicListViewCopyItem::PrepareSearchKeys() {
  search_key.clear();
  search_key.reserve(title.length() + genre.length() + artist.length() +
                     album.length() + 3);
  AppendLowerUtf8(&search_key, title);
  for (const wxString* field : {&genre, &artist, &album}) {
    search_key.push_back('\0');
    AppendLowerUtf8(&search_key, *field);
  }
  search_key.shrink_to_fit();
  search_keys_ready = true;
}

std::string PublicListViewCopyItem::LoweredField(int index) const {
  size_t begin = 0;
  for (int i = 0; i < index; ++i) {
    begin = search_key.find('\0', begin);
    if (begin == std::string::npos) return std::string();
    ++begin;
  }
  const size_t end = search_key.find('\0', begin);
  return search_key.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

void PublicListViewCopy::Append(PublicListViewCopyItemPtr item) {
  if (!item) return;
  if (!item->search_keys_ready) item->PrepareSearchKeys();
  items_.push_back(std::move(item));
}

bool MatchesSearch(const PublicListViewCopyItem& item, const std::string& lowered) {
  // A NUL in the text could join two fields; no field holds one.
  if (lowered.find('\0') != std::string::npos) return false;
  return item.search_key.find(lowered) != std::string::npos;
}

std::vector<size_t> SearchPublicListViewCopy(const PublicListViewCopy& copy,
                                             const wxString& text) {
  const std::string lowered = LowerUtf8(text);
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

// Whether the item's field (1 genre, 2 artist, 3 album) is the lowered text
// as a whole, read in place from the search key.
bool FieldEquals(const PublicListViewCopyItem& item, int index, const std::string& lowered) {
  const std::string& key = item.search_key;
  size_t begin = 0;
  for (int i = 0; i < index; ++i) {
    begin = key.find('\0', begin);
    if (begin == std::string::npos) return false;
    ++begin;
  }
  size_t end = key.find('\0', begin);
  if (end == std::string::npos) end = key.size();
  return end - begin == lowered.size() &&
         key.compare(begin, lowered.size(), lowered) == 0;
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
  const std::string lowered = LowerUtf8(chosen);
  const int index = field == FilterField::kGenre    ? 1
                    : field == FilterField::kArtist ? 2
                                                    : 3;
  for (size_t i = 0; i < count; ++i)
    if (FieldEquals(copy.Item(i), index, lowered)) found.push_back(i);
  return found;
}
