#ifndef PORTIVA_TESTS_SCREEN_CAPTURE_H
#define PORTIVA_TESTS_SCREEN_CAPTURE_H

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/window.h>

namespace testsupport {

// What the screen shows now in the rectangle, in screen coordinates.
wxImage CaptureScreen(const wxRect& area);
// What the screen shows now over the window's whole area.
wxImage CaptureWindow(wxWindow* window);

}  // namespace testsupport

#endif
