#ifndef PORTIVA_TESTS_SKIN_CONTROLS_SKIN_TEST_UTIL_H
#define PORTIVA_TESTS_SKIN_CONTROLS_SKIN_TEST_UTIL_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "screen_capture.h"

namespace skintest {

// A picture whose every pixel tells where it is, so that a piece cut from
// the wrong place, or a piece one pixel off, shows.
wxBitmap PatternBitmap(int width, int height);
wxColour PatternColour(int x, int y);
wxBitmap SolidBitmap(int width, int height, const wxColour& colour);

using testsupport::CaptureScreen;
using testsupport::CaptureWindow;

wxColour PixelAt(const wxImage& image, int x, int y);
bool Near(const wxColour& a, const wxColour& b, int tolerance);
std::string Describe(const wxColour& colour);

// True when the toolkit runs with the program's GUI application object.
bool HasGuiApp();

// A borderless top-level frame of that size at a fixed place on the
// screen; Settle shows it.
wxFrame* ShowFrame(const wxSize& client_size,
                   const wxPoint& pos = wxPoint(100, 100));
// Shows and lays out the frame, then waits until the toolkit has drawn it.
void Settle(wxFrame* frame);
// Destroys the frame and lets the toolkit finish with it.
void CloseFrame(wxFrame* frame);

// Runs steps one after the other, each after its delay, from a timer. The
// steps keep running inside a popup menu's own loop, so a test can drive a
// menu that the code under test shows modally.
class Script : public wxTimer {
 public:
  Script& Then(int delay_ms, std::function<void()> step);
  void Begin();
  bool done() const { return next_ >= steps_.size(); }
  void Notify() override;

 private:
  std::vector<std::pair<int, std::function<void()>>> steps_;
  size_t next_ = 0;
};

// Runs the script to its end (or the time-out); false on time-out.
bool RunScript(Script& script, int timeout_ms = 20000);

}  // namespace skintest

#endif
