#ifndef PORTIVA_APP_TRACE_H
#define PORTIVA_APP_TRACE_H

#include <wx/string.h>

// One whole line on standard output, flushed at once (workers write too).
void Trace(const wxString& line);

#endif
