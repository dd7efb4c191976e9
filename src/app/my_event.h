#ifndef PORTIVA_APP_MY_EVENT_H
#define PORTIVA_APP_MY_EVENT_H

#include <wx/event.h>

// Command events of the program's own; both are allocated during static
// initialisation, the update check's first.
extern const wxEventType wxEVT_CHECK_FOR_UPDATE;
extern const wxEventType wxEVT_SELECT_LANGUAGE;

// Ids of the thread events that workers queue to the GUI.
enum ThreadEventId {
  kThreadUpdateCurrentExportFile = 106,
  kThreadUpdateProgressStep = 108,
  kThreadExportComplete = 109,
  kThreadDetectDeviceCompleted = 204,
  kThreadCameraRollBegin = 205,
  kThreadCameraRollEnd = 206,
  kThreadPhotoBegin = 207,
  kThreadPhotoEnd = 208,
};

#endif
