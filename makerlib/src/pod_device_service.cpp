// Device library serving device images (IMAGE_FORMAT.md) behind the C
// operation tables of pod_device_service.h.
#include "pod_device_service.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "device_image.h"
#include "file_copy.h"

namespace {

using makerlib::CopyBytes;
using makerlib::CopyOutcome;
using makerlib::CreatedPaths;
using makerlib::ImageSettings;
using makerlib::PlistTree;
using makerlib::Throttle;

struct DeviceState {
  // Guards busy; freed is also read without it by running copies.
  std::mutex life_mutex;
  int busy = 0;
  std::atomic<bool> freed{false};

  // Fixed when the handle is created.
  bool bound = false;
  std::string folder;  // real path of the image folder
  std::string identifier;
  bool path_type = false;  // served straight from the image, without Init

  // Guards the served description; exports only take a snapshot of it.
  std::mutex data_mutex;
  bool served = false;
  PlistTree description;
  ImageSettings settings;
};

struct DeviceHandle {
  PodDevice table;  // first, so that the caller's PodDevice* is the handle
  DeviceState* state;
};

DeviceHandle* HandleOf(PodDevice* self) {
  return reinterpret_cast<DeviceHandle*>(self);
}

void Destroy(DeviceHandle* handle) {
  delete handle->state;
  delete handle;
}

// Keeps the handle alive for one call: a device that detection frees while
// an export still runs on another thread is destroyed when that export ends.
class CallScope {
 public:
  explicit CallScope(PodDevice* self)
      : handle_(self != nullptr ? HandleOf(self) : nullptr) {
    if (handle_ == nullptr) return;
    std::lock_guard<std::mutex> lock(handle_->state->life_mutex);
    ++handle_->state->busy;
  }
  ~CallScope() {
    if (handle_ == nullptr) return;
    bool destroy;
    {
      std::lock_guard<std::mutex> lock(handle_->state->life_mutex);
      --handle_->state->busy;
      destroy = handle_->state->freed && handle_->state->busy == 0;
    }
    if (destroy) Destroy(handle_);
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

  DeviceState* state() const {
    return handle_ != nullptr ? handle_->state : nullptr;
  }

 private:
  DeviceHandle* handle_;
};

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return true;
    int result = close(fd_);
    fd_ = -1;
    return result == 0;
  }

 private:
  int fd_;
};

// Reads a description that must still name this device.
bool ReadOwnDescription(const DeviceState& state, const std::string& path,
                        PlistTree* tree, ImageSettings* settings) {
  std::string xml;
  return makerlib::ReadWholeFile(path, &xml) &&
         makerlib::ParseDescription(xml, tree) &&
         makerlib::ExtractSettings(tree->get(), settings) &&
         settings->identifier == state.identifier;
}

// With data_mutex held.
void ServeLocked(DeviceState* state, PlistTree tree, ImageSettings settings) {
  state->description = std::move(tree);
  state->settings = std::move(settings);
  state->served = true;
}

// With data_mutex held. A "path" device is read from the image itself the
// first time it is used.
bool EnsureServedLocked(DeviceState* state) {
  if (state->served) return true;
  if (!state->bound || !state->path_type) return false;
  PlistTree tree;
  ImageSettings settings;
  if (!ReadOwnDescription(*state, state->folder + "/device.plist", &tree,
                          &settings))
    return false;
  ServeLocked(state, std::move(tree), std::move(settings));
  return true;
}

bool SnapshotSettings(DeviceState* state, ImageSettings* settings) {
  std::lock_guard<std::mutex> lock(state->data_mutex);
  if (!EnsureServedLocked(state)) return false;
  *settings = state->settings;
  return true;
}

bool IsFailing(const ImageSettings& settings, const std::string& device_path) {
  return std::find(settings.failing_files.begin(), settings.failing_files.end(),
                   device_path) != settings.failing_files.end();
}

