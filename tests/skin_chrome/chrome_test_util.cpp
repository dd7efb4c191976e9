#include "chrome_test_util.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cstdio>

#include "app/transfer_app.h"
#include "test_support.h"

namespace chrome_test {

namespace {

std::vector<AssertRecord>& Asserts() {
  static std::vector<AssertRecord> records;
  return records;
}

std::vector<wxWindow*>& Tops() {
  static std::vector<wxWindow*> tops;
  return tops;
}

void RecordAssert(const wxString& file, int, const wxString&,
                  const wxString& cond, const wxString& msg) {
  Asserts().push_back({file.ToStdString(), cond.ToStdString(),
                       msg.ToStdString()});
}

wxAssertHandler_t g_previous_handler = nullptr;

}  // namespace

wxBitmap Picture(int width, int height,
                 const std::function<wxColour(int, int)>& colour,
                 const std::function<int(int, int)>& alpha) {
  wxImage image(width, height);
  if (alpha) image.InitAlpha();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const wxColour c = colour(x, y);
      image.SetRGB(x, y, c.Red(), c.Green(), c.Blue());
      if (alpha) image.SetAlpha(x, y, static_cast<unsigned char>(alpha(x, y)));
    }
  }
  return wxBitmap(image, -1);
}

wxBitmap Solid(int width, int height, const wxColour& colour) {
  return Picture(width, height, [&](int, int) { return colour; });
}

wxBitmap* NewSolid(int width, int height, const wxColour& colour) {
  return new wxBitmap(Solid(width, height, colour));
}

wxImage GrabScreen(const wxRect& rect) {
  // Read through a connection of our own: the toolkit's screen context
  // keeps a cached copy of the root window after its first read.
  static Display* display = XOpenDisplay(nullptr);
  wxImage shot(rect.width, rect.height);
  if (!display) return shot;
  XSync(display, False);
  XImage* image =
      XGetImage(display, DefaultRootWindow(display), rect.x, rect.y,
                rect.width, rect.height, AllPlanes, ZPixmap);
  if (!image) return shot;
  for (int y = 0; y < rect.height; ++y) {
    for (int x = 0; x < rect.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      shot.SetRGB(x, y, (pixel >> 16) & 0xff, (pixel >> 8) & 0xff,
                  pixel & 0xff);
    }
  }
  XDestroyImage(image);
  return shot;
}

wxColour ScreenPixel(const wxPoint& pos) {
  wxImage image = GrabScreen(wxRect(pos, wxSize(1, 1)));
  return wxColour(image.GetRed(0, 0), image.GetGreen(0, 0),
                  image.GetBlue(0, 0));
}

wxColour WindowPixel(wxWindow* window, int x, int y) {
  return ScreenPixel(window->ClientToScreen(wxPoint(x, y)));
}

bool WaitForWindowPixel(wxWindow* window, int x, int y, const wxColour& colour,
                        int timeout_ms) {
  return testsupport::RunLoopUntil(
      [&] { return WindowPixel(window, x, y) == colour; }, timeout_ms);
}

std::string Describe(const wxColour& colour) {
  char text[32];
  snprintf(text, sizeof text, "(%d,%d,%d)", colour.Red(), colour.Green(),
           colour.Blue());
  return text;
}

void SendMouse(wxWindow* window, wxEventType type, const wxPoint& pos,
               bool left_down) {
  wxMouseEvent event(type);
  event.SetEventObject(window);
  event.SetId(window->GetId());
  event.SetPosition(pos);
  event.m_leftDown = left_down;
  window->ProcessWindowEvent(event);
}

void SendMouseAtScreen(wxWindow* window, wxEventType type,
                       const wxPoint& screen_pos, bool left_down) {
  SendMouse(window, type, window->ScreenToClient(screen_pos), left_down);
}

void ChromeTest::SetUp() {
  // Naming the program's application class links it in from the static
  // library; without it the toolkit starts without its GUI part.
  ASSERT_NE(nullptr, dynamic_cast<TransferApp*>(wxTheApp));
  Asserts().clear();
  g_previous_handler = wxSetAssertHandler(RecordAssert);
}

void ChromeTest::TearDown() {
  if (wxWindow* capture = wxWindow::GetCapture()) capture->ReleaseMouse();
  for (wxWindow* top : Tops()) top->Destroy();
  Tops().clear();
  testsupport::RunLoopFor(30);
  for (const AssertRecord& record : Asserts())
    ADD_FAILURE() << "unexpected assertion \"" << record.condition
                  << "\" in " << record.file << ": " << record.message;
  Asserts().clear();
  wxSetAssertHandler(g_previous_handler);
}

std::vector<AssertRecord> ChromeTest::TakeAsserts() {
  std::vector<AssertRecord> taken;
  taken.swap(Asserts());
  return taken;
}

wxFrame* ChromeTest::ShowFrame(const wxPoint& pos, const wxSize& size,
                               long style) {
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "test", pos, size, style);
  // A hidden second child keeps the frame from stretching a lone child
  // over its whole client area.
  (new wxWindow(frame, wxID_ANY, wxPoint(0, 0), wxSize(1, 1)))->Hide();
  ShowAndTrack(frame);
  return frame;
}

void ChromeTest::ShowAndTrack(wxWindow* top) {
  Tops().push_back(top);
  top->Show();
  testsupport::RunLoopUntil([top] { return top->IsShownOnScreen(); }, 3000);
  testsupport::RunLoopFor(50);
}

void ChromeTest::DestroyTracked(wxWindow* top) {
  std::vector<wxWindow*>& tops = Tops();
  tops.erase(std::remove(tops.begin(), tops.end(), top), tops.end());
  top->Destroy();
  testsupport::RunLoopFor(30);
}

}  // namespace chrome_test
