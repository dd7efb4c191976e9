// The shaped frame with its title bar and borders: the window shape read
// back from the screen, moving and resizing within their bounds,
// maximise, restore, minimise and close.
#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include <string>
#include <vector>

#include "chrome_test_util.h"
#include "test_support.h"
#include "window/base/dh_bitmap_button.h"
#include "window/base/dh_word_button.h"
#include "window/base/zl_border.h"
#include "window/base/zl_button.h"
#include "window/base/zl_resizable_frame_base.h"
#include "window/base/zl_title_bar.h"

namespace {

using chrome_test::GrabScreen;
using chrome_test::NewSolid;
using chrome_test::SendMouse;
using chrome_test::SendMouseAtScreen;

std::string Text(const wxRect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " " +
         std::to_string(r.width) + "x" + std::to_string(r.height);
}

// Records what the title bar asks of the window manager.
class TestFrame : public ZLResizableFrameBase {
 public:
  TestFrame(const wxPoint& pos, const wxSize& size,
            long style = wxBORDER_NONE | wxFRAME_SHAPED)
      : ZLResizableFrameBase(nullptr, wxID_ANY, "chrome", pos, size, style) {}

  void Iconize(bool iconize) override {
    if (iconize) ++iconize_calls;
  }
  bool IsIconized() const override { return pretend_iconized; }

  int iconize_calls = 0;
  bool pretend_iconized = false;
};

class FrameChromeTest : public chrome_test::ChromeTest {
 protected:
  // A frame at (400, 300) of 400 by 300 with a title bar along its top
  // and one border of every kind.
  void MakeChrome(bool wire = true) {
    frame_ = new TestFrame(wxPoint(400, 300), wxSize(400, 300));
    frame_->SetMinSize(wxSize(200, 150));
    frame_->SetBackgroundColour(*wxWHITE);
    const wxColour grey(90, 90, 90);
    title_bar_ = new ZLTitleBar(
        3, NewSolid(3, 30, grey), NewSolid(16, 16, *wxBLUE),
        NewSolid(16, 14, grey), NewSolid(16, 14, grey), NewSolid(16, 14, grey),
        NewSolid(18, 16, grey), NewSolid(18, 16, grey), NewSolid(18, 16, grey),
        NewSolid(18, 16, grey), NewSolid(18, 16, grey), NewSolid(18, 16, grey),
        NewSolid(22, 18, grey), NewSolid(22, 18, grey), NewSolid(22, 18, grey),
        frame_, wxID_ANY, "Title", wxPoint(5, 5), wxSize(390, 30),
        wxSize(5, 5), wxSize(5, 5), 5, 0);
    const wxPoint places[8] = {{0, 0},   {5, 0},   {395, 0}, {0, 5},
                               {395, 5}, {0, 295}, {5, 295}, {395, 295}};
    for (int kind = 0; kind < 8; ++kind) {
      borders_[kind] = new ZLBorder(kind, frame_, wxID_ANY, places[kind],
                                    wxSize(5, 5));
      borders_[kind]->SetBackgroundBitmap(chrome_test::Solid(5, 5, grey));
    }
    if (wire) {
      title_bar_->owner_ = frame_;
      title_bar_->active_ = true;
      for (ZLBorder* border : borders_) {
        border->owner_ = frame_;
        border->active_ = true;
      }
    }
    ShowAndTrack(frame_);
  }

  void Click(wxWindow* button) {
    SendMouse(button, wxEVT_ENTER_WINDOW, wxPoint(2, 2));
    SendMouse(button, wxEVT_LEFT_DOWN, wxPoint(2, 2), true);
    SendMouse(button, wxEVT_LEFT_UP, wxPoint(2, 2));
    SendMouse(button, wxEVT_LEAVE_WINDOW, wxPoint(-2, 2));
  }

  // Presses on grip and moves the pointer so that the frame would land at
  // target; leaves the button held.
  void DragFrameTo(wxWindow* grip, const wxPoint& target) {
    const wxPoint down(20, 8);
    const wxPoint down_screen = grip->ClientToScreen(down);
    const wxPoint start = frame_->GetPosition();
    SendMouse(grip, wxEVT_LEFT_DOWN, down, true);
    SendMouseAtScreen(grip, wxEVT_MOTION, down_screen + (target - start),
                      true);
  }

