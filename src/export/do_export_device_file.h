#ifndef PORTIVA_EXPORT_DO_EXPORT_DEVICE_FILE_H
#define PORTIVA_EXPORT_DO_EXPORT_DEVICE_FILE_H

#include <wx/string.h>
#include <wx/thread.h>

#include <atomic>
#include <cstdint>

#include "export/export_item.h"

class Device;
class EventTarget;

// What a progress step (event 108) carries besides its step: the whole
// request's bytes done and to do.
struct ExportProgress {
  int step = 0;
  uint64_t done = 0;
  uint64_t total = 0;
};

// The export worker: a detached thread that copies the items of one request
// off the current device, announcing each item and each progress step to
// the tool bar and waiting for it, until the request is done or its export
// is stopped. It owns the request.
class DoExportDeviceFile : public wxThread {
 public:
  // generation: the export's number (AppData::export_generation_ when it
  // was started); target: where its events go.
  DoExportDeviceFile(ExportCatalogInfo* request, uint64_t generation, EventTarget* target);
  ~DoExportDeviceFile() override;

  // How many export workers exist now.
  static int RunningCount();

  // Called on the worker with each target name chosen for a file, just
  // before the copy creates it: lets a test take the name meanwhile, as
  // another program writing into the folder could.
  static void (*name_chosen_)(const wxString& target);

 protected:
  ExitCode Entry() override;

 private:
  static std::atomic<int> running_;
  ExportCatalogInfo* request_;
  uint64_t generation_;
  EventTarget* target_;
};

// The device library's progress callback for the worker's copies; runs on
// the worker inside Device::ExportFile, with the stop lock held.
int DoExportFileCallback(uint64_t total, uint64_t done, uint8_t state, void* user);

// Whether the export of this number is to stop: its flag is set or a newer
// export has started. The stop lock must be held.
bool ExportStopped(uint64_t generation);

#endif
