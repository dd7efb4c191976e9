// Devices the desktop mounted as folders: classic iPods (USB disks that hold
// an iPod database) and phones whose media partition ifuse or gvfs mounted.
// They are devices of type "path", used without Init: each is read the
// first time it is asked for something.
#include <dirent.h>
#include <ftw.h>
#include <plist/plist.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "device_handle.h"
#include "device_info.h"
#include "ipod_database.h"
#include "media_partition.h"
#include "pod_device_service.h"
#include "posix_transport.h"
#include "transport_export.h"

namespace makerlib {

namespace {

// ---- finding them ---------------------------------------------------------------

struct Mounted {
  std::string value;
  std::string folder;  // real path
  bool ipod = false;
};

std::string Environment(const char* name, const std::string& otherwise) {
  const char* value = getenv(name);
  return value != nullptr && value[0] != '\0' ? value : otherwise;
}

// The mount table's escapes ("\040" for a space) undone.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

bool RealFolder(const std::string& path, std::string* real) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return false;
  real->assign(resolved);
  free(resolved);
  struct stat st;
  return stat(real->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A phone's media partition has its music library or its camera roll at
// the top.
bool HoldsMediaPartition(const std::string& folder) {
  return IsFolder(folder + "/iTunes_Control") || IsFolder(folder + "/DCIM");
}

// File systems an iPod is formatted with. Only these are looked into, so
// that a stale network mount cannot hold up the enumeration.
bool IpodFileSystem(const std::string& type) {
  static const char* const kTypes[] = {"vfat", "msdos", "hfsplus", "hfs", "exfat", "fuseblk"};
  for (const char* known : kTypes)
    if (type == known) return true;
  return false;
}

// ifuse's own entries, and plain FUSE ones that older versions leave.
bool PhoneFileSystem(const std::string& type) { return type == "fuse.ifuse" || type == "fuse"; }

void FromMountTable(std::vector<Mounted>* found) {
  std::ifstream table(Environment("PORTIVA_MOUNT_TABLE", "/proc/self/mounts"));
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string source, point, type;
    if (!(fields >> source >> point >> type)) continue;
    const bool ipod = IpodFileSystem(type);
    if (!ipod && !PhoneFileSystem(type)) continue;
    Mounted device;
    device.ipod = ipod;
    if (!RealFolder(Unescape(point), &device.folder)) continue;
    if (ipod) {
      if (!HoldsIpodDatabase(device.folder)) continue;
      device.value = IpodFirewireGuid(device.folder);
    } else if (!HoldsMediaPartition(device.folder)) {
      continue;
    }
    // ifuse tells no UDID; a GUID-less iPod has nothing better either.
    if (device.value.empty()) device.value = device.folder;
    found->push_back(std::move(device));
  }
}

// gvfs mounts each phone's media partition as "afc:host=<UDID>" (other
// parts after a comma name other services of the phone).
void FromGvfs(std::vector<Mounted>* found) {
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  const std::string fallback = runtime != nullptr && runtime[0] != '\0'
                                   ? std::string(runtime) + "/gvfs"
                                   : "/run/user/" + std::to_string(getuid()) + "/gvfs";
  const std::string root = Environment("PORTIVA_GVFS_ROOT", fallback);
  DIR* dir = opendir(root.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (struct dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  const std::string prefix = "afc:host=";
  for (const std::string& name : names) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    std::string udid = name.substr(prefix.size());
    const size_t comma = udid.find(',');
    if (comma != std::string::npos) {
      if (udid.compare(comma, std::string::npos, ",port=1") != 0) continue;
      udid.erase(comma);
    }
    Mounted device;
    if (udid.empty() || !RealFolder(root + "/" + name, &device.folder) ||
        !HoldsMediaPartition(device.folder))
      continue;
    device.value = udid;
    found->push_back(std::move(device));
  }
}

// Read afresh each time: devices come and go, and tests point the two
// places elsewhere.
std::vector<Mounted> FindMounted() {
  std::vector<Mounted> found;
  FromMountTable(&found);
  FromGvfs(&found);
  return found;
}

// ---- serving them ---------------------------------------------------------------

// Which file system a folder is on and which folder it is: a device that
// was unmounted, or replaced by another, no longer matches.
struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
};

bool IdentityOf(const std::string& folder, Identity* identity) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  identity->device = st.st_dev;
  identity->inode = st.st_ino;
  return true;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

// What one device serves, read once.
struct Served {
  std::shared_ptr<PosixTransport> transport;
  std::unique_ptr<IpodLibrary> ipod;  // an iPod's
  MediaLists phone_lists;             // a phone's
  plist_t phone_info = nullptr;
  ~Served() { plist_free(phone_info); }

