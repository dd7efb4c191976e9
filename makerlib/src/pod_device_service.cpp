// The device library's service: device images first (the demo and the
// tests), then the phones and tablets usbmuxd lists, then what the desktop
// mounted (a phone usbmuxd lists already is not listed again).
#include "pod_device_service.h"

#include <string.h>

#include <set>
#include <string>

#include "device_handle.h"

namespace makerlib {

namespace {

int GetLibraryVersion(PodDevice*) { return 0; }
// The program never writes to a device.
int ImportFile(PodDevice*, const char*, const char*, PodExportCallback) {
  return POD_STATUS_FAILED;
}
int DeleteFile(PodDevice*, const char*) { return POD_STATUS_FAILED; }

constexpr ListOperation PodDevice::*kListSlots[kListOperationCount] = {
    &PodDevice::GetMusicList,     &PodDevice::GetPlaylistList, &PodDevice::GetMovieList,
    &PodDevice::GetPodcastList,   &PodDevice::GetTVShowList,   &PodDevice::GetAudiobookList,
    &PodDevice::GetVoiceMemoList, &PodDevice::GetRingtoneList, &PodDevice::GetPhotoList,
    &PodDevice::GetBookList,      &PodDevice::GetCameraRollList};

}  // namespace

PodDevice MakeDeviceTable(const DeviceOperations& operations,
                          const ListOperation (&lists)[kListOperationCount]) {
  PodDevice table = {};
  table.GetLibraryVersion = GetLibraryVersion;
  table.IsConnected = operations.IsConnected;
  table.Init = operations.Init;
  table.GetInfo = operations.GetInfo;
  table.ExportFile = operations.ExportFile;
  table.ImportFile = ImportFile;
  table.ExportDirectory = operations.ExportDirectory;
  table.DeleteFile = DeleteFile;
  table.GetFreeSpace = operations.GetFreeSpace;
  for (size_t i = 0; i < kListOperationCount; ++i) table.*kListSlots[i] = lists[i];
  return table;
}

void ReleaseHandle(PodDevice* device) {
  if (device == nullptr) return;
  DeviceHandleBase* handle = HandleBaseOf(device);
  bool destroy;
  {
    std::lock_guard<std::mutex> lock(handle->life_mutex);
    handle->freed = true;
    destroy = handle->busy == 0;
  }
  if (destroy) handle->destroy(handle);
}

}  // namespace makerlib

namespace {

plist_t GetDeviceList() {
  plist_t array = nullptr;
  try {
    array = plist_new_array();
    std::set<std::string> seen;
    makerlib::AppendImageDevices(array, &seen);
    makerlib::AppendUsbDevices(array, &seen);
    makerlib::AppendMountedDevices(array, &seen);
    return array;
  } catch (...) {
    return array;
  }
}

// A value no image holds is taken for a mounted device when its type is
// "path", else for a USB device; one that is not connected answers Init
// with "no device".
PodDevice* CreateDevice(const char* value, const char* type) {
  try {
    PodDevice* device = makerlib::CreateImageDevice(value);
    if (device != nullptr) return device;
    if (type != nullptr && strcmp(type, "path") == 0) return makerlib::CreateMountedDevice(value);
    return makerlib::CreateUsbDevice(value);
  } catch (...) {
    return nullptr;
  }
}

void FreeDevice(PodDevice* device) { makerlib::ReleaseHandle(device); }

}  // namespace

extern "C" PodDeviceService* CreatePodDeviceService(void) {
  try {
    return new PodDeviceService{GetDeviceList, CreateDevice, FreeDevice};
  } catch (...) {
    return nullptr;
  }
}

extern "C" void FreePodDeviceService(PodDeviceService* service) {
  delete service;
}
