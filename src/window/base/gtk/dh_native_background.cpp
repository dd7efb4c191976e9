#include "window/base/gtk/dh_native_background.h"

#include <wx/dcgraph.h>
#include <wx/graphics.h>

extern "C" int DhDrawNativeBackground(void*, void* cairo, wxWindow* control) {
  // The context comes translated and clipped to the widget's area; the
  // graphics context restores its state when it goes.
  wxGraphicsContext* context = wxGraphicsContext::CreateFromNative(cairo);
  if (!context) return 0;
  wxGCDC dc(context);
  wxEraseEvent erase(control->GetId(), &dc);
  erase.SetEventObject(control);
  control->HandleWindowEvent(erase);
  return 0;
}