  const plist_t* lists() const { return ipod != nullptr ? ipod->lists().list : phone_lists.list; }
  plist_t info() const { return ipod != nullptr ? ipod->info() : phone_info; }
};

struct MountedHandle : DeviceHandleBase {
  Mounted device;
  Identity identity;
  std::string work_folder;  // a phone's database copies; made and removed here
  std::mutex data_mutex;    // guards tried and served
  bool tried = false;
  std::shared_ptr<const Served> served;
  ~MountedHandle() {
    if (!work_folder.empty()) nftw(work_folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
};

void Destroy(DeviceHandleBase* handle) { delete static_cast<MountedHandle*>(handle); }

MountedHandle* MountedOf(const CallScope& scope) {
  return static_cast<MountedHandle*>(scope.handle());
}

bool StillMounted(const MountedHandle& handle) {
  Identity now;
  return IdentityOf(handle.device.folder, &now) && now.device == handle.identity.device &&
         now.inode == handle.identity.inode;
}

std::string MakeWorkFolder() {
  std::string pattern = Environment("TMPDIR", "/tmp") + "/portiva-mounted-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  return mkdtemp(name.data()) != nullptr ? std::string(name.data()) : std::string();
}

std::shared_ptr<const Served> Load(MountedHandle* handle) {
  auto served = std::make_shared<Served>();
  served->transport = std::make_shared<PosixTransport>(handle->device.folder);
  if (handle->device.ipod) {
    served->ipod = IpodLibrary::Read(handle->device.folder, served->transport.get());
    if (served->ipod == nullptr) return nullptr;
    return served;
  }
  if (handle->work_folder.empty()) handle->work_folder = MakeWorkFolder();
  if (ReadMediaPartition(served->transport.get(), handle->work_folder, &served->phone_lists) !=
      TransportStatus::kOk)
    return nullptr;
  // A mounted partition tells nothing of the phone but its size.
  IosValues values;
  values.product_type = "iOS device";
  struct statvfs fs;
  if (statvfs(handle->device.folder.c_str(), &fs) == 0) {
    values.total_capacity = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize;
    values.available = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
  }
  served->phone_info = MakeInfo(values, SumMediaUsage(served->phone_lists));
  // No name: the program shows its own "Unknown Device".
  plist_dict_remove_item(served->phone_info, "DeviceName");
  return served;
}

// What the device serves, read on first use; null when it cannot be read.
std::shared_ptr<const Served> Current(MountedHandle* handle) {
  std::lock_guard<std::mutex> lock(handle->data_mutex);
  if (!handle->tried) {
    handle->tried = true;
    if (StillMounted(*handle)) handle->served = Load(handle);
  }
  return handle->served;
}

int IsConnected(PodDevice* self) {
  try {
    CallScope scope(self);
    MountedHandle* handle = MountedOf(scope);
    return handle != nullptr && StillMounted(*handle) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Nothing to open: the program never calls it for a "path" device.
int Init(PodDevice* self, const char*) {
  try {
    CallScope scope(self);
    MountedHandle* handle = MountedOf(scope);
    if (handle == nullptr) return POD_STATUS_BAD_ARGUMENT;
    return Current(handle) != nullptr ? POD_STATUS_OK : POD_STATUS_NO_DEVICE;
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

plist_t CopyOf(PodDevice* self, plist_t (*pick)(const Served&)) {
  try {
    CallScope scope(self);
    MountedHandle* handle = MountedOf(scope);
    if (handle == nullptr) return nullptr;
    std::shared_ptr<const Served> served = Current(handle);
    if (served == nullptr) return nullptr;
    plist_t node = pick(*served);
    return node != nullptr ? plist_copy(node) : nullptr;
  } catch (...) {
    return nullptr;
  }
}

plist_t GetInfo(PodDevice* self) {
  return CopyOf(self, [](const Served& served) { return served.info(); });
}

template <MediaListKind kKind>
plist_t GetList(PodDevice* self, unsigned int, unsigned int) {
  return CopyOf(self, [](const Served& served) { return served.lists()[kKind]; });
}

// The device as it is now, for an export: null once it went away.
std::shared_ptr<const Served> ForExport(MountedHandle* handle) {
  std::shared_ptr<const Served> served = Current(handle);
  return served != nullptr && StillMounted(*handle) ? served : nullptr;
}

int ExportFile(PodDevice* self, const char* device_path, const char* local_path,
               PodExportCallback callback) {
  try {
    CallScope scope(self);
    MountedHandle* handle = MountedOf(scope);
    if (handle == nullptr || device_path == nullptr || local_path == nullptr ||
        local_path[0] == '\0')
      return POD_STATUS_BAD_ARGUMENT;
    std::shared_ptr<const Served> served = ForExport(handle);
    if (served == nullptr) return POD_STATUS_NO_DEVICE;
    if (served->ipod != nullptr && served->ipod->IsThumbnailPhoto(device_path))
      return served->ipod->ExportThumbnailPhoto(device_path, local_path, callback, &handle->freed);
    return ExportRemoteFile(served->transport.get(), device_path, local_path, callback,
                            &handle->freed);
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

int ExportDirectory(PodDevice* self, const char* device_path, const char* local_directory) {
  try {
    CallScope scope(self);
    MountedHandle* handle = MountedOf(scope);
    if (handle == nullptr || device_path == nullptr || local_directory == nullptr ||
        local_directory[0] == '\0')
      return POD_STATUS_BAD_ARGUMENT;
    std::shared_ptr<const Served> served = ForExport(handle);
    if (served == nullptr) return POD_STATUS_NO_DEVICE;
    return ExportRemoteDirectory(served->transport.get(), device_path, local_directory,
                                 &handle->freed);
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

uint64_t GetFreeSpace(PodDevice* self) {
  try {
    CallScope scope(self);
    MountedHandle* handle = MountedOf(scope);
    struct statvfs fs;
    if (handle == nullptr || !StillMounted(*handle) ||
        statvfs(handle->device.folder.c_str(), &fs) != 0)
      return 0;
    return static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
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

const PodDevice kMountedTable = MakeDeviceTable<ListAt>(
    {IsConnected, Init, GetInfo, ExportFile, ExportDirectory, GetFreeSpace});

}  // namespace

void AppendMountedDevices(plist_t array, std::set<std::string>* seen) {
  for (const Mounted& device : FindMounted()) {
    if (!seen->insert(device.value).second) continue;
    plist_t entry = plist_new_dict();
    plist_dict_set_item(entry, "type", plist_new_string("path"));
    plist_dict_set_item(entry, "value", plist_new_string(device.value.c_str()));
    plist_array_append_item(array, entry);
  }
}

PodDevice* CreateMountedDevice(const char* value) {
  if (value == nullptr) return nullptr;
  for (Mounted& device : FindMounted()) {
    Identity identity;
    if (device.value != value || !IdentityOf(device.folder, &identity)) continue;
    auto* handle = new MountedHandle;
    handle->table = kMountedTable;
    handle->destroy = Destroy;
    handle->device = std::move(device);
    handle->identity = identity;
    return &handle->table;
  }
  return nullptr;
}

}  // namespace makerlib
