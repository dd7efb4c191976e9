#include "app/my_event.h"

// Order of allocation matters to nobody but is kept stable on purpose.
const wxEventType wxEVT_CHECK_FOR_UPDATE = wxNewEventType();
const wxEventType wxEVT_SELECT_LANGUAGE = wxNewEventType();