  void Release(wxWindow* grip) {
    SendMouse(grip, wxEVT_LEFT_UP, wxPoint(20, 8));
    EXPECT_FALSE(grip->HasCapture());
  }

  // Drags a border from its corner to a screen position.
  void DragBorder(ZLBorder* border, const wxPoint& screen) {
    SendMouse(border, wxEVT_LEFT_DOWN, wxPoint(1, 1), true);
    SendMouseAtScreen(border, wxEVT_MOTION, screen, true);
    SendMouse(border, wxEVT_LEFT_UP, wxPoint(1, 1));
    EXPECT_FALSE(border->HasCapture());
  }

  void ResetFrame() {
    frame_->SetSize(400, 300, 400, 300);
    testsupport::RunLoopFor(20);
    ASSERT_EQ(wxRect(400, 300, 400, 300), frame_->GetRect());
  }

  TestFrame* frame_ = nullptr;
  ZLTitleBar* title_bar_ = nullptr;
  ZLBorder* borders_[8] = {};
};

// ---------------------------------------------------------------- shape

struct ShapeCase {
  const char* name;
  long style;
  bool round_all;
  double radius;
  wxSize size;
  std::vector<wxPoint> inside;
  std::vector<wxPoint> outside;
};

TEST_F(FrameChromeTest, ShapeIsReadBackFromTheScreen) {
  const ShapeCase cases[] = {
      {"radius 8, top corners rounded", wxBORDER_NONE | wxFRAME_SHAPED, false,
       8, wxSize(400, 300),
       {{10, 0}, {389, 0}, {0, 10}, {399, 10}, {200, 150}, {0, 299},
        {399, 299}, {0, 292}, {399, 292}},
       {{0, 0}, {1, 1}, {0, 1}, {399, 0}, {398, 1}, {399, 1}}},
      {"radius 8, all corners rounded", wxBORDER_NONE | wxFRAME_SHAPED, true,
       8, wxSize(400, 300),
       {{10, 0}, {0, 10}, {200, 299}, {399, 150}},
       {{0, 0}, {399, 0}, {0, 299}, {399, 299}, {1, 298}, {398, 298}}},
      {"radius 0, the full rectangle", wxBORDER_NONE | wxFRAME_SHAPED, false,
       0, wxSize(400, 300),
       {{0, 0}, {399, 0}, {0, 299}, {399, 299}, {200, 150}},
       {}},
      {"not a shaped frame", wxBORDER_NONE, false, 8, wxSize(400, 300),
       {{0, 0}, {399, 0}, {0, 299}, {399, 299}},
       {}},
  };
  const wxColour root = chrome_test::ScreenPixel(wxPoint(1595, 995));
  ASSERT_NE(*wxWHITE, root);
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestFrame* frame = new TestFrame(wxPoint(100, 100), c.size, c.style);
    frame->SetBackgroundColour(*wxWHITE);
    frame->ZLSetRoundRectShape(c.round_all, c.radius);
    ShowAndTrack(frame);
    auto pixel = [&](const wxPoint& p) {
      return chrome_test::ScreenPixel(wxPoint(100, 100) + p);
    };
    ASSERT_TRUE(testsupport::RunLoopUntil(
        [&] { return pixel(wxPoint(200, 150)) == *wxWHITE; }));
    for (const wxPoint& p : c.inside)
      EXPECT_EQ(*wxWHITE, pixel(p)) << "inside " << p.x << "," << p.y;
    for (const wxPoint& p : c.outside)
      EXPECT_EQ(root, pixel(p)) << "outside " << p.x << "," << p.y;
    if (!c.round_all && c.radius == 8) {
      // The squared strip along the bottom, y = 292 to 299.
      wxImage strip = GrabScreen(wxRect(100, 100 + 292, 400, 8));
      int holes = 0;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 400; ++x)
          if (strip.GetRed(x, y) != 255 || strip.GetBlue(x, y) != 255)
            ++holes;
      EXPECT_EQ(0, holes);
    }
    DestroyTracked(frame);
  }
}

