// Copies off a device through its transport, with the device library's
// export rules: the target is created here and never replaces anything,
// chunks of 1 MiB, progress after every chunk, and no partial file left on
// failure or abort.
#ifndef PORTIVA_MAKERLIB_TRANSPORT_EXPORT_H
#define PORTIVA_MAKERLIB_TRANSPORT_EXPORT_H

#include <atomic>
#include <string>

#include "pod_device_service.h"
#include "transport.h"

namespace makerlib {

// POD_STATUS_OK, or POD_STATUS_FAILED. stop, when not null, ends the copy
// as a failure once it is set (the device was freed).
int ExportRemoteFile(Transport* transport, const std::string& device_path,
                     const std::string& local_path, PodExportCallback callback,
                     const std::atomic<bool>* stop);
// A folder tree into local_directory (created unless already a folder);
// nothing in it is replaced; on failure what the call created is removed.
int ExportRemoteDirectory(Transport* transport, const std::string& device_path,
                          const std::string& local_directory, const std::atomic<bool>* stop);

}  // namespace makerlib

#endif
