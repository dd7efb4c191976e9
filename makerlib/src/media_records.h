// Builders of the device library's media records, shared by every backend.
#ifndef PORTIVA_MAKERLIB_MEDIA_RECORDS_H
#define PORTIVA_MAKERLIB_MEDIA_RECORDS_H

#include <plist/plist.h>
#include <stdint.h>

#include <memory>
#include <string>

namespace makerlib {

struct Track {
  std::string title, artist, album, genre, path;
  uint64_t size = 0;
  uint64_t time_ms = 0;
};

inline void SetString(plist_t dict, const char* key, const std::string& value) {
  plist_dict_set_item(dict, key, plist_new_string(value.c_str()));
}

inline void SetUint(plist_t dict, const char* key, uint64_t value) {
  plist_dict_set_item(dict, key, plist_new_uint(value));
}

inline plist_t MediaItem(const Track& track) {
  plist_t item = plist_new_dict();
  SetString(item, "title", track.title);
  SetUint(item, "time", track.time_ms);
  SetUint(item, "size", track.size);
  SetString(item, "genre", track.genre);
  SetString(item, "artist", track.artist);
  SetString(item, "album", track.album);
  SetString(item, "path", track.path);
  return item;
}

inline plist_t PictureItem(const std::string& path, const std::string& time, uint64_t size) {
  plist_t item = plist_new_dict();
  SetString(item, "path", path);
  SetString(item, "time", time);
  SetUint(item, "size", size);
  return item;
}

// A voice memo: its display name, and its title (the file's name).
inline plist_t MemoItem(const std::string& name, const Track& track) {
  plist_t item = plist_new_dict();
  SetString(item, "name", name);
  SetString(item, "title", track.title);
  SetUint(item, "time", track.time_ms);
  SetUint(item, "size", track.size);
  SetString(item, "path", track.path);
  return item;
}

// {"item": items, "number": count}; takes items.
inline plist_t FlatList(plist_t items) {
  plist_t list = plist_new_dict();
  const uint32_t count = plist_array_get_size(items);
  plist_dict_set_item(list, "item", items);
  SetUint(list, "number", count);
  return list;
}

// {name_key: name, "number": count, "item": items}; takes items.
inline plist_t Group(const char* name_key, const std::string& name, plist_t items) {
  plist_t group = plist_new_dict();
  const uint32_t count = plist_array_get_size(items);
  SetString(group, name_key, name);
  SetUint(group, "number", count);
  plist_dict_set_item(group, "item", items);
  return group;
}

struct PlistFree {
  void operator()(plist_t node) const {
    if (node != nullptr) plist_free(node);
  }
};
// Owns a node until it is released into a list.
using PlistHolder = std::unique_ptr<void, PlistFree>;

}  // namespace makerlib

#endif