TEST_F(FrameChromeTest, ResizingReshapesWithTheStoredCorners) {
  TestFrame* frame = new TestFrame(wxPoint(100, 100), wxSize(400, 300));
  frame->SetBackgroundColour(*wxWHITE);
  ShowAndTrack(frame);
  EXPECT_FALSE(frame->round_all_corners());
  EXPECT_EQ(8.0, frame->corner_radius());
  const wxColour root = chrome_test::ScreenPixel(wxPoint(1595, 995));
  frame->SetSize(300, 200);
  auto pixel = [&](int x, int y) {
    return chrome_test::ScreenPixel(wxPoint(100 + x, 100 + y));
  };
  ASSERT_TRUE(testsupport::RunLoopUntil([&] {
    return pixel(299, 0) == root && pixel(299, 199) == *wxWHITE;
  })) << "corners of the new size";
  EXPECT_EQ(root, pixel(0, 0));
  EXPECT_EQ(*wxWHITE, pixel(0, 199));
  EXPECT_EQ(*wxWHITE, pixel(150, 100));
}

// ------------------------------------------------------------- position

TEST_F(FrameChromeTest, PositionMustLieOnTheScreen) {
  MakeChrome();
  const int width = wxSystemSettings::GetMetric(wxSYS_SCREEN_X);
  const int height = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y);
  struct Case {
    wxPoint pos;
    bool accepted;
  };
  const Case cases[] = {
      {{-1, 10}, false},          {{0, 10}, true},
      {{10, -1}, false},          {{10, 0}, true},
      {{width - 1, height - 1}, true}, {{width, 10}, false},
      {{10, height}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pos.x) + "," + std::to_string(c.pos.y));
    frame_->Move(300, 200);
    frame_->ZLUpdatePosition(c.pos);
    EXPECT_EQ(c.accepted ? c.pos : wxPoint(300, 200), frame_->GetPosition());
    EXPECT_EQ(wxSize(400, 300), frame_->GetSize());
  }
}

TEST_F(FrameChromeTest, DraggingTheTitleBarMovesTheFrameOnScreenOnly) {
  MakeChrome();
  struct Case {
    const char* name;
    wxPoint target;
    wxPoint expected;
  };
  const Case cases[] = {
      {"to the left and down", {250, 340}, {250, 340}},
      {"left edge to x = -1", {-1, 340}, {250, 340}},
      {"left edge to x = 0", {0, 340}, {0, 340}},
      {"top edge to y = -1", {0, -1}, {0, 340}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DragFrameTo(title_bar_, c.target);
    EXPECT_EQ(c.expected, frame_->GetPosition());
    EXPECT_EQ(wxSize(400, 300), frame_->GetSize());
    Release(title_bar_);
  }

  // The title text drags the frame too.
  wxWindow* text = title_bar_->title_text();
  DragFrameTo(text, wxPoint(123, 234));
  EXPECT_TRUE(text->HasCapture());
  EXPECT_EQ(wxPoint(123, 234), frame_->GetPosition());
  Release(text);

  // Moving without the left button held is no drag.
  SendMouse(title_bar_, wxEVT_LEFT_DOWN, wxPoint(20, 8), true);
  SendMouseAtScreen(title_bar_, wxEVT_MOTION, wxPoint(700, 700), false);
  EXPECT_EQ(wxPoint(123, 234), frame_->GetPosition());
  Release(title_bar_);
}

TEST_F(FrameChromeTest, LosingTheCaptureEndsTheDrag) {
  MakeChrome();
  SendMouse(title_bar_, wxEVT_LEFT_DOWN, wxPoint(20, 8), true);
  ASSERT_TRUE(title_bar_->HasCapture());
  wxMouseCaptureLostEvent lost(title_bar_->GetId());
  lost.SetEventObject(title_bar_);
  title_bar_->ProcessWindowEvent(lost);
  EXPECT_FALSE(title_bar_->HasCapture());
  SendMouseAtScreen(title_bar_, wxEVT_MOTION, wxPoint(100, 100), true);
  EXPECT_EQ(wxPoint(400, 300), frame_->GetPosition());

  SendMouse(borders_[7], wxEVT_LEFT_DOWN, wxPoint(1, 1), true);
  ASSERT_TRUE(borders_[7]->HasCapture());
  wxMouseCaptureLostEvent border_lost(borders_[7]->GetId());
  borders_[7]->ProcessWindowEvent(border_lost);
  EXPECT_FALSE(borders_[7]->HasCapture());
  SendMouseAtScreen(borders_[7], wxEVT_MOTION, wxPoint(900, 700), true);
  EXPECT_EQ(wxRect(400, 300, 400, 300), frame_->GetRect());
}

TEST_F(FrameChromeTest, UnwiredChromeDoesNothing) {
  MakeChrome(false);
  DragFrameTo(title_bar_, wxPoint(100, 100));
  EXPECT_EQ(wxPoint(400, 300), frame_->GetPosition());
  EXPECT_FALSE(title_bar_->HasCapture());
  SendMouse(title_bar_, wxEVT_LEFT_UP, wxPoint(20, 8));
  DragBorder(borders_[7], wxPoint(900, 700));
  EXPECT_EQ(wxRect(400, 300, 400, 300), frame_->GetRect());
  bool closed = false;
  frame_->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& e) {
    closed = true;
    e.Veto();
  });
  Click(title_bar_->close_button());
  Click(title_bar_->maximize_button());
  Click(title_bar_->minimize_button());
  EXPECT_FALSE(closed);
  EXPECT_FALSE(frame_->IsMaximized());
  EXPECT_EQ(0, frame_->iconize_calls);
}

