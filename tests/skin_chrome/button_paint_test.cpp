// What ZLButton and DhBitmapButton show in each state, read back from the
// screen.
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <functional>
#include <vector>

#include "chrome_test_util.h"
#include "test_support.h"
#include "window/base/dh_bitmap_button.h"
#include "window/base/zl_button.h"

namespace {

using chrome_test::Describe;
using chrome_test::NewSolid;
using chrome_test::Picture;
using chrome_test::SendMouse;
using chrome_test::Solid;
using chrome_test::WaitForWindowPixel;
using chrome_test::WindowPixel;

const wxColour kRed(255, 0, 0);
const wxColour kGreen(0, 255, 0);
const wxColour kBlue(0, 0, 255);
const wxColour kGrey(128, 128, 128);
const wxColour kMagenta(255, 0, 255);

// Opaque colour on the right half, fully transparent on the left.
wxBitmap* NewRightHalf(int width, int height, const wxColour& colour) {
  return new wxBitmap(Picture(
      width, height, [&](int, int) { return colour; },
      [width](int x, int) { return x < width / 2 ? 0 : 255; }));
}

enum Action { kNone, kEnter, kLeave, kDown, kUp, kDisable, kEnable };

void Do(wxControl* button, Action action) {
  switch (action) {
    case kNone: break;
    case kEnter: SendMouse(button, wxEVT_ENTER_WINDOW, wxPoint(3, 3)); break;
    case kLeave: SendMouse(button, wxEVT_LEAVE_WINDOW, wxPoint(-3, 3)); break;
    case kDown: SendMouse(button, wxEVT_LEFT_DOWN, wxPoint(3, 3), true); break;
    case kUp: SendMouse(button, wxEVT_LEFT_UP, wxPoint(3, 3)); break;
    case kDisable: button->Disable(); break;
    case kEnable: button->Enable(); break;
  }
}

struct Look {
  const char* name;
  Action action;
  wxColour left;   // where the state picture is transparent
  wxColour right;  // where it is opaque
};

class ButtonPaintTest : public chrome_test::ChromeTest {
 protected:
  void SetUp() override {
    ChromeTest::SetUp();
    frame_ = ShowFrame(wxPoint(80, 80), wxSize(240, 120));
    frame_->SetBackgroundColour(wxColour(20, 20, 20));
  }

  void CheckLooks(wxControl* button, const std::vector<Look>& looks) {
    const wxSize size = button->GetSize();
    const wxPoint left(size.x / 4, size.y / 2);
    const wxPoint right(3 * size.x / 4, size.y / 2);
    for (const Look& look : looks) {
      SCOPED_TRACE(look.name);
      Do(button, look.action);
      testsupport::RunLoopUntil([&] {
        return WindowPixel(button, right.x, right.y) == look.right &&
               WindowPixel(button, left.x, left.y) == look.left;
      });
      EXPECT_EQ(Describe(look.right),
                Describe(WindowPixel(button, right.x, right.y)));
      EXPECT_EQ(Describe(look.left),
                Describe(WindowPixel(button, left.x, left.y)));
    }
  }

