// Device images (IMAGE_FORMAT.md): folders that stand for handhelds, served
// behind the device library's operation table.
#include "pod_device_service.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "device_handle.h"
#include "device_image.h"
#include "file_copy.h"

namespace {

using makerlib::CallScope;
using makerlib::CopyBytes;
using makerlib::CopyOutcome;
using makerlib::CreatedPaths;
using makerlib::ImageSettings;
using makerlib::PlistTree;
using makerlib::SameFile;
using makerlib::Throttle;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  bool Close() {
    if (fd_ < 0) return true;
    int result = close(fd_);
    fd_ = -1;
    return result == 0;
  }

 private:
  int fd_;
};

// What a device serves. The lists, most of a large description, and the
// information are not kept parsed: each call parses its element from the
// open file, so the caller's node is the only parsed copy. The file stays
// open, so a rename over it changes nothing; a change in place is noticed
// and the file read again.
struct Served {
  Fd file;
  std::string path;  // where it was opened
  bool work_copy = false;  // written by Init, not the image's own file
  struct stat identity = {};
  makerlib::Description description;
};

struct DeviceState {
  // Fixed when the handle is created.
  const std::atomic<bool>* freed = nullptr;  // the handle's
  std::string folder;  // real path of the image folder
  std::string identifier;
  bool path_type = false;  // served straight from the image, without Init

  // Guards served; list calls and exports only hold on to what it points at.
  std::mutex data_mutex;
  std::shared_ptr<const Served> served;
};

struct DeviceHandle : makerlib::DeviceHandleBase {
  DeviceState state;
};

void Destroy(makerlib::DeviceHandleBase* handle) {
  delete static_cast<DeviceHandle*>(handle);
}

// The image state of a call's handle, or null.
DeviceState* StateOf(const CallScope& scope) {
  return scope.handle() != nullptr ? &static_cast<DeviceHandle*>(scope.handle())->state : nullptr;
}

