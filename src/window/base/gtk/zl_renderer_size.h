#ifndef PORTIVA_WINDOW_BASE_GTK_ZL_RENDERER_SIZE_H
#define PORTIVA_WINDOW_BASE_GTK_ZL_RENDERER_SIZE_H

#include <wx/dataview.h>

// The size a list's cell renderer asks for: its own for a drawn renderer,
// the toolkit's for a native one (a check box with its padding).
wxSize ZLRendererSize(wxDataViewCtrl* list, wxDataViewRenderer* renderer);

#endif
