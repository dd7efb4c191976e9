#ifndef PORTIVA_TESTS_SKIN_CHROME_CHROME_TEST_UTIL_H
#define PORTIVA_TESTS_SKIN_CHROME_CHROME_TEST_UTIL_H

#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/window.h>

#include <functional>
#include <string>
#include <vector>

namespace chrome_test {

// Pictures built in memory, pixel by pixel. An alpha function makes a
// picture with an alpha channel.
wxBitmap Picture(int width, int height,
                 const std::function<wxColour(int, int)>& colour,
                 const std::function<int(int, int)>& alpha = nullptr);
wxBitmap Solid(int width, int height, const wxColour& colour);
wxBitmap* NewSolid(int width, int height, const wxColour& colour);

// What the screen shows, read back from the X server.
wxImage GrabScreen(const wxRect& rect);
wxColour ScreenPixel(const wxPoint& pos);
wxColour WindowPixel(wxWindow* window, int x, int y);
// Waits until the pixel of window at (x, y) shows colour.
bool WaitForWindowPixel(wxWindow* window, int x, int y, const wxColour& colour,
                        int timeout_ms = 3000);
std::string Describe(const wxColour& colour);

// A mouse event of the given type at a position in window's client area,
// handled by the window as the toolkit would hand it over.
void SendMouse(wxWindow* window, wxEventType type, const wxPoint& pos,
               bool left_down = false);
// The same with the position given in screen coordinates.
void SendMouseAtScreen(wxWindow* window, wxEventType type,
                       const wxPoint& screen_pos, bool left_down = false);

struct AssertRecord {
  std::string file;
  std::string condition;
  std::string message;
};

// Base of the GUI tests: records assertion failures instead of showing
// the toolkit's dialog, fails on any that a test did not expect, and
// destroys the top-level windows a test made.
class ChromeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Takes the assertions recorded so far.
  std::vector<AssertRecord> TakeAsserts();
  // Shows a plain frame at pos and waits until it is on screen.
  wxFrame* ShowFrame(const wxPoint& pos, const wxSize& size,
                     long style = wxBORDER_NONE);
  // Shows a top-level window made by the test; it is destroyed in TearDown
  // unless the test destroys it earlier through DestroyTracked.
  void ShowAndTrack(wxWindow* top);
  void DestroyTracked(wxWindow* top);
};

}  // namespace chrome_test

#endif