  wxFrame* frame_ = nullptr;
  wxBitmap disable_picture_ = Solid(40, 24, kGrey);
};

TEST_F(ButtonPaintTest, ZLButtonDrawsStatePictureOverNormal) {
  // Hover and pressed pictures are half transparent: the normal picture
  // shows through on their left half.
  ZLButton* button = new ZLButton(
      nullptr, NewSolid(40, 24, kRed), NewRightHalf(40, 24, kGreen),
      NewRightHalf(40, 24, kBlue), frame_, wxID_ANY, wxPoint(10, 10), nullptr,
      NewSolid(40, 24, kGrey));
  EXPECT_EQ(wxSize(40, 24), button->GetSize());
  EXPECT_EQ(wxSize(40, 24), button->GetBestSize());
  CheckLooks(button, {
                         {"normal", kNone, kRed, kRed},
                         {"hover", kEnter, kRed, kGreen},
                         {"pressed", kDown, kRed, kBlue},
                         {"released over the button", kUp, kRed, kGreen},
                         {"left", kLeave, kRed, kRed},
                         {"disabled", kDisable, kGrey, kGrey},
                         {"disabled and hovered", kEnter, kGrey, kGrey},
                         {"enabled again while hovered", kEnable, kRed, kGreen},
                     });
}

TEST_F(ButtonPaintTest, ZLButtonWithoutStatePicturesKeepsNormal) {
  ZLButton* button = new ZLButton(nullptr, NewSolid(40, 24, kRed), nullptr,
                                  nullptr, frame_, wxID_ANY, wxPoint(10, 10));
  CheckLooks(button, {
                         {"hover", kEnter, kRed, kRed},
                         {"pressed", kDown, kRed, kRed},
                         {"disabled", kDisable, kRed, kRed},
                     });
}

TEST_F(ButtonPaintTest, DhBitmapButtonStatesAndBackground) {
  DhBitmapButton* button = new DhBitmapButton(
      frame_, wxID_ANY, wxPoint(10, 10), wxSize(40, 24), wxBORDER_NONE);
  button->set_normal_bitmap(NewRightHalf(40, 24, kBlue))
      ->set_down_bitmap(NewSolid(40, 24, kMagenta))
      ->set_disable_bitmap(&disable_picture_);
  const wxColour plain(200, 180, 40);
  button->SetBackgroundColour(plain);
  button->Refresh();
  CheckLooks(button, {
                         {"normal over the colour", kNone, plain, kBlue},
                         {"pressed", kDown, kMagenta, kMagenta},
                         {"released", kUp, plain, kBlue},
                         {"left", kLeave, plain, kBlue},
                         {"disabled", kDisable, kGrey, kGrey},
                         {"enabled", kEnable, plain, kBlue},
                     });

  // A background picture replaces the colour, and a colour replaces it.
  const wxColour cyan(0, 200, 200);
  button->set_background(Solid(40, 24, cyan));
  button->Refresh();
  CheckLooks(button, {{"over the background picture", kNone, cyan, kBlue}});
  const wxColour other(90, 60, 30);
  button->SetBackgroundColour(other);
  button->Refresh();
  CheckLooks(button, {{"over the colour again", kNone, other, kBlue}});
}

TEST_F(ButtonPaintTest, DhBitmapButtonMarksAMissingHoverPicture) {
  DhBitmapButton* button = new DhBitmapButton(
      frame_, wxID_ANY, wxPoint(10, 10), wxSize(40, 24), wxBORDER_NONE);
  button->set_normal_bitmap(NewSolid(40, 24, kBlue));
  Do(button, kEnter);
  ASSERT_TRUE(WaitForWindowPixel(button, 0, 0, kRed));
  // A one-pixel red frame around the normal picture.
  for (const wxPoint& edge : {wxPoint(0, 0), wxPoint(39, 0), wxPoint(0, 23),
                              wxPoint(39, 23), wxPoint(20, 0), wxPoint(0, 12)})
    EXPECT_EQ(Describe(kRed), Describe(WindowPixel(button, edge.x, edge.y)))
        << edge.x << "," << edge.y;
  EXPECT_EQ(Describe(kBlue), Describe(WindowPixel(button, 1, 1)));
  EXPECT_EQ(Describe(kBlue), Describe(WindowPixel(button, 20, 12)));

  // With a hover picture there is no frame.
  button->set_enter_bitmap(NewSolid(40, 24, kGreen));
  button->Refresh();
  ASSERT_TRUE(WaitForWindowPixel(button, 0, 0, kGreen));
}

// Tiles of 7 by 5 pixels, whose neighbouring pixels all differ: a tile
// laid from the wrong corner, or a piece drawn at the wrong place, shows.
wxColour FirstTile(int x, int y) {
  x %= 7;
  y %= 5;
  return wxColour(10 + 30 * x, 20 + 40 * y, 5 * (x + y));
}
wxColour SecondTile(int x, int y) {
  x %= 7;
  y %= 5;
  return wxColour(200 - 25 * x, 30 + 35 * y, 250);
}

TEST_F(ButtonPaintTest, ZLButtonCutsTheParentsTileUnderItOnceUntilItChanges) {
  wxBitmap tile = Picture(7, 5, FirstTile);
  std::function<wxColour(int, int)> tile_colour = FirstTile;
  // Transparent: only the background shows.
  ZLButton* button = new ZLButton(
      &tile,
      new wxBitmap(Picture(
          20, 12, [](int, int) { return *wxBLACK; },
          [](int, int) { return 0; })),
      nullptr, nullptr, frame_, wxID_ANY, wxPoint(10, 8));
  int erases = 0;
  button->Bind(wxEVT_ERASE_BACKGROUND, [&](wxEraseEvent& event) {
    ++erases;
    event.Skip();
  });

  // Pixels of the button's part inside the frame that differ from the tile
  // laid from the frame's corner.
  auto screen_mismatches = [&] {
    const wxRect visible = button->GetRect().Intersect(
        wxRect(frame_->GetClientSize()));
    int wrong = 0;
    testsupport::RunLoopUntil([&] {
      const wxImage image = chrome_test::GrabScreen(
          wxRect(frame_->ClientToScreen(visible.GetTopLeft()),
                 visible.GetSize()));
      wrong = 0;
      for (int y = 0; y < visible.height; ++y)
        for (int x = 0; x < visible.width; ++x)
          if (wxColour(image.GetRed(x, y), image.GetGreen(x, y),
                       image.GetBlue(x, y)) !=
              tile_colour(visible.x + x, visible.y + y))
            ++wrong;
      return wrong == 0;
    });
    return wrong;
  };

  struct Step {
    const char* name;
    std::function<void()> change;
    bool cut_again;
    wxPoint piece_origin;
  } steps[] = {
      {"first paint", [] {}, true, wxPoint(0, 0)},
      {"repaint", [] {}, false, wxPoint(0, 0)},
      {"moved by a pixel", [&] { button->Move(11, 8); }, true, wxPoint(0, 0)},
      {"resized", [&] { button->SetSize(24, 12); }, true, wxPoint(0, 0)},
      {"the parent's tile replaced",
       [&] {
         tile = Picture(7, 5, SecondTile);
         tile_colour = SecondTile;
       },
       true, wxPoint(0, 0)},
      {"left of and above the parent's origin",
       [&] { button->Move(-5, -3); }, true, wxPoint(5, 3)},
      {"repaint there", [] {}, false, wxPoint(5, 3)},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const wxBitmap before = button->background_piece().piece();
    step.change();
    const int erased = erases;
    button->Refresh();
    ASSERT_TRUE(testsupport::RunLoopUntil([&] { return erases > erased; }));
    const DhBackgroundPiece& piece = button->background_piece();
    ASSERT_TRUE(piece.piece().IsOk());
    EXPECT_EQ(!piece.piece().IsSameAs(before), step.cut_again);
    EXPECT_EQ(piece.piece_rect(), button->GetRect());
    EXPECT_EQ(piece.piece_origin(), step.piece_origin);
    EXPECT_EQ(screen_mismatches(), 0);
  }
}

}  // namespace
