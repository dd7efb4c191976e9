// Access to a device's media partition: list a folder, look at an entry,
// read a file in chunks. One implementation talks AFC to a phone over USB,
// another reads a folder of plain files (a mounted device, or a test's
// fixture). Paths are absolute within the partition ("/DCIM/100APPLE").
//
// Every function may be called from several threads at once.
#ifndef PORTIVA_MAKERLIB_TRANSPORT_H
#define PORTIVA_MAKERLIB_TRANSPORT_H

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

namespace makerlib {

struct RemoteEntry {
  bool directory = false;
  bool regular = false;  // a plain file (links are followed by the device)
  uint64_t size = 0;
  // Seconds since 1970 (UTC); 0 when the device does not tell.
  int64_t birth_time = 0;
  int64_t modify_time = 0;
};

// One open file, read from its start on; not shared between threads.
class RemoteFile {
 public:
  virtual ~RemoteFile() = default;
  // Up to size bytes into buffer: the count read, 0 at the end, -1 failure.
  virtual int64_t Read(char* buffer, size_t size) = 0;
};

enum class TransportStatus {
  kOk,
  kNotFound,  // no such entry
  kFailed,    // any other failure of this call
  kGone,      // the device went away: every later call fails fast too
};

class Transport {
 public:
  virtual ~Transport() = default;
  // The names in a folder, without "." and "..", in no set order.
  virtual TransportStatus List(const std::string& path, std::vector<std::string>* names) = 0;
  virtual TransportStatus Stat(const std::string& path, RemoteEntry* entry) = 0;
  virtual TransportStatus Open(const std::string& path, std::unique_ptr<RemoteFile>* file) = 0;
};

// Reads a whole file of at most max_bytes into text.
TransportStatus ReadRemoteFile(Transport* transport, const std::string& path,
                               std::string* text, uint64_t max_bytes = 64u << 20);

}  // namespace makerlib

#endif
