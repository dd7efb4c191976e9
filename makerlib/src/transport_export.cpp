#include "transport_export.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace makerlib {

namespace {

constexpr size_t kChunk = 1 << 20;
// Deeper than any media folder; a link loop on the device ends here.
constexpr int kMaxDepth = 64;

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(); }

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Fills buffer unless the file ends first: the count, or -1.
int64_t ReadChunk(RemoteFile* file, char* buffer, size_t size) {
  size_t filled = 0;
  while (filled < size) {
    const int64_t got = file->Read(buffer + filled, size - filled);
    if (got < 0) return -1;
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(filled);
}

// What one export made, removed again in reverse order when it fails.
class Created {
 public:
  void AddFile(const std::string& path) { entries_.push_back({path, false}); }
  void AddDirectory(const std::string& path) { entries_.push_back({path, true}); }
  void RemoveAll() {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
      if (it->directory)
        rmdir(it->path.c_str());
      else
        unlink(it->path.c_str());
    }
    entries_.clear();
  }

 private:
  struct Entry {
    std::string path;
    bool directory;
  };
  std::vector<Entry> entries_;
};

int CopyFile(Transport* transport, const std::string& device_path, const std::string& local_path,
             PodExportCallback callback, const std::atomic<bool>* stop) {
  if (local_path.empty() || Stopped(stop)) return POD_STATUS_FAILED;
  RemoteEntry entry;
  if (transport->Stat(device_path, &entry) != TransportStatus::kOk || !entry.regular)
    return POD_STATUS_FAILED;
  std::unique_ptr<RemoteFile> file;
  if (transport->Open(device_path, &file) != TransportStatus::kOk || !file)
    return POD_STATUS_FAILED;
  std::unique_ptr<char[]> buffer(new char[kChunk]);

  const int out = open(local_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (out < 0) return POD_STATUS_FAILED;
  const uint64_t total = entry.size;
  uint64_t done = 0;
  bool ok = true;
  for (;;) {
    const int64_t got = ReadChunk(file.get(), buffer.get(), kChunk);
    if (got < 0) {
      ok = false;
      break;
    }
    if (got == 0) break;
    done += static_cast<uint64_t>(got);
    // A file that grew since it was looked at is not the one listed.
    if (done > total || !WriteAll(out, buffer.get(), static_cast<size_t>(got)) || Stopped(stop) ||
        (callback != nullptr && callback(total, done, POD_EXPORT_IN_PROGRESS, nullptr) == -1)) {
      ok = false;
      break;
    }
    if (static_cast<size_t>(got) < kChunk) break;
  }
  if (ok && done != total) ok = false;
  if (close(out) != 0) ok = false;
  if (!ok) {
    unlink(local_path.c_str());
    return POD_STATUS_FAILED;
  }
  if (callback != nullptr) callback(total, total, POD_EXPORT_FINISHED, nullptr);  // cannot abort
  return POD_STATUS_OK;
}

// Creates a folder unless one is already there.
bool MakeDirectory(const std::string& path, Created* created) {
  if (mkdir(path.c_str(), 0777) == 0) {
    created->AddDirectory(path);
    return true;
  }
  struct stat st;
  return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A name a device may list that is no single plain component.
bool UsableName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

bool CopyTree(Transport* transport, const std::string& device_path, const std::string& target,
              int depth, const std::atomic<bool>* stop, Created* created) {
  if (depth > kMaxDepth) return false;
  std::vector<std::string> names;
  if (transport->List(device_path, &names) != TransportStatus::kOk) return false;
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (Stopped(stop)) return false;
    if (!UsableName(name)) continue;
    const std::string child = device_path == "/" ? "/" + name : device_path + "/" + name;
    const std::string child_target = target + "/" + name;
    RemoteEntry entry;
    const TransportStatus status = transport->Stat(child, &entry);
    // Gone since it was listed, or a dangling link: nothing to copy.
    if (status == TransportStatus::kNotFound) continue;
    if (status != TransportStatus::kOk) return false;
    if (entry.directory) {
      if (!MakeDirectory(child_target, created) ||
          !CopyTree(transport, child, child_target, depth + 1, stop, created))
        return false;
    } else if (entry.regular) {
      if (CopyFile(transport, child, child_target, nullptr, stop) != POD_STATUS_OK) return false;
      created->AddFile(child_target);
    }
    // Anything else is no media and is passed over.
  }
  return true;
}

}  // namespace

int ExportRemoteFile(Transport* transport, const std::string& device_path,
                     const std::string& local_path, PodExportCallback callback,
                     const std::atomic<bool>* stop) {
  try {
    if (transport == nullptr) return POD_STATUS_FAILED;
    return CopyFile(transport, device_path, local_path, callback, stop);
  } catch (...) {
    return POD_STATUS_FAILED;
  }
}

int ExportRemoteDirectory(Transport* transport, const std::string& device_path,
                          const std::string& local_directory, const std::atomic<bool>* stop) {
  Created created;
  try {
    if (transport == nullptr || local_directory.empty() || Stopped(stop)) return POD_STATUS_FAILED;
    RemoteEntry entry;
    if (transport->Stat(device_path, &entry) != TransportStatus::kOk || !entry.directory)
      return POD_STATUS_FAILED;
    std::string source = device_path;
    while (source.size() > 1 && source.back() == '/') source.pop_back();
    std::string target = local_directory;
    while (target.size() > 1 && target.back() == '/') target.pop_back();
    if (!MakeDirectory(target, &created) ||
        !CopyTree(transport, source, target, 0, stop, &created)) {
      created.RemoveAll();
      return POD_STATUS_FAILED;
    }
    return POD_STATUS_OK;
  } catch (...) {
    created.RemoveAll();
    return POD_STATUS_FAILED;
  }
}

}  // namespace makerlib
