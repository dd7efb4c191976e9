#include "skin_test_util.h"

#include <wx/dcmemory.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>

#include "app/transfer_app.h"
#include "test_support.h"

namespace skintest {

wxColour PatternColour(int x, int y) {
  return wxColour(static_cast<unsigned char>(x * 3 + 7),
                  static_cast<unsigned char>(y * 5 + 11),
                  static_cast<unsigned char>(x * 7 + y * 13));
}

wxBitmap PatternBitmap(int width, int height) {
  wxImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const wxColour c = PatternColour(x, y);
      image.SetRGB(x, y, c.Red(), c.Green(), c.Blue());
    }
  return wxBitmap(image, -1);
}

wxBitmap SolidBitmap(int width, int height, const wxColour& colour) {
  wxImage image(width, height);
  image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(),
               colour.Blue());
  return wxBitmap(image, -1);
}

wxColour PixelAt(const wxImage& image, int x, int y) {
  return wxColour(image.GetRed(x, y), image.GetGreen(x, y),
                  image.GetBlue(x, y));
}

bool Near(const wxColour& a, const wxColour& b, int tolerance) {
  return std::abs(a.Red() - b.Red()) <= tolerance &&
         std::abs(a.Green() - b.Green()) <= tolerance &&
         std::abs(a.Blue() - b.Blue()) <= tolerance;
}

std::string Describe(const wxColour& colour) {
  char text[32];
  snprintf(text, sizeof text, "(%d, %d, %d)", colour.Red(), colour.Green(),
           colour.Blue());
  return text;
}

bool HasGuiApp() {
  // Naming the program's application class links it in from the static
  // library; without it the toolkit starts without its GUI part.
  return dynamic_cast<TransferApp*>(wxTheApp) != nullptr;
}

wxFrame* ShowFrame(const wxSize& client_size, const wxPoint& pos) {
  // No border and no window manager: the size is the client size.
  return new wxFrame(nullptr, wxID_ANY, "skin controls", pos, client_size,
                     wxBORDER_NONE);
}

void Settle(wxFrame* frame) {
  frame->Show();
  frame->Raise();
  testsupport::RunLoopUntil([frame] { return frame->IsShownOnScreen(); },
                            3000);
  frame->Refresh();
  frame->Update();
  testsupport::RunLoopFor(250);
}

void CloseFrame(wxFrame* frame) {
  frame->Destroy();
  testsupport::RunLoopFor(50);
}

Script& Script::Then(int delay_ms, std::function<void()> step) {
  steps_.emplace_back(delay_ms, std::move(step));
  return *this;
}

void Script::Begin() {
  next_ = 0;
  if (!steps_.empty()) StartOnce(steps_[0].first);
}

void Script::Notify() {
  if (done()) return;
  // Move on first: the step may open a popup that returns only later.
  std::function<void()> step = steps_[next_].second;
  ++next_;
  if (!done()) StartOnce(steps_[next_].first);
  step();
}

bool RunScript(Script& script, int timeout_ms) {
  script.Begin();
  return testsupport::RunLoopUntil([&script] { return script.done(); },
                                   timeout_ms);
}

}  // namespace skintest
