#include "posix_transport.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace makerlib {

namespace {

class PosixFile : public RemoteFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  int64_t Read(char* buffer, size_t size) override {
    for (;;) {
      const ssize_t n = read(fd_, buffer, size);
      if (n < 0 && errno == EINTR) continue;
      return n < 0 ? -1 : static_cast<int64_t>(n);
    }
  }

 private:
  int fd_;
};

bool RealPath(const std::string& path, std::string* out, int* error) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) {
    *error = errno;
    return false;
  }
  out->assign(resolved);
  free(resolved);
  return true;
}

bool IsInside(const std::string& root_real, const std::string& real_path) {
  if (real_path.compare(0, root_real.size(), root_real) != 0) return false;
  if (real_path.size() == root_real.size()) return true;
  return root_real == "/" || real_path[root_real.size()] == '/';
}

// The real path of a partition path, as long as it stays inside root: no
// ".." component, and no link that leads out of it.
TransportStatus Resolve(const std::string& root, const std::string& path, std::string* real) {
  if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos)
    return TransportStatus::kFailed;
  std::string joined = root;
  size_t at = 0;
  while (at < path.size()) {
    const size_t end = std::min(path.find('/', at), path.size());
    const std::string part = path.substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return TransportStatus::kFailed;
    joined += "/" + part;
  }
  std::string root_real;
  int error = 0;
  if (!RealPath(root, &root_real, &error))
    return error == ENOENT ? TransportStatus::kNotFound : TransportStatus::kFailed;
  if (!RealPath(joined, real, &error))
    return error == ENOENT || error == ENOTDIR ? TransportStatus::kNotFound
                                               : TransportStatus::kFailed;
  return IsInside(root_real, *real) ? TransportStatus::kOk : TransportStatus::kFailed;
}

}  // namespace

PosixTransport::PosixTransport(std::string root) : root_(std::move(root)) {}

TransportStatus PosixTransport::List(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  std::string real;
  TransportStatus status = Resolve(root_, path, &real);
  if (status != TransportStatus::kOk) return status;
  DIR* dir = opendir(real.c_str());
  if (dir == nullptr)
    return errno == ENOENT ? TransportStatus::kNotFound : TransportStatus::kFailed;
  while (struct dirent* entry = readdir(dir)) {
    if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
    names->emplace_back(entry->d_name);
  }
  closedir(dir);
  return TransportStatus::kOk;
}

TransportStatus PosixTransport::Stat(const std::string& path, RemoteEntry* entry) {
  *entry = RemoteEntry();
  std::string real;
  TransportStatus status = Resolve(root_, path, &real);
  if (status != TransportStatus::kOk) return status;
  struct statx st;
  if (statx(AT_FDCWD, real.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
    return errno == ENOENT ? TransportStatus::kNotFound : TransportStatus::kFailed;
  entry->directory = S_ISDIR(st.stx_mode);
  entry->regular = S_ISREG(st.stx_mode);
  entry->size = st.stx_size;
  entry->birth_time = (st.stx_mask & STATX_BTIME) != 0 ? st.stx_btime.tv_sec : 0;
  entry->modify_time = st.stx_mtime.tv_sec;
  return TransportStatus::kOk;
}

TransportStatus PosixTransport::Open(const std::string& path, std::unique_ptr<RemoteFile>* file) {
  file->reset();
  std::string real;
  TransportStatus status = Resolve(root_, path, &real);
  if (status != TransportStatus::kOk) return status;
  // The resolved path holds no link, so a link put in its place since is
  // refused rather than followed.
  const int fd = open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return errno == ENOENT ? TransportStatus::kNotFound : TransportStatus::kFailed;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return TransportStatus::kFailed;
  }
  try {
    file->reset(new PosixFile(fd));
  } catch (...) {
    close(fd);
    return TransportStatus::kFailed;
  }
  return TransportStatus::kOk;
}

}  // namespace makerlib
