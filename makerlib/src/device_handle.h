// What every device handle of the library shares: the operation table the
// caller holds, and the count of calls still running on it, so that a
// device freed by one thread while another still exports from it goes
// only when that call returns.
#ifndef PORTIVA_MAKERLIB_DEVICE_HANDLE_H
#define PORTIVA_MAKERLIB_DEVICE_HANDLE_H

#include <plist/plist.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "pod_device_service.h"

namespace makerlib {

struct DeviceHandleBase {
  PodDevice table;  // first, so that the caller's PodDevice* is the handle
  void (*destroy)(DeviceHandleBase* handle);
  // Guards busy; freed is also read without it by running copies.
  std::mutex life_mutex;
  int busy = 0;
  std::atomic<bool> freed{false};
};

inline DeviceHandleBase* HandleBaseOf(PodDevice* self) {
  return reinterpret_cast<DeviceHandleBase*>(self);
}

// Keeps the handle alive for one call.
class CallScope {
 public:
  explicit CallScope(PodDevice* self) : handle_(self != nullptr ? HandleBaseOf(self) : nullptr) {
    if (handle_ == nullptr) return;
    std::lock_guard<std::mutex> lock(handle_->life_mutex);
    ++handle_->busy;
  }
  ~CallScope() {
    if (handle_ == nullptr) return;
    bool destroy;
    {
      std::lock_guard<std::mutex> lock(handle_->life_mutex);
      --handle_->busy;
      destroy = handle_->freed && handle_->busy == 0;
    }
    if (destroy) handle_->destroy(handle_);
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

  DeviceHandleBase* handle() const { return handle_; }

 private:
  DeviceHandleBase* handle_;
};

// What a backend serves; the table's other slots (the library version,
// importing and deleting, which the program never uses) answer "failed".
struct DeviceOperations {
  int (*IsConnected)(PodDevice* self);
  int (*Init)(PodDevice* self, const char* work_directory);
  plist_t (*GetInfo)(PodDevice* self);
  int (*ExportFile)(PodDevice* self, const char* device_path, const char* local_path,
                    PodExportCallback callback);
  int (*ExportDirectory)(PodDevice* self, const char* device_path, const char* local_directory);
  uint64_t (*GetFreeSpace)(PodDevice* self);
};

using ListOperation = plist_t (*)(PodDevice* self, unsigned int a, unsigned int b);
constexpr size_t kListOperationCount = 11;

// The whole table; lists[i] serves the i-th list operation in the order of
// the table (music, playlists, movies, podcasts, TV shows, audiobooks,
// voice memos, ringtones, photos, books, camera roll).
PodDevice MakeDeviceTable(const DeviceOperations& operations,
                          const ListOperation (&lists)[kListOperationCount]);

// The table of a backend whose list operation i is List<i>.
template <template <size_t> class List, size_t... kIndex>
PodDevice MakeDeviceTable(const DeviceOperations& operations, std::index_sequence<kIndex...>) {
  const ListOperation lists[kListOperationCount] = {&List<kIndex>::Call...};
  return MakeDeviceTable(operations, lists);
}
template <template <size_t> class List>
PodDevice MakeDeviceTable(const DeviceOperations& operations) {
  return MakeDeviceTable<List>(operations, std::make_index_sequence<kListOperationCount>());
}

// Marks the handle freed; it goes now, or when its last running call ends.
void ReleaseHandle(PodDevice* device);

// Device images (IMAGE_FORMAT.md): their entries appended to the
// enumeration, and a handle for one of them; null when no image holds value.
void AppendImageDevices(plist_t array, std::set<std::string>* seen);
PodDevice* CreateImageDevice(const char* value);

// Phones and tablets over USB.
void AppendUsbDevices(plist_t array, std::set<std::string>* seen);
PodDevice* CreateUsbDevice(const char* udid);

// iPods and phones the desktop mounted as folders (type "path"); null when
// nothing mounted now has value.
void AppendMountedDevices(plist_t array, std::set<std::string>* seen);
PodDevice* CreateMountedDevice(const char* value);

}  // namespace makerlib

#endif
