#include "file_copy.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>

namespace makerlib {

Throttle::Throttle(uint64_t bytes_per_second)
    : rate_(bytes_per_second), start_(std::chrono::steady_clock::now()) {}

void Throttle::Account(uint64_t bytes) {
  if (rate_ == 0) return;
  bytes_ += bytes;
  const double seconds =
      static_cast<double>(bytes_) / static_cast<double>(rate_);
  const auto due =
      start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                   std::chrono::duration<double>(seconds));
  std::this_thread::sleep_until(due);
}

size_t Throttle::ChunkSize() const {
  if (rate_ == 0) return kChunkSize;
  uint64_t chunk = rate_ / 8;
  chunk -= chunk % 4096;
  return static_cast<size_t>(
      std::clamp<uint64_t>(chunk, 4096, static_cast<uint64_t>(kChunkSize)));
}

namespace {

bool WriteAll(int fd, const char* data, size_t size, off_t offset) {
  while (size > 0) {
    ssize_t n = pwrite(fd, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

// Errors after which copy_file_range will not work for this pair of files
// but a plain read and write may.
bool KernelCopyUnsupported(int error) {
  return error == ENOSYS || error == EXDEV || error == EINVAL ||
         error == EOPNOTSUPP || error == EBADF || error == EPERM ||
         error == ETXTBSY;
}

}  // namespace

CopyOutcome CopyBytes(int in_fd, int out_fd, uint64_t length, size_t chunk,
                      Throttle* throttle, const ChunkHook& hook) {
  if (chunk == 0) chunk = kChunkSize;
  posix_fadvise(in_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  bool use_kernel = true;
  std::unique_ptr<char[]> buffer;
  uint64_t done = 0;
  while (done < length) {
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(chunk, length - done));
    size_t moved = 0;
    while (moved < want) {
      off_t offset = static_cast<off_t>(done + moved);
      if (use_kernel) {
        off_t in_offset = offset;
        off_t out_offset = offset;
        ssize_t n = copy_file_range(in_fd, &in_offset, out_fd, &out_offset,
                                    want - moved, 0);
        if (n > 0) {
          moved += static_cast<size_t>(n);
          continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && !KernelCopyUnsupported(errno)) return CopyOutcome::kFailed;
        // Some file systems report 0 instead of an error; the buffered copy
        // below tells a real end of the source from that.
        use_kernel = false;
      }
      if (!buffer) buffer.reset(new char[kChunkSize]);
      const size_t piece = std::min(want - moved, kChunkSize);
      ssize_t n = pread(in_fd, buffer.get(), piece, offset);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return CopyOutcome::kFailed;
      if (!WriteAll(out_fd, buffer.get(), static_cast<size_t>(n), offset))
        return CopyOutcome::kFailed;
      moved += static_cast<size_t>(n);
    }
    done += moved;
    if (throttle != nullptr) throttle->Account(moved);
    if (hook && !hook(done)) return CopyOutcome::kStopped;
  }
  return CopyOutcome::kDone;
}

void CreatedPaths::RemoveAll() {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->directory)
      rmdir(it->path.c_str());
    else
      unlink(it->path.c_str());
  }
  entries_.clear();
}

}  // namespace makerlib
