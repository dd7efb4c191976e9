// The mouse state machines of the three skinned buttons: which sequences
// of mouse events click, sent as the toolkit hands them to the button, and
// a real click through the X server.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/settings.h>
#include <wx/uiaction.h>

#include <vector>

#include "chrome_test_util.h"
#include "test_support.h"
#include "window/base/dh_bitmap_button.h"
#include "window/base/dh_word_button.h"
#include "window/base/zl_button.h"

namespace {

using chrome_test::NewSolid;
using chrome_test::SendMouse;
using chrome_test::Solid;

enum class Kind { kZLButton, kDhBitmapButton, kDhWordButton };

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kZLButton: return "ZLButton";
    case Kind::kDhBitmapButton: return "DhBitmapButton";
    case Kind::kDhWordButton: return "DhWordButton";
  }
  return "?";
}

const int kButtonId = 4711;

wxControl* MakeButton(Kind kind, wxWindow* parent, const wxPoint& pos) {
  switch (kind) {
    case Kind::kZLButton:
      return new ZLButton(nullptr, NewSolid(40, 24, *wxRED),
                          NewSolid(40, 24, *wxGREEN),
                          NewSolid(40, 24, *wxBLUE), parent, kButtonId, pos);
    case Kind::kDhBitmapButton: {
      DhBitmapButton* button = new DhBitmapButton(
          parent, kButtonId, pos, wxSize(40, 24), wxBORDER_NONE);
      button->set_normal_bitmap(NewSolid(40, 24, *wxRED))
          ->set_down_bitmap(NewSolid(40, 24, *wxBLUE))
          ->set_enter_bitmap(NewSolid(40, 24, *wxGREEN));
      return button;
    }
    case Kind::kDhWordButton: {
      DhWordButton* button = new DhWordButton;
      button->Create(parent, kButtonId, pos);
      wxBitmap normal = Solid(30, 24, *wxRED);
      wxBitmap enter = Solid(30, 24, *wxGREEN);
      wxBitmap down = Solid(30, 24, *wxBLUE);
      button->SetStatusBitmap(normal, 6, 10, enter, down);
      button->SetBackgroundColour(*wxWHITE);
      button->SetText("Export",
                      wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
      return button;
    }
  }
  return nullptr;
}

enum Step { kEnter, kLeave, kDown, kUp, kDClick };

void Apply(wxControl* button, Step step) {
  const wxPoint inside(5, 5);
  switch (step) {
    case kEnter: SendMouse(button, wxEVT_ENTER_WINDOW, inside); break;
    // Leaving and releasing happen outside the button.
    case kLeave: SendMouse(button, wxEVT_LEAVE_WINDOW, wxPoint(-10, 5), true); break;
    case kDown: SendMouse(button, wxEVT_LEFT_DOWN, inside, true); break;
    case kUp: SendMouse(button, wxEVT_LEFT_UP, inside); break;
    case kDClick: SendMouse(button, wxEVT_LEFT_DCLICK, inside, true); break;
  }
}

struct Sequence {
  const char* name;
  std::vector<Step> steps;
  int zl_clicks;  // ZLButton has no double-click handler
  int dh_clicks;
};

const Sequence kSequences[] = {
    {"enter, press, release", {kEnter, kDown, kUp}, 1, 1},
    {"press, release without enter", {kDown, kUp}, 1, 1},
    {"press, leave, release outside", {kEnter, kDown, kLeave, kUp}, 0, 0},
    {"press, leave, enter again, release",
     {kEnter, kDown, kLeave, kEnter, kUp}, 0, 0},
    {"release without press", {kEnter, kUp}, 0, 0},
    {"release twice after one press", {kEnter, kDown, kUp, kUp}, 1, 1},
    {"double click", {kEnter, kDown, kUp, kDClick, kUp}, 1, 2},
    {"two separate clicks", {kEnter, kDown, kUp, kDown, kUp}, 2, 2},
};

class ButtonStateTest : public chrome_test::ChromeTest,
                        public ::testing::WithParamInterface<Kind> {
 protected:
  void SetUp() override {
    ChromeTest::SetUp();
    frame_ = ShowFrame(wxPoint(60, 60), wxSize(200, 120));
    button_ = MakeButton(GetParam(), frame_, wxPoint(20, 20));
    frame_->Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
      ++clicks_;
      last_id_ = event.GetId();
      last_object_ = event.GetEventObject();
    });
    testsupport::RunLoopFor(30);
  }

  wxFrame* frame_ = nullptr;
  wxControl* button_ = nullptr;
  int clicks_ = 0;
  int last_id_ = 0;
  wxObject* last_object_ = nullptr;
};

TEST_P(ButtonStateTest, MouseSequencesClickOnlyOnReleaseOfAnUnbrokenPress) {
  for (const Sequence& sequence : kSequences) {
    SCOPED_TRACE(sequence.name);
    // Start each sequence from the pointer being outside.
    Apply(button_, kLeave);
    clicks_ = 0;
    last_object_ = nullptr;
    for (Step step : sequence.steps) Apply(button_, step);
    const int expected = GetParam() == Kind::kZLButton ? sequence.zl_clicks
                                                       : sequence.dh_clicks;
    EXPECT_EQ(expected, clicks_);
    if (expected > 0) {
      // The click travels up from the button like a native button's.
      EXPECT_EQ(kButtonId, last_id_);
      EXPECT_EQ(button_, last_object_);
    }
  }
}

TEST_P(ButtonStateTest, DisabledButtonIsNotClickedThroughTheServer) {
  wxUIActionSimulator sim;
  const wxPoint centre =
      button_->ClientToScreen(wxPoint(button_->GetSize().x / 2,
                                      button_->GetSize().y / 2));
  button_->Disable();
  testsupport::RunLoopFor(30);
  sim.MouseMove(centre);
  testsupport::RunLoopFor(50);
  sim.MouseClick();
  testsupport::RunLoopFor(150);
  EXPECT_EQ(0, clicks_);
}

TEST_P(ButtonStateTest, RealClickSendsExactlyOneEvent) {
  wxUIActionSimulator sim;
  // From outside the window onto the button's centre, as a user would.
  sim.MouseMove(wxPoint(5, 5));
  testsupport::RunLoopFor(50);
  const wxPoint centre =
      button_->ClientToScreen(wxPoint(button_->GetSize().x / 2,
                                      button_->GetSize().y / 2));
  sim.MouseMove(centre);
  testsupport::RunLoopFor(50);
  sim.MouseClick();
  EXPECT_TRUE(testsupport::RunLoopUntil([this] { return clicks_ > 0; }, 3000));
  testsupport::RunLoopFor(150);
  EXPECT_EQ(1, clicks_);
  EXPECT_EQ(button_, last_object_);

  // Pressing on the button and releasing after leaving it sends nothing.
  clicks_ = 0;
  sim.MouseDown();
  testsupport::RunLoopFor(50);
  sim.MouseMove(button_->ClientToScreen(wxPoint(-15, -15)));
  testsupport::RunLoopFor(50);
  sim.MouseUp();
  testsupport::RunLoopFor(150);
  EXPECT_EQ(0, clicks_);
}

INSTANTIATE_TEST_SUITE_P(AllButtons, ButtonStateTest,
                         ::testing::Values(Kind::kZLButton,
                                           Kind::kDhBitmapButton,
                                           Kind::kDhWordButton),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                           return std::string(KindName(info.param));
                         });

}  // namespace
