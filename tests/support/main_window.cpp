#include "main_window.h"

#include "app/transfer_app.h"
#include "test_support.h"
#include "window/left_pane.h"
#include "window/transfer_frame.h"

namespace testsupport {

bool StartMainWindow(TransferFrame** frame, const wxSize& size, int timeout_ms,
                     const wxPoint& position) {
  TransferApp& app = wxGetApp();
  TransferFrame* window =
      new TransferFrame(nullptr, wxID_ANY, TransferApp::GetWindowTitle(), position, size);
  *frame = window;
  app.frame_ = window;
  window->Show(true);
  return RunLoopUntil(
      [&] { return window->detection_started() && app.left_pane_ && !app.left_pane_->detecting(); },
      timeout_ms);
}

}  // namespace testsupport
