#ifndef PORTIVA_DEVICE_DO_DETECT_DEVICE_H
#define PORTIVA_DEVICE_DO_DETECT_DEVICE_H

#include <wx/string.h>
#include <wx/thread.h>

#include "device/device_context.h"

// Opens the device of a context whose device, id and type are set: 0 when
// it may be used, 3, 4 or 1 when not. On failure the first failure's text
// is kept in message.
int DoInitDevice(DeviceContext* context, wxString* message);

// Opens enumeration entry into context: creates the device, initialises it
// and fetches its information and lists.
void OpenDeviceEntry(plist_t entry, DeviceContext* context, wxString* message);

// Frees the previous devices and detects anew into the current device list
// (taking its lock). Returns the warning text, empty when all opened.
wxString DetectDevices();

// A directory name for a device identifier that stays inside its parent
// ("/", "\\", ".", ".." and the empty name are escaped) and stays distinct
// for distinct identifiers.
wxString SafeDirectoryName(const wxString& id);

// The detection worker: a detached thread that reports to the navigation
// pane with thread event 204.
class DoDetectDevice : public wxThread {
 public:
  DoDetectDevice() : wxThread(wxTHREAD_DETACHED) {}

 protected:
  ExitCode Entry() override;
};

#endif