// --------------------------------------------------------------- resize

TEST_F(FrameChromeTest, SizeMustLieBetweenMinimumAndScreen) {
  MakeChrome();
  const int width = wxSystemSettings::GetMetric(wxSYS_SCREEN_X);
  const int height = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y);
  struct Case {
    const char* name;
    wxRect rect;
    bool accepted;
  };
  const Case cases[] = {
      {"the minimum", {10, 10, 200, 150}, true},
      {"one narrower than the minimum", {10, 10, 199, 300}, false},
      {"one lower than the minimum", {10, 10, 300, 149}, false},
      {"the screen size", {0, 0, width, height}, true},
      {"wider than the screen", {0, 0, width + 1, 300}, false},
      {"higher than the screen", {0, 0, 300, height + 1}, false},
      {"left of the screen", {-1, 10, 300, 300}, false},
      {"at the left edge", {0, 10, 300, 300}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetFrame();
    frame_->ZLUpdateSize(c.rect.GetPosition(), c.rect.GetSize());
    EXPECT_EQ(Text(c.accepted ? c.rect : wxRect(400, 300, 400, 300)),
              Text(frame_->GetRect()));
  }
}

TEST_F(FrameChromeTest, EachBorderResizesAroundTheOppositeCorner) {
  MakeChrome();
  // The frame is (400, 300) to (800, 600).
  struct Case {
    const char* name;
    int kind;
    wxPoint mouse;
    wxRect expected;
  };
  const Case cases[] = {
      {"top-left", 0, {350, 250}, {350, 250, 450, 350}},
      {"top", 1, {1000, 250}, {400, 250, 400, 350}},
      {"top-right", 2, {850, 250}, {400, 250, 450, 350}},
      {"left", 3, {350, 5}, {350, 300, 450, 300}},
      {"right", 4, {850, 5}, {400, 300, 450, 300}},
      {"bottom-left", 5, {350, 700}, {350, 300, 450, 400}},
      {"bottom", 6, {5, 700}, {400, 300, 400, 400}},
      {"bottom-right", 7, {850, 700}, {400, 300, 450, 400}},
      {"bottom-right, height below the minimum", 7, {850, 420},
       {400, 300, 400, 300}},
      {"top-left past the opposite corner", 0, {900, 700},
       {400, 300, 400, 300}},
      {"left, width below the minimum", 3, {650, 5}, {400, 300, 400, 300}},
      {"top, off the top of the screen", 1, {500, -5}, {400, 300, 400, 300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetFrame();
    DragBorder(borders_[c.kind], c.mouse);
    EXPECT_EQ(Text(c.expected), Text(frame_->GetRect()));
  }
}

// ------------------------------------------- maximise, minimise, close

TEST_F(FrameChromeTest, MaximiseTwiceReturnsTheFormerSize) {
  MakeChrome();
  const wxRect former = frame_->GetRect();
  const wxRect area = wxDisplay(frame_).GetClientArea();
  ASSERT_NE(former, area);

  Click(title_bar_->maximize_button());
  EXPECT_TRUE(frame_->IsMaximized());
  EXPECT_EQ(Text(area), Text(frame_->GetRect()));
  EXPECT_FALSE(title_bar_->maximize_button()->IsShown());
  EXPECT_TRUE(title_bar_->restore_button()->IsShown());
  // The title bar follows the new width.
  testsupport::RunLoopUntil([&] {
    return title_bar_->close_button()->GetScreenPosition().x >
           former.GetRight();
  });

  // Neither dragging the title bar nor a border changes a maximised frame.
  DragFrameTo(title_bar_, wxPoint(100, 100));
  Release(title_bar_);
  DragBorder(borders_[7], wxPoint(700, 500));
  DragBorder(borders_[0], wxPoint(50, 50));
  EXPECT_EQ(Text(area), Text(frame_->GetRect()));

  Click(title_bar_->restore_button());
  EXPECT_FALSE(frame_->IsMaximized());
  EXPECT_EQ(Text(former), Text(frame_->GetRect()));
  EXPECT_TRUE(title_bar_->maximize_button()->IsShown());
  EXPECT_FALSE(title_bar_->restore_button()->IsShown());

  // And once more through the maximise button.
  Click(title_bar_->maximize_button());
  EXPECT_EQ(Text(area), Text(frame_->GetRect()));
  Click(title_bar_->restore_button());
  EXPECT_EQ(Text(former), Text(frame_->GetRect()));
}

TEST_F(FrameChromeTest, DoubleClickOnTheTitleTogglesMaximised) {
  MakeChrome();
  const wxRect former = frame_->GetRect();
  SendMouse(title_bar_, wxEVT_LEFT_DCLICK, wxPoint(100, 8), true);
  EXPECT_TRUE(frame_->IsMaximized());
  EXPECT_TRUE(title_bar_->restore_button()->IsShown());
  SendMouse(title_bar_->title_text(), wxEVT_LEFT_DCLICK, wxPoint(2, 2), true);
  EXPECT_FALSE(frame_->IsMaximized());
  EXPECT_EQ(Text(former), Text(frame_->GetRect()));
  EXPECT_TRUE(title_bar_->maximize_button()->IsShown());
}

TEST_F(FrameChromeTest, MinimiseAsksOnceUnlessAlreadyMinimised) {
  MakeChrome();
  Click(title_bar_->minimize_button());
  EXPECT_EQ(1, frame_->iconize_calls);
  frame_->pretend_iconized = true;
  Click(title_bar_->minimize_button());
  EXPECT_EQ(1, frame_->iconize_calls);
}

TEST_F(FrameChromeTest, CloseBoxAsksTheFrameToCloseAndMayBeVetoed) {
  MakeChrome();
  int close_events = 0;
  bool could_veto = false;
  frame_->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& event) {
    ++close_events;
    could_veto = event.CanVeto();
    event.Veto();
  });
  Click(title_bar_->close_button());
  EXPECT_EQ(1, close_events);
  EXPECT_TRUE(could_veto);
  testsupport::RunLoopFor(30);
  EXPECT_TRUE(frame_->IsShown());
}

// ------------------------------------------------------ registrations

TEST_F(FrameChromeTest, ClassesAreRegisteredForDynamicCreation) {
  struct Case {
    const char* name;
    const char* base;
  };
  const Case cases[] = {
      {"ZLResizableFrameBase", "wxFrame"}, {"ZLTitleBar", "wxPanel"},
      {"ZLBorder", "wxPanel"},             {"ZLButton", "wxControl"},
      {"DhBitmapButton", "wxControl"},     {"DhWordButton", "wxControl"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const wxClassInfo* info = wxClassInfo::FindClass(c.name);
    ASSERT_NE(nullptr, info);
    EXPECT_STREQ(c.base, wxString(info->GetBaseClassName1()).utf8_str().data());
    EXPECT_TRUE(info->IsDynamic());
    wxObject* object = info->CreateObject();
    ASSERT_NE(nullptr, object);
    EXPECT_TRUE(object->IsKindOf(info));
    delete object;
  }
}

}  // namespace