// The description in the file at path, as long as it names this device.
std::shared_ptr<const Served> Load(const DeviceState& state,
                                   const std::string& path, bool work_copy) {
  auto served = std::make_shared<Served>();
  served->file.Reset(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  served->path = path;
  served->work_copy = work_copy;
  if (served->file.get() < 0) return nullptr;
  if (work_copy) {
    makerlib::FileText xml;
    if (fstat(served->file.get(), &served->identity) != 0 ||
        !xml.Read(served->file.get()) ||
        !makerlib::ParseDescription(xml.view(), &served->description))
      return nullptr;
  } else if (!makerlib::LookupImage(state.folder, served->file.get(),
                                    &served->description, &served->identity)) {
    return nullptr;
  }
  if (served->description.settings.identifier != state.identifier)
    return nullptr;
  return served;
}

// With data_mutex held: the description to serve now, or null. A "path"
// device is read from the image itself the first time it is used. A file
// changed in place since it was read is read again.
std::shared_ptr<const Served> CurrentLocked(DeviceState* state) {
  if (state->served == nullptr) {
    if (!state->path_type) return nullptr;
    state->served = Load(*state, state->folder + "/device.plist", false);
    return state->served;
  }
  struct stat now;
  if (fstat(state->served->file.get(), &now) != 0 ||
      !SameFile(now, state->served->identity))
    state->served =
        Load(*state, state->served->path, state->served->work_copy);
  return state->served;
}

std::shared_ptr<const Served> Current(DeviceState* state) {
  std::lock_guard<std::mutex> lock(state->data_mutex);
  return CurrentLocked(state);
}

bool SnapshotSettings(DeviceState* state, ImageSettings* settings) {
  std::shared_ptr<const Served> served = Current(state);
  if (served == nullptr) return false;
  *settings = served->description.settings;
  return true;
}

// The text of one element of a served file. A work copy, which nothing else
// writes, is mapped; an image's own file is read, since its owner may cut it
// short in place, and a mapping would then fault.
class ElementText {
 public:
  ElementText() = default;
  ~ElementText() {
    if (map_ != MAP_FAILED) munmap(map_, map_size_);
  }
  ElementText(const ElementText&) = delete;
  ElementText& operator=(const ElementText&) = delete;

  bool Load(const Served& served, makerlib::TextSpan span) {
    if (span.size() == 0 ||
        span.end > static_cast<uint64_t>(served.identity.st_size))
      return false;
    if (served.work_copy) {
      const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
      const size_t offset = span.begin - span.begin % page;
      map_size_ = span.end - offset;
      map_ = mmap(nullptr, map_size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                  served.file.get(), static_cast<off_t>(offset));
      if (map_ == MAP_FAILED) return false;
      data_ = static_cast<const char*>(map_) + (span.begin - offset);
    } else {
      if (!read_.ReadAt(served.file.get(), span.begin, span.size())) return false;
      data_ = read_.view().data();
    }
    size_ = span.size();
    return true;
  }

  const char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void* map_ = MAP_FAILED;
  size_t map_size_ = 0;
  makerlib::FileText read_;
  const char* data_ = nullptr;
  size_t size_ = 0;
};

bool Unchanged(const Served& served) {
  struct stat now;
  return fstat(served.file.get(), &now) == 0 && SameFile(now, served.identity);
}

bool IsFailing(const ImageSettings& settings, const std::string& device_path) {
  return std::find(settings.failing_files.begin(), settings.failing_files.end(),
                   device_path) != settings.failing_files.end();
}

// Copies the first length bytes of the open file in to folder/name through a
// temporary file in the same folder. Returns the copy open for reading, or -1.
int CopyFileReplacing(int in, uint64_t length, const std::string& folder,
                      const std::string& name) {
  std::string temp = folder + "/." + name + ".XXXXXX";
  std::vector<char> temp_name(temp.begin(), temp.end());
  temp_name.push_back('\0');
  int fd = mkostemp(temp_name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  bool ok = CopyBytes(in, fd, length, 0, nullptr, nullptr) == CopyOutcome::kDone;
  fchmod(fd, 0644);
  if (ok && rename(temp_name.data(), (folder + "/" + name).c_str()) != 0)
    ok = false;
  if (!ok) {
    close(fd);
    unlink(temp_name.data());
    return -1;
  }
  return fd;
}

// ---- connection ------------------------------------------------------------

int IsConnected(PodDevice* self) {
  try {
    CallScope scope(self);
    DeviceState* state = StateOf(scope);
    if (state == nullptr) return 0;
    ImageSettings current;
    return makerlib::LookupImage(state->folder, &current) &&
                   current.identifier == state->identifier
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

uint64_t GetFreeSpace(PodDevice*) { return 0; }

// ---- opening ----------------------------------------------------------------

int Init(PodDevice* self, const char* work_directory) {
  try {
    CallScope scope(self);
    DeviceState* state = StateOf(scope);
    if (state == nullptr) return POD_STATUS_BAD_ARGUMENT;
    {
      // A failed Init leaves the device closed.
      std::lock_guard<std::mutex> lock(state->data_mutex);
      state->served.reset();
    }
    Fd image(open((state->folder + "/device.plist").c_str(), O_RDONLY | O_CLOEXEC));
    auto copy = std::make_shared<Served>();
    struct stat image_identity;
    if (image.get() < 0 ||
        !makerlib::LookupImage(state->folder, image.get(), &copy->description,
                               &image_identity) ||
        copy->description.settings.identifier != state->identifier)
      return POD_STATUS_NO_DEVICE;
    const int status = copy->description.settings.init_status;
    if (status != POD_STATUS_OK) return status;
    if (work_directory == nullptr || work_directory[0] == '\0')
      return POD_STATUS_BAD_ARGUMENT;

    // The device is served from this copy, so later changes to the image do
    // not reach it. The description already read belongs to the same bytes.
    const std::string work(work_directory);
    copy->file.Reset(CopyFileReplacing(
        image.get(), static_cast<uint64_t>(image_identity.st_size), work,
        "device.plist"));
    if (copy->file.get() < 0) return POD_STATUS_WORK_DIR_UNUSABLE;
    copy->path = work + "/device.plist";
    copy->work_copy = true;
    std::shared_ptr<const Served> served = copy;
    struct stat after;
    if (fstat(image.get(), &after) != 0 || !SameFile(after, image_identity)) {
      // The image changed while it was copied: the copy is read afresh.
      served = Load(*state, copy->path, true);
      if (served == nullptr) return POD_STATUS_FAILED;
    } else if (fstat(copy->file.get(), &copy->identity) != 0) {
      return POD_STATUS_FAILED;
    }
    std::lock_guard<std::mutex> lock(state->data_mutex);
    state->served = std::move(served);
    return POD_STATUS_OK;
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

// Lists at least this large leave enough of the parser's scratch memory
// behind to be worth handing back to the system.
constexpr size_t kTrimAfterBytes = 1 << 20;

// One element of the served description, parsed afresh for the caller, or
// null. find gives the element's span, or false when there is none.
template <typename FindSpan>
plist_t ParseServed(PodDevice* self, FindSpan find,
                    plist_t (*parse)(const char*, size_t)) {
  try {
    CallScope scope(self);
    DeviceState* state = StateOf(scope);
    if (state == nullptr) return nullptr;
    // A file changed in place while it was parsed is read again once.
    for (int attempt = 0; attempt < 2; ++attempt) {
      std::shared_ptr<const Served> served = Current(state);
      if (served == nullptr) return nullptr;
      makerlib::TextSpan span;
      if (!find(served->description, &span)) return nullptr;
      ElementText text;
      PlistTree node;
      if (text.Load(*served, span)) node.Reset(parse(text.data(), text.size()));
      if (!Unchanged(*served)) continue;
      if (text.size() >= kTrimAfterBytes) malloc_trim(0);
      return node.Release();
    }
    return nullptr;
  } catch (...) {
    return nullptr;
  }
}

plist_t GetInfo(PodDevice* self) {
  return ParseServed(
      self,
      [](const makerlib::Description& description, makerlib::TextSpan* span) {
        *span = description.info;
        return description.has_info;
      },
      makerlib::ParseInfo);
}

plist_t GetList(PodDevice* self, const char* key) {
  return ParseServed(
      self,
      [key](const makerlib::Description& description, makerlib::TextSpan* span) {
        auto list = description.lists.find(key);
        if (list == description.lists.end()) return false;
        *span = list->second;
        return true;
      },
      makerlib::ParseList);
}

// The description's key of each list, in the order of the operation table.
constexpr const char* kListKeys[makerlib::kListOperationCount] = {
    "Music", "Playlists", "Movies", "Podcasts", "TVShows", "Audiobooks",
    "VoiceMemos", "Ringtones", "Photos", "Books", "CameraRoll"};

template <size_t kIndex>
plist_t GetListAt(PodDevice* self, unsigned int, unsigned int) {
  return GetList(self, kListKeys[kIndex]);
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
    if (*state->freed) return false;
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
    DeviceState* state = StateOf(scope);
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
    if (*job.state->freed) return false;
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
    DeviceState* state = StateOf(scope);
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

template <size_t kIndex>
struct ListAt {
  static plist_t Call(PodDevice* self, unsigned int a, unsigned int b) {
    return GetListAt<kIndex>(self, a, b);
  }
};

const PodDevice kDeviceTable = makerlib::MakeDeviceTable<ListAt>(
    {IsConnected, Init, GetInfo, ExportFile, ExportDirectory, GetFreeSpace});

}  // namespace

namespace makerlib {

void AppendImageDevices(plist_t array, std::set<std::string>* seen) {
  for (const std::string& folder : ImageFoldersFromEnvironment()) {
    ImageSettings settings;
    if (!LookupImage(folder, &settings)) continue;
    // One entry per device, even when its folder is listed twice.
    if (!seen->insert(settings.identifier).second) continue;
    plist_t entry = plist_new_dict();
    plist_dict_set_item(entry, "type", plist_new_string(settings.connection_type.c_str()));
    plist_dict_set_item(entry, "value", plist_new_string(settings.identifier.c_str()));
    plist_array_append_item(array, entry);
  }
}

PodDevice* CreateImageDevice(const char* value) {
  if (value == nullptr) return nullptr;
  for (const std::string& folder : ImageFoldersFromEnvironment()) {
    ImageSettings settings;
    if (!LookupImage(folder, &settings) || settings.identifier != value) continue;
    char* real = realpath(folder.c_str(), nullptr);
    if (real == nullptr) continue;
    auto* handle = new DeviceHandle;
    handle->table = kDeviceTable;
    handle->destroy = Destroy;
    DeviceState* state = &handle->state;
    state->freed = &handle->freed;
    state->folder = real;
    free(real);
    state->identifier = settings.identifier;
    state->path_type = settings.connection_type == "path";
    return &handle->table;
  }
  return nullptr;
}

}  // namespace makerlib
