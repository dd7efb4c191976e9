#include "window/base/gtk/zl_popup_menu.h"

#include <gtk/gtk.h>

void ZLCancelPopupMenu(wxMenu* menu) {
  // The toolkit keeps the popup's GtkMenu in a public member and offers no
  // accessor for it.
  if (!menu || !menu->m_menu || !GTK_IS_MENU_SHELL(menu->m_menu)) return;
  gtk_menu_shell_cancel(GTK_MENU_SHELL(menu->m_menu));
}
