#include "device/communication.h"

plist_t DeviceService::GetDeviceList() { return service_->GetDeviceList(); }

Device* DeviceService::CreateDevice(const char* value, const char* type) {
  PodDevice* handle = service_->CreateDevice(value, type);
  if (!handle) return nullptr;
  return new Device(handle);
}

void DeviceService::FreeDevice(Device* device) {
  if (!device) return;
  service_->FreeDevice(device->handle());
  delete device;
}

int Device::Init(const char* work_directory) {
  return handle_->Init(handle_, work_directory);
}

plist_t Device::GetInfo() { return handle_->GetInfo(handle_); }

int Device::ExportFile(const char* device_path, const char* local_path,
                       PodExportCallback callback) {
  return handle_->ExportFile(handle_, device_path, local_path, callback);
}

int Device::ExportDirectory(const char* device_path,
                            const char* local_directory) {
  return handle_->ExportDirectory(handle_, device_path, local_directory);
}

#define PORTIVA_DEVICE_LIST(name)                            \
  plist_t Device::name(unsigned int a, unsigned int b) {     \
    return handle_->name(handle_, a, b);                     \
  }
PORTIVA_DEVICE_LIST(GetMusicList)
PORTIVA_DEVICE_LIST(GetPlaylistList)
PORTIVA_DEVICE_LIST(GetMovieList)
PORTIVA_DEVICE_LIST(GetPodcastList)
PORTIVA_DEVICE_LIST(GetTVShowList)
PORTIVA_DEVICE_LIST(GetAudiobookList)
PORTIVA_DEVICE_LIST(GetVoiceMemoList)
PORTIVA_DEVICE_LIST(GetRingtoneList)
PORTIVA_DEVICE_LIST(GetPhotoList)
PORTIVA_DEVICE_LIST(GetBookList)
PORTIVA_DEVICE_LIST(GetCameraRollList)
#undef PORTIVA_DEVICE_LIST
