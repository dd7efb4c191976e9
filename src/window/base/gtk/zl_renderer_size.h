#ifndef PORTIVA_WINDOW_BASE_GTK_ZL_RENDERER_SIZE_H
#define PORTIVA_WINDOW_BASE_GTK_ZL_RENDERER_SIZE_H

#include <wx/dataview.h>

// The size a list's cell renderer asks for: its own for a drawn renderer,
// the toolkit's for a native one (a check box with its padding).
wxSize ZLRendererSize(wxDataViewCtrl* list, wxDataViewRenderer* renderer);

// Redraws the list's rows from its model. Refreshing the control itself
// leaves the toolkit's rows as they were drawn.
void ZLRedrawRows(wxDataViewCtrl* list);

#endif
