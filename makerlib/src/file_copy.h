// Chunked file copies for the device library's exports.
#ifndef PORTIVA_MAKERLIB_FILE_COPY_H
#define PORTIVA_MAKERLIB_FILE_COPY_H

#include <stddef.h>
#include <stdint.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace makerlib {

// Keeps the average rate of one export at a limit (0: unlimited).
class Throttle {
 public:
  explicit Throttle(uint64_t bytes_per_second);
  // Called after bytes more were copied; sleeps while ahead of the limit.
  void Account(uint64_t bytes);
  // Chunk size that gives several progress reports a second when limited.
  size_t ChunkSize() const;

 private:
  uint64_t rate_;
  uint64_t bytes_ = 0;
  std::chrono::steady_clock::time_point start_;
};

constexpr size_t kChunkSize = 1 << 20;

// Called after every chunk with the bytes copied so far; false stops.
using ChunkHook = std::function<bool(uint64_t done)>;

enum class CopyOutcome { kDone, kStopped, kFailed };

// Copies exactly length bytes from the start of in_fd to out_fd, chunk by
// chunk, in the kernel where it can and through a buffer where it cannot.
// A source shorter than length is a failure.
CopyOutcome CopyBytes(int in_fd, int out_fd, uint64_t length, size_t chunk,
                      Throttle* throttle, const ChunkHook& hook);

// Paths created by one export, removed again in reverse order when the
// export fails. Only what the export itself made is listed.
class CreatedPaths {
 public:
  void AddFile(const std::string& path) { entries_.push_back({path, false}); }
  void AddDirectory(const std::string& path) { entries_.push_back({path, true}); }
  void RemoveAll();

 private:
  struct Entry {
    std::string path;
    bool directory;
  };
  std::vector<Entry> entries_;
};

}  // namespace makerlib

#endif
