#ifndef PORTIVA_TESTS_MAIN_WINDOW_H
#define PORTIVA_TESTS_MAIN_WINDOW_H

#include <wx/gdicmn.h>

class TransferFrame;

namespace testsupport {

// Opens the program's main window as start-up does (recorded in the window
// registry, shown) and runs the loop until its first device detection has
// ended. *frame holds the window as soon as it exists; false when the
// detection did not end in time.
bool StartMainWindow(TransferFrame** frame, const wxSize& size, int timeout_ms = 10000,
                     const wxPoint& position = wxDefaultPosition);

}  // namespace testsupport

#endif
