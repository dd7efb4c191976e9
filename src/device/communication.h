#ifndef PORTIVA_DEVICE_COMMUNICATION_H
#define PORTIVA_DEVICE_COMMUNICATION_H

#include <plist/plist.h>
#include <wx/string.h>

#include <cstdint>

#include "pod_device_service.h"

class Device;

// The device library's service object.
class DeviceService {
 public:
  explicit DeviceService(PodDeviceService* service) : service_(service) {}

  // Array of {"type", "value"} dictionaries; the caller frees it.
  plist_t GetDeviceList();
  // A new wrapper, or null when the library gives no handle.
  Device* CreateDevice(const char* value, const char* type);
  // Releases the handle and deletes the wrapper; null is allowed.
  void FreeDevice(Device* device);

  PodDeviceService* service() const { return service_; }

 private:
  PodDeviceService* service_;
};

// One device handle of the device library.
class Device {
 public:
  explicit Device(PodDevice* handle) : handle_(handle) {}

  int Init(const char* work_directory);
  plist_t GetInfo();
  int ExportFile(const char* device_path, const char* local_path,
                 PodExportCallback callback);
  int ExportDirectory(const char* device_path, const char* local_directory);

  // A list of the device library by its category code (1 to 13; a group
  // code gives its parent list), or null.
  plist_t GetList(int category);

  plist_t GetMusicList(unsigned int a, unsigned int b);
  plist_t GetPlaylistList(unsigned int a, unsigned int b);
  plist_t GetMovieList(unsigned int a, unsigned int b);
  plist_t GetPodcastList(unsigned int a, unsigned int b);
  plist_t GetTVShowList(unsigned int a, unsigned int b);
  plist_t GetAudiobookList(unsigned int a, unsigned int b);
  plist_t GetVoiceMemoList(unsigned int a, unsigned int b);
  plist_t GetRingtoneList(unsigned int a, unsigned int b);
  plist_t GetPhotoList(unsigned int a, unsigned int b);
  plist_t GetBookList(unsigned int a, unsigned int b);
  plist_t GetCameraRollList(unsigned int a, unsigned int b);

  PodDevice* handle() const { return handle_; }

 private:
  PodDevice* handle_;
};

#endif
