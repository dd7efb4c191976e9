#include "device/communication.h"

#include "app/category_table.h"

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

plist_t Device::GetList(int category) {
  const CategoryInfo* info = FindCategory(category);
  if (!info || !handle_) return nullptr;
  return (handle_->*info->list)(handle_, 0, 0);
}

// Both arguments are always 0 for the device library.
plist_t Device::GetMusicList(unsigned int, unsigned int) { return GetList(kCategoryMusic); }
plist_t Device::GetPlaylistList(unsigned int, unsigned int) { return GetList(kCategoryPlaylists); }
plist_t Device::GetMovieList(unsigned int, unsigned int) { return GetList(kCategoryMovies); }
plist_t Device::GetPodcastList(unsigned int, unsigned int) { return GetList(kCategoryPodcasts); }
plist_t Device::GetTVShowList(unsigned int, unsigned int) { return GetList(kCategoryTVShows); }
plist_t Device::GetAudiobookList(unsigned int, unsigned int) { return GetList(kCategoryAudiobooks); }
plist_t Device::GetVoiceMemoList(unsigned int, unsigned int) { return GetList(kCategoryVoiceMemos); }
plist_t Device::GetRingtoneList(unsigned int, unsigned int) { return GetList(kCategoryRingtones); }
plist_t Device::GetPhotoList(unsigned int, unsigned int) { return GetList(kCategoryPhotos); }
plist_t Device::GetBookList(unsigned int, unsigned int) { return GetList(kCategoryBooks); }
plist_t Device::GetCameraRollList(unsigned int, unsigned int) { return GetList(kCategoryCameraRoll); }