// Writes content to path through a temporary file in the same folder.
bool WriteFileReplacing(const std::string& folder, const std::string& name,
                        const std::string& content) {
  std::string temp = folder + "/." + name + ".XXXXXX";
  std::vector<char> temp_name(temp.begin(), temp.end());
  temp_name.push_back('\0');
  int fd = mkostemp(temp_name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  size_t written = 0;
  while (ok && written < content.size()) {
    ssize_t n = write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      written += static_cast<size_t>(n);
  }
  fchmod(fd, 0644);
  if (close(fd) != 0) ok = false;
  if (ok && rename(temp_name.data(), (folder + "/" + name).c_str()) != 0)
    ok = false;
  if (!ok) unlink(temp_name.data());
  return ok;
}

// ---- unused slots ---------------------------------------------------------

int GetLibraryVersion(PodDevice*) { return 0; }

int IsConnected(PodDevice* self) {
  try {
    CallScope scope(self);
    DeviceState* state = scope.state();
    if (state == nullptr || !state->bound) return 0;
    ImageSettings current;
    return makerlib::LookupImage(state->folder, &current) &&
                   current.identifier == state->identifier
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

int ImportFile(PodDevice*, const char*, const char*, PodExportCallback) {
  return POD_STATUS_FAILED;
}

int DeleteFile(PodDevice*, const char*) { return POD_STATUS_FAILED; }

uint64_t GetFreeSpace(PodDevice*) { return 0; }

// ---- opening ----------------------------------------------------------------

int Init(PodDevice* self, const char* work_directory) {
  try {
    CallScope scope(self);
    DeviceState* state = scope.state();
    if (state == nullptr) return POD_STATUS_BAD_ARGUMENT;
    {
      // A failed Init leaves the device closed.
      std::lock_guard<std::mutex> lock(state->data_mutex);
      state->served = false;
      state->description.Reset();
    }
    if (!state->bound) return POD_STATUS_NO_DEVICE;
    ImageSettings current;
    if (!makerlib::LookupImage(state->folder, &current) ||
        current.identifier != state->identifier)
      return POD_STATUS_NO_DEVICE;
    if (current.init_status != POD_STATUS_OK) return current.init_status;
    if (work_directory == nullptr || work_directory[0] == '\0')
      return POD_STATUS_BAD_ARGUMENT;

    std::string xml;
    if (!makerlib::ReadWholeFile(state->folder + "/device.plist", &xml))
      return POD_STATUS_NO_DEVICE;
    const std::string work(work_directory);
    if (!WriteFileReplacing(work, "device.plist", xml))
      return POD_STATUS_WORK_DIR_UNUSABLE;
    PlistTree tree;
    ImageSettings settings;
    if (!ReadOwnDescription(*state, work + "/device.plist", &tree, &settings))
      return POD_STATUS_FAILED;
    std::lock_guard<std::mutex> lock(state->data_mutex);
    ServeLocked(state, std::move(tree), std::move(settings));
    return POD_STATUS_OK;
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

plist_t GetInfo(PodDevice* self) {
  try {
    CallScope scope(self);
    DeviceState* state = scope.state();
    if (state == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(state->data_mutex);
    if (!EnsureServedLocked(state)) return nullptr;
    plist_t info = plist_dict_get_item(state->description.get(), "Info");
    if (info == nullptr || plist_get_node_type(info) != PLIST_DICT)
      return nullptr;
    return plist_copy(info);
  } catch (...) {
    return nullptr;
  }
}

constexpr const char* kListKeys[] = {
    "Music",     "Playlists",  "Movies",    "Podcasts", "TVShows",   "Audiobooks",
    "VoiceMemos", "Ringtones", "Photos",    "Books",    "CameraRoll"};

template <int kIndex>
plist_t GetList(PodDevice* self, unsigned int, unsigned int) {
  try {
    CallScope scope(self);
    DeviceState* state = scope.state();
    if (state == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(state->data_mutex);
    if (!EnsureServedLocked(state)) return nullptr;
    plist_t lists = plist_dict_get_item(state->description.get(), "Lists");
    if (lists == nullptr || plist_get_node_type(lists) != PLIST_DICT)
      return nullptr;
    plist_t list = plist_dict_get_item(lists, kListKeys[kIndex]);
    if (list == nullptr) return nullptr;
    plist_type type = plist_get_node_type(list);
    if (type != PLIST_DICT && type != PLIST_ARRAY) return nullptr;
    return plist_copy(list);
  } catch (...) {
    return nullptr;
  }
}

// ---- exports ----------------------------------------------------------------

// Copies one regular file to a target that this call creates; the target is
// removed again unless the whole file arrived.
int ExportOne(DeviceState* state, const ImageSettings& settings,
              const std::string& source_real, const std::string& device_path,
              const std::string& target, Throttle* throttle,
              PodExportCallback callback, CreatedPaths* created) {
  Fd in(open(source_real.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (in.get() < 0 || fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
    return POD_STATUS_FAILED;
  Fd out(open(target.c_str(),
              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (out.get() < 0) return POD_STATUS_FAILED;

  CreatedPaths own;
  own.AddFile(target);
  const uint64_t total = static_cast<uint64_t>(st.st_size);
  const bool failing = IsFailing(settings, device_path);
  // A failing file breaks off about half way, as a pulled cable would.
  const uint64_t length = failing ? total / 2 : total;
  auto hook = [&](uint64_t done) {
    if (state->freed) return false;
    if (callback != nullptr &&
        callback(total, done, POD_EXPORT_IN_PROGRESS, nullptr) == -1)
      return false;
    return true;
  };
  CopyOutcome outcome =
      CopyBytes(in.get(), out.get(), length, throttle->ChunkSize(), throttle, hook);
  in.Close();
  bool ok = outcome == CopyOutcome::kDone && !failing;
  if (!out.Close()) ok = false;
  if (!ok) {
    own.RemoveAll();
    return POD_STATUS_FAILED;
  }
  if (created != nullptr) created->AddFile(target);
  if (callback != nullptr)
    callback(total, total, POD_EXPORT_FINISHED, nullptr);  // cannot abort
  return POD_STATUS_OK;
}

int ExportFile(PodDevice* self, const char* device_path, const char* local_path,
               PodExportCallback callback) {
  try {
    CallScope scope(self);
    DeviceState* state = scope.state();
    if (state == nullptr || device_path == nullptr || local_path == nullptr ||
        local_path[0] == '\0')
      return POD_STATUS_BAD_ARGUMENT;
    ImageSettings settings;
    if (!SnapshotSettings(state, &settings)) return POD_STATUS_NO_DEVICE;
    std::string normalised, real;
    if (!makerlib::ResolveDevicePath(state->folder, device_path, &normalised,
                                     &real))
      return POD_STATUS_FAILED;
    Throttle throttle(settings.throttle_bytes_per_second);
    return ExportOne(state, settings, real, normalised, local_path, &throttle,
                     callback, nullptr);
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

struct TreeExport {
  DeviceState* state;
  const ImageSettings* settings;
  std::string files_real;
  Throttle* throttle;
  CreatedPaths* created;
};

// Creates a directory unless one is already there.
bool MakeDirectory(const std::string& path, CreatedPaths* created) {
  if (mkdir(path.c_str(), 0777) == 0) {
    created->AddDirectory(path);
    return true;
  }
  struct stat st;
  return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ExportTree(const TreeExport& job, const std::string& source_real,
                const std::string& device_path, const std::string& target) {
  std::vector<std::string> names;
  DIR* dir = opendir(source_real.c_str());
  if (dir == nullptr) return false;
  while (struct dirent* entry = readdir(dir)) {
    if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
      continue;
    names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());

  for (const std::string& name : names) {
    if (job.state->freed) return false;
    const std::string source = source_real + "/" + name;
    const std::string child_path =
        device_path == "/" ? "/" + name : device_path + "/" + name;
    const std::string child_target = target + "/" + name;
    struct stat st;
    if (lstat(source.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
      if (!MakeDirectory(child_target, job.created) ||
          !ExportTree(job, source, child_path, child_target))
        return false;
    } else if (S_ISREG(st.st_mode)) {
      if (ExportOne(job.state, *job.settings, source, child_path, child_target,
                    job.throttle, nullptr, job.created) != POD_STATUS_OK)
        return false;
    } else if (S_ISLNK(st.st_mode)) {
      // A link to a file inside the image is copied as that file; a link out
      // of the image fails the export. Links to folders are not followed, so
      // a loop cannot make the walk endless.
      char* resolved = realpath(source.c_str(), nullptr);
      if (resolved == nullptr) continue;  // dangling
      std::string real(resolved);
      free(resolved);
      if (!makerlib::IsInside(job.files_real, real)) return false;
      if (stat(real.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
          ExportOne(job.state, *job.settings, real, child_path, child_target,
                    job.throttle, nullptr, job.created) != POD_STATUS_OK)
        return false;
    }
    // Sockets, pipes and device nodes are not media; they are skipped.
  }
  return true;
}

int ExportDirectory(PodDevice* self, const char* device_path,
                    const char* local_directory) {
  try {
    CallScope scope(self);
    DeviceState* state = scope.state();
    if (state == nullptr || device_path == nullptr ||
        local_directory == nullptr || local_directory[0] == '\0')
      return POD_STATUS_BAD_ARGUMENT;
    ImageSettings settings;
    if (!SnapshotSettings(state, &settings)) return POD_STATUS_NO_DEVICE;
    std::string normalised, real, files_real;
    if (!makerlib::ResolveDevicePath(state->folder, device_path, &normalised,
                                     &real) ||
        !makerlib::ResolveDevicePath(state->folder, "/", nullptr, &files_real))
      return POD_STATUS_FAILED;
    struct stat st;
    if (stat(real.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
      return POD_STATUS_FAILED;

    CreatedPaths created;
    Throttle throttle(settings.throttle_bytes_per_second);
    TreeExport job{state, &settings, files_real, &throttle, &created};
    std::string target(local_directory);
    while (target.size() > 1 && target.back() == '/') target.pop_back();
    if (!MakeDirectory(target, &created) ||
        !ExportTree(job, real, normalised, target)) {
      created.RemoveAll();
      return POD_STATUS_FAILED;
    }
    return POD_STATUS_OK;
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

// ---- service ----------------------------------------------------------------

const PodDevice kDeviceTable = {
    GetLibraryVersion, IsConnected,   Init,          GetInfo,
    ExportFile,        ImportFile,    ExportDirectory, DeleteFile,
    GetFreeSpace,      GetList<0>,    GetList<1>,    GetList<2>,
    GetList<3>,        GetList<4>,    GetList<5>,    GetList<6>,
    GetList<7>,        GetList<8>,    GetList<9>,    GetList<10>,
};

plist_t GetDeviceList() {
  plist_t array = nullptr;
  try {
    array = plist_new_array();
    std::set<std::string> seen;
    for (const std::string& folder : makerlib::ImageFoldersFromEnvironment()) {
      ImageSettings settings;
      if (!makerlib::LookupImage(folder, &settings)) continue;
      // One entry per device, even when its folder is listed twice.
      if (!seen.insert(settings.identifier).second) continue;
      plist_t entry = plist_new_dict();
      plist_dict_set_item(entry, "type",
                          plist_new_string(settings.connection_type.c_str()));
      plist_dict_set_item(entry, "value",
                          plist_new_string(settings.identifier.c_str()));
      plist_array_append_item(array, entry);
    }
    return array;
  } catch (...) {
    return array;
  }
}

PodDevice* CreateDevice(const char* value, const char*) {
  DeviceHandle* handle = nullptr;
  try {
    handle = new DeviceHandle{kDeviceTable, nullptr};
    handle->state = new DeviceState();
    if (value == nullptr) return &handle->table;
    for (const std::string& folder : makerlib::ImageFoldersFromEnvironment()) {
      ImageSettings settings;
      if (!makerlib::LookupImage(folder, &settings) ||
          settings.identifier != value)
        continue;
      char* real = realpath(folder.c_str(), nullptr);
      if (real == nullptr) continue;
      DeviceState* state = handle->state;
      state->folder = real;
      free(real);
      state->identifier = settings.identifier;
      state->path_type = settings.connection_type == "path";
      state->bound = true;
      break;
    }
    return &handle->table;
  } catch (...) {
    if (handle != nullptr) {
      delete handle->state;
      delete handle;
    }
    return nullptr;
  }
}

void FreeDevice(PodDevice* device) {
  if (device == nullptr) return;
  DeviceHandle* handle = HandleOf(device);
  bool destroy;
  {
    std::lock_guard<std::mutex> lock(handle->state->life_mutex);
    handle->state->freed = true;
    destroy = handle->state->busy == 0;
  }
  if (destroy) Destroy(handle);
}

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
