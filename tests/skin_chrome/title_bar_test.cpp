// ZLTitleBar: where its children go, its best size, its colours and the
// background continuing through its buttons and icon.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/generic/statbmpg.h>
#include <wx/stattext.h>

#include <string>

#include "chrome_test_util.h"
#include "common/domain_face.h"
#include "test_support.h"
#include "window/base/zl_button.h"
#include "window/base/zl_title_bar.h"

namespace {

using chrome_test::Describe;
using chrome_test::NewSolid;
using chrome_test::Picture;
using chrome_test::WaitForWindowPixel;
using chrome_test::WindowPixel;

// Three columns, two rows, every pixel different.
wxColour TileColour(int x, int y) {
  const unsigned char dim = static_cast<unsigned char>(40 * (y % 2));
  const int column = x % 3;
  return wxColour(column == 0 ? 200 : dim, column == 1 ? 200 : dim,
                  column == 2 ? 200 : dim);
}

wxBitmap* NewTile() {
  return new wxBitmap(Picture(3, 2, TileColour));
}

// Opaque on the right half only, so the background shows on the left.
wxBitmap* NewHalf(int width, int height, const wxColour& colour) {
  return new wxBitmap(Picture(
      width, height, [&](int, int) { return colour; },
      [width](int x, int) { return x < width / 2 ? 0 : 255; }));
}

ZLTitleBar* NewTitleBar(int style, wxWindow* parent, const wxSize& size,
                        bool half_transparent = false) {
  // Created with the default size, as the main frame does, so that its
  // best size is not raised to a minimum size.
  auto picture = [half_transparent](int w, int h, const wxColour& c) {
    return half_transparent ? NewHalf(w, h, c) : NewSolid(w, h, c);
  };
  const wxColour grey(90, 90, 90);
  ZLTitleBar* bar = new ZLTitleBar(
      style, NewTile(), picture(16, 16, *wxBLUE),
      picture(16, 14, grey), picture(16, 14, grey), picture(16, 14, grey),
      picture(18, 16, grey), picture(18, 16, grey), picture(18, 16, grey),
      picture(20, 16, grey), picture(20, 16, grey), picture(20, 16, grey),
      picture(22, 18, grey), picture(22, 18, grey), picture(22, 18, grey),
      parent, wxID_ANY, "Title", wxPoint(0, 0), wxDefaultSize, wxSize(6, 3),
      wxSize(7, 2), 4, 2);
  bar->SetSize(size);
  return bar;
}

class TitleBarTest : public chrome_test::ChromeTest {
 protected:
  void SetUp() override {
    ChromeTest::SetUp();
    frame_ = ShowFrame(wxPoint(50, 50), wxSize(520, 80));
  }
  wxFrame* frame_ = nullptr;
};

struct LayoutCase {
  const char* name;
  int style;
  int bar_width;
  bool icon_shown;
  wxPoint icon, title, close, maximize, restore, minimize;
};

TEST_F(TitleBarTest, ChildrenArePlacedFromTheMarginsAndGaps) {
  // Icon 16x16, minimise 16x14, maximise 18x16, restore 20x16, close
  // 22x18; left margin 6 (top 3), right margin 7 (button top 2), icon gap
  // 4, button gap 2; the title text is 16 high.
  const LayoutCase cases[] = {
      {"icon, centred", 3, 400, true, {6, 7}, {26, 7}, {371, 6}, {351, 7},
       {351, 7}, {333, 8}},
      {"icon, fixed tops", 1, 400, true, {6, 3}, {26, 3}, {371, 2}, {351, 2},
       {351, 2}, {333, 2}},
      {"no icon, centred", 2, 400, false, {0, 0}, {6, 7}, {371, 6}, {351, 7},
       {351, 7}, {333, 8}},
      {"no icon, fixed tops", 0, 400, false, {0, 0}, {6, 3}, {371, 2},
       {351, 2}, {351, 2}, {333, 2}},
      {"icon, centred, wider bar", 3, 500, true, {6, 7}, {26, 7}, {471, 6},
       {451, 7}, {451, 7}, {433, 8}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    ZLTitleBar* bar = NewTitleBar(c.style, frame_, wxSize(400, 30));
    // A resize lays the children out again.
    bar->SetSize(c.bar_width, 30);
    testsupport::RunLoopUntil(
        [&] { return bar->close_button()->GetPosition() == c.close; }, 1000);
    ASSERT_EQ(16, bar->title_text()->GetSize().y);
    EXPECT_EQ(c.icon_shown, bar->icon()->IsShown());
    if (c.icon_shown) {
      EXPECT_EQ(c.icon, bar->icon()->GetPosition());
      EXPECT_EQ(wxSize(16, 16), bar->icon()->GetSize());
    }
    EXPECT_EQ(c.title, bar->title_text()->GetPosition());
    EXPECT_EQ(c.close, bar->close_button()->GetPosition());
    EXPECT_EQ(c.maximize, bar->maximize_button()->GetPosition());
    EXPECT_EQ(c.restore, bar->restore_button()->GetPosition());
    EXPECT_EQ(c.minimize, bar->minimize_button()->GetPosition());

    const int title_width = bar->title_text()->GetSize().x;
    const int icon_part = c.icon_shown ? 16 + 4 : 0;
    EXPECT_EQ(wxSize(6 + icon_part + title_width + 16 + 18 + 22 + 2 * 2 + 7,
                     -1),
              bar->GetBestSize());
    bar->Destroy();
  }
}

TEST_F(TitleBarTest, StartsWithMaximiseShownAndRestoreHidden) {
  ZLTitleBar* bar = NewTitleBar(3, frame_, wxSize(400, 30));
  EXPECT_EQ(ZLTitleBar::kCloseBoxId, bar->close_button()->GetId());
  EXPECT_EQ(ZLTitleBar::kMaximizeBoxId, bar->maximize_button()->GetId());
  EXPECT_EQ(ZLTitleBar::kRestoreBoxId, bar->restore_button()->GetId());
  EXPECT_EQ(ZLTitleBar::kMinimizeBoxId, bar->minimize_button()->GetId());
  EXPECT_EQ(10001, ZLTitleBar::kCloseBoxId);
  EXPECT_EQ(10004, ZLTitleBar::kMinimizeBoxId);
  EXPECT_TRUE(bar->maximize_button()->IsShown());
  EXPECT_FALSE(bar->restore_button()->IsShown());
  EXPECT_EQ("Title", bar->title_text()->GetLabel());
  EXPECT_EQ(nullptr, bar->owner_);
  EXPECT_FALSE(bar->active_);
}

TEST_F(TitleBarTest, TitleColourComesFromTheFace) {
  const wxString key = kFaceTitleTextColour;
  (*gFaceConfigMap)[key] = new wxRect(10, 20, 300, 0);
  ZLTitleBar* bar = NewTitleBar(3, frame_, wxSize(400, 30));
  EXPECT_EQ(wxColour(10, 20, 44), bar->title_text()->GetForegroundColour());
  gFaceConfigMap->erase(key);
  // Without the key the title is black.
  ZLTitleBar* plain = NewTitleBar(3, frame_, wxSize(400, 30));
  EXPECT_EQ(*wxBLACK, plain->title_text()->GetForegroundColour());
}

TEST_F(TitleBarTest, BackgroundTextureRunsOnThroughButtonsAndIcon) {
  ZLTitleBar* bar = NewTitleBar(3, frame_, wxSize(400, 30), true);
  // A further button on the bar, sharing a copy of its tile.
  wxBitmap tile(Picture(3, 2, TileColour));
  ZLButton* extra = new ZLButton(&tile, NewHalf(12, 10, *wxRED), nullptr,
                                 nullptr, bar, wxID_ANY, wxPoint(40, 5));
  ASSERT_TRUE(WaitForWindowPixel(extra, 8, 5, *wxRED));
  ASSERT_TRUE(WaitForWindowPixel(bar, 2, 2, TileColour(2, 2)));

  struct Spot {
    const char* name;
    wxWindow* window;
    int width, height;
  };
  const Spot spots[] = {
      {"bar", bar, 6, 30},
      {"button at (40, 5)", extra, 6, 10},
      {"close button", bar->close_button(), 11, 18},
      {"icon", bar->icon(), 8, 16},
  };
  for (const Spot& spot : spots) {
    SCOPED_TRACE(spot.name);
    const wxPoint origin = spot.window == bar ? wxPoint(0, 0)
                                              : spot.window->GetPosition();
    for (int y = 0; y < spot.height; ++y)
      for (int x = 0; x < spot.width; ++x)
        ASSERT_EQ(Describe(TileColour(origin.x + x, origin.y + y)),
                  Describe(WindowPixel(spot.window, x, y)))
            << "at " << x << "," << y;
  }
  EXPECT_EQ(Describe(*wxRED), Describe(WindowPixel(extra, 11, 9)));
  extra->Destroy();
}

}  // namespace
