// Phones and tablets over USB behind the device library's operation table:
// the session gives the values and the AFC transport, the media partition
// gives the lists, read once when the device is opened.
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "afc_transport.h"
#include "device_handle.h"
#include "device_info.h"
#include "ios_session.h"
#include "media_partition.h"
#include "pod_device_service.h"
#include "transport_export.h"

namespace makerlib {

namespace {

// What an opened device serves; replaced whole by the next Init.
struct Opened {
  std::shared_ptr<IosSession> session;
  std::shared_ptr<Transport> transport;
  MediaLists lists;
  plist_t info = nullptr;
  ~Opened() { plist_free(info); }
};

struct UsbHandle : DeviceHandleBase {
  std::string udid;
  std::mutex data_mutex;  // guards opened
  std::shared_ptr<const Opened> opened;
};

void Destroy(DeviceHandleBase* handle) { delete static_cast<UsbHandle*>(handle); }

UsbHandle* UsbOf(const CallScope& scope) { return static_cast<UsbHandle*>(scope.handle()); }

std::shared_ptr<const Opened> OpenedOf(UsbHandle* handle) {
  std::lock_guard<std::mutex> lock(handle->data_mutex);
  return handle->opened;
}

bool UsableDirectory(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode) && access(path, W_OK | X_OK) == 0;
}

int IsConnected(PodDevice* self) {
  try {
    CallScope scope(self);
    if (scope.handle() == nullptr) return 0;
    std::shared_ptr<const Opened> opened = OpenedOf(UsbOf(scope));
    return opened != nullptr && opened->session->StillConnected() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int Init(PodDevice* self, const char* work_directory) {
  try {
    CallScope scope(self);
    UsbHandle* handle = UsbOf(scope);
    if (handle == nullptr) return POD_STATUS_BAD_ARGUMENT;
    {
      // A failed Init leaves the device closed.
      std::lock_guard<std::mutex> lock(handle->data_mutex);
      handle->opened.reset();
    }
    if (work_directory == nullptr || work_directory[0] == '\0') return POD_STATUS_BAD_ARGUMENT;
    auto opened = std::make_shared<Opened>();
    const int status = IosSession::Open(handle->udid, &opened->session);
    if (status != POD_STATUS_OK) return status;
    // The databases are read from copies made there: without it the phone
    // would look as if it held no music and no photo library.
    if (!UsableDirectory(work_directory)) return POD_STATUS_WORK_DIR_UNUSABLE;
    opened->transport = MakeAfcTransport(opened->session);
    const TransportStatus read =
        ReadMediaPartition(opened->transport.get(), work_directory, &opened->lists);
    if (read == TransportStatus::kGone) return POD_STATUS_NO_DEVICE;
    opened->info = MakeInfo(opened->session->values(), SumMediaUsage(opened->lists));
    std::lock_guard<std::mutex> lock(handle->data_mutex);
    handle->opened = std::move(opened);
    return POD_STATUS_OK;
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

// A fresh copy for the caller of a node the device keeps, or null.
plist_t CopyOf(PodDevice* self, plist_t (*pick)(const Opened&)) {
  try {
    CallScope scope(self);
    if (scope.handle() == nullptr) return nullptr;
    std::shared_ptr<const Opened> opened = OpenedOf(UsbOf(scope));
    if (opened == nullptr) return nullptr;
    plist_t node = pick(*opened);
    return node != nullptr ? plist_copy(node) : nullptr;
  } catch (...) {
    return nullptr;
  }
}

plist_t GetInfo(PodDevice* self) {
  return CopyOf(self, [](const Opened& opened) { return opened.info; });
}

template <MediaListKind kKind>
plist_t GetList(PodDevice* self, unsigned int, unsigned int) {
  return CopyOf(self, [](const Opened& opened) { return opened.lists.list[kKind]; });
}

int ExportFile(PodDevice* self, const char* device_path, const char* local_path,
               PodExportCallback callback) {
  try {
    CallScope scope(self);
    UsbHandle* handle = UsbOf(scope);
    if (handle == nullptr || device_path == nullptr || local_path == nullptr ||
        local_path[0] == '\0')
      return POD_STATUS_BAD_ARGUMENT;
    std::shared_ptr<const Opened> opened = OpenedOf(handle);
    if (opened == nullptr) return POD_STATUS_NO_DEVICE;
    return ExportRemoteFile(opened->transport.get(), device_path, local_path, callback,
                            &handle->freed);
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

int ExportDirectory(PodDevice* self, const char* device_path, const char* local_directory) {
  try {
    CallScope scope(self);
    UsbHandle* handle = UsbOf(scope);
    if (handle == nullptr || device_path == nullptr || local_directory == nullptr ||
        local_directory[0] == '\0')
      return POD_STATUS_BAD_ARGUMENT;
    std::shared_ptr<const Opened> opened = OpenedOf(handle);
    if (opened == nullptr) return POD_STATUS_NO_DEVICE;
    return ExportRemoteDirectory(opened->transport.get(), device_path, local_directory,
                                 &handle->freed);
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

uint64_t GetFreeSpace(PodDevice* self) {
  try {
    CallScope scope(self);
    if (scope.handle() == nullptr) return 0;
    std::shared_ptr<const Opened> opened = OpenedOf(UsbOf(scope));
    return opened != nullptr ? opened->session->values().available : 0;
  } catch (...) {
    return 0;
  }
}

template <size_t kIndex>
struct ListAt {
  static plist_t Call(PodDevice* self, unsigned int a, unsigned int b) {
    return GetList<static_cast<MediaListKind>(kIndex)>(self, a, b);
  }
};

const PodDevice kUsbTable = MakeDeviceTable<ListAt>(
    {IsConnected, Init, GetInfo, ExportFile, ExportDirectory, GetFreeSpace});

}  // namespace

void AppendUsbDevices(plist_t array, std::set<std::string>* seen) {
  for (const std::string& udid : ListUsbDevices()) {
    if (!seen->insert(udid).second) continue;
    plist_t entry = plist_new_dict();
    plist_dict_set_item(entry, "type", plist_new_string("usb"));
    plist_dict_set_item(entry, "value", plist_new_string(udid.c_str()));
    plist_array_append_item(array, entry);
  }
}

PodDevice* CreateUsbDevice(const char* udid) {
  auto* handle = new UsbHandle;
  handle->table = kUsbTable;
  handle->destroy = Destroy;
  if (udid != nullptr) handle->udid = udid;
  return &handle->table;
}

}  // namespace makerlib
