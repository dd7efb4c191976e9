#include "screen_capture.h"

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>

#include <dlfcn.h>

namespace testsupport {

wxImage CaptureScreen(const wxRect& area) {
  wxBitmap bitmap(area.width, area.height, -1);
  wxScreenDC screen;
  // Cairo keeps a snapshot of the root window's surface once it has been
  // read, and nothing tells it that the server has drawn since; without
  // this every capture after the first would show the first one.
  typedef void* (*GetTarget)(void*);
  typedef void (*MarkDirty)(void*);
  static GetTarget get_target =
      reinterpret_cast<GetTarget>(dlsym(RTLD_DEFAULT, "cairo_get_target"));
  static MarkDirty mark_dirty = reinterpret_cast<MarkDirty>(
      dlsym(RTLD_DEFAULT, "cairo_surface_mark_dirty"));
  if (void* cairo = screen.GetImpl()->GetCairoContext())
    if (get_target && mark_dirty) mark_dirty(get_target(cairo));
  wxMemoryDC dc(bitmap);
  dc.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
  dc.SelectObject(wxNullBitmap);
  return bitmap.ConvertToImage();
}

wxImage CaptureWindow(wxWindow* window) {
  return CaptureScreen(wxRect(window->GetScreenPosition(), window->GetSize()));
}

}  // namespace testsupport
