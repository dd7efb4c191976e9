#ifndef PORTIVA_DEVICE_DEVICE_CONTEXT_H
#define PORTIVA_DEVICE_DEVICE_CONTEXT_H

#include <plist/plist.h>
#include <wx/string.h>

class Device;

// One opened device. The record never frees its device or nodes: the next
// detection does (copies of it live in the device selection box).
struct DeviceContext {
  bool valid = false;
  Device* device = nullptr;
  wxString id;
  wxString type;
  wxString name;
  plist_t info = nullptr;
  plist_t music_list = nullptr;
  plist_t movie_list = nullptr;
  plist_t tv_show_list = nullptr;
  plist_t podcast_list = nullptr;
  plist_t audiobook_list = nullptr;
  plist_t book_list = nullptr;
  plist_t ringtone_list = nullptr;
  plist_t playlist_list = nullptr;
  plist_t voice_memo_list = nullptr;
  plist_t camera_roll_list = nullptr;
  plist_t photo_list = nullptr;
};

const int kMaxDeviceCount = 10;

struct CurrentDeviceList {
  DeviceContext device_contexts[kMaxDeviceCount];
  int current_index = 0;
  int device_count = 0;
};

// The device shown, when there is a valid one; the device list lock must be
// held for as long as the result is used.
inline const DeviceContext* CurrentDeviceContext(const CurrentDeviceList& list) {
  if (list.current_index < 0 || list.current_index >= list.device_count) return nullptr;
  const DeviceContext& context = list.device_contexts[list.current_index];
  return context.valid ? &context : nullptr;
}

#endif
