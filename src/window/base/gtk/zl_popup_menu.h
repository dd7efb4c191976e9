#ifndef PORTIVA_WINDOW_BASE_GTK_ZL_POPUP_MENU_H
#define PORTIVA_WINDOW_BASE_GTK_ZL_POPUP_MENU_H

#include <wx/menu.h>

// Closes the menu's popup if it is open, from inside the popup's own loop,
// as if the user had pressed Escape: the call that showed it returns.
void ZLCancelPopupMenu(wxMenu* menu);

#endif
