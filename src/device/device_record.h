#ifndef PORTIVA_DEVICE_DEVICE_RECORD_H
#define PORTIVA_DEVICE_DEVICE_RECORD_H

#include <plist/plist.h>
#include <wx/string.h>

#include <cstdint>

// What a node pointer stands for; carried by tree items, rows and requests.
enum CategoryCode {
  kCategoryDevice = 0,
  kCategoryMusic = 1,
  kCategoryMovies = 2,
  kCategoryTVShows = 3,
  kCategoryPodcasts = 4,
  kCategoryAudiobooks = 5,
  kCategoryBooks = 6,
  kCategoryBookCatalog = 7,
  kCategoryRingtones = 8,
  kCategoryPlaylists = 9,
  kCategoryPlaylist = 10,
  kCategoryVoiceMemos = 11,
  kCategoryCameraRoll = 12,
  kCategoryPhotos = 13,
};

// Readers of the device library's records. None of them frees or keeps a
// node. A null node, a missing key or a value of another kind reads as
// empty text, 0, or no node.
namespace record {

plist_t Get(plist_t dict, const char* key);
bool Has(plist_t dict, const char* key);
wxString String(plist_t dict, const char* key);
uint64_t UInt(plist_t dict, const char* key);
plist_t Dict(plist_t dict, const char* key);
plist_t Array(plist_t dict, const char* key);

// The node's own value, under the same rules. Text is UTF-8: a string with
// a NUL byte inside reads as empty text, and each sequence that is not
// well-formed UTF-8 reads as U+FFFD. Shared by every reader of property-list
// strings, the options file included.
wxString StringValue(plist_t node);

// How the bytes of a string node read, for callers that must tell a clean
// value from a mended or damaged one.
enum class TextState {
  kNotText,   // no node, or not a string: empty text
  kClean,     // well-formed UTF-8 without NUL, as it was
  kReplaced,  // bad sequences read as U+FFFD
  kDamaged,   // a NUL byte inside: empty text
};
TextState ReadText(plist_t node, wxString* text);

uint64_t UIntValue(plist_t node);

uint32_t ArraySize(plist_t array);
plist_t ArrayItem(plist_t array, uint32_t index);

// "item" of a flat list, or of one group.
plist_t Items(plist_t list);
// Count shown for a flat list or a group: its "number", low 32 bits.
uint32_t Number(plist_t list);
// Count shown for Books and Playlists: the number of groups.
uint32_t GroupCount(plist_t grouped_list);
// One group of a grouped list, or null when it is not a dictionary.
plist_t GroupAt(plist_t grouped_list, uint32_t index);

// The last path component without its extension (an initial "." is kept).
wxString PictureName(const wxString& path);
// "name" when it is not empty, otherwise "title".
wxString VoiceMemoName(plist_t memo);

}  // namespace record

#endif
