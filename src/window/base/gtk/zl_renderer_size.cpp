#include "window/base/gtk/zl_renderer_size.h"

#include <gtk/gtk.h>

wxSize ZLRendererSize(wxDataViewCtrl* list, wxDataViewRenderer* renderer) {
  if (!list || !renderer) return wxSize();
  if (wxDataViewCustomRenderer* drawn = dynamic_cast<wxDataViewCustomRenderer*>(renderer))
    return drawn->GetSize();
  GtkCellRenderer* cell = renderer->GetGtkHandle();
  if (!cell) return wxSize();
  GtkRequisition natural = {0, 0};
  gtk_cell_renderer_get_preferred_size(cell, list->GtkGetTreeView(), nullptr, &natural);
  return wxSize(natural.width, natural.height);
}

void ZLRedrawRows(wxDataViewCtrl* list) {
  if (list && list->GtkGetTreeView()) gtk_widget_queue_draw(list->GtkGetTreeView());
}
