#include "transport.h"

namespace makerlib {

TransportStatus ReadRemoteFile(Transport* transport, const std::string& path, std::string* text,
                               uint64_t max_bytes) {
  text->clear();
  std::unique_ptr<RemoteFile> file;
  TransportStatus status = transport->Open(path, &file);
  if (status != TransportStatus::kOk) return status;
  char buffer[1 << 16];
  for (;;) {
    const int64_t got = file->Read(buffer, sizeof buffer);
    if (got < 0) return TransportStatus::kFailed;
    if (got == 0) return TransportStatus::kOk;
    if (text->size() + static_cast<uint64_t>(got) > max_bytes) return TransportStatus::kFailed;
    text->append(buffer, static_cast<size_t>(got));
  }
}

}  // namespace makerlib
