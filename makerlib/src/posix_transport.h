// The media partition as a folder of plain files: a device mounted by the
// desktop, or a test's fixture.
#ifndef PORTIVA_MAKERLIB_POSIX_TRANSPORT_H
#define PORTIVA_MAKERLIB_POSIX_TRANSPORT_H

#include <string>

#include "transport.h"

namespace makerlib {

class PosixTransport : public Transport {
 public:
  // root: the folder that stands for the partition's "/".
  explicit PosixTransport(std::string root);
  TransportStatus List(const std::string& path, std::vector<std::string>* names) override;
  TransportStatus Stat(const std::string& path, RemoteEntry* entry) override;
  TransportStatus Open(const std::string& path, std::unique_ptr<RemoteFile>* file) override;

 private:
  std::string root_;
};

}  // namespace makerlib

#endif
