// DhWordButton: size and caption position from its pieces and caption,
// the assembled state pictures and the three background modes, read back
// from the screen.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/settings.h>

#include <string>
#include <vector>

#include "chrome_test_util.h"
#include "test_support.h"
#include "window/base/dh_word_button.h"

namespace {

using chrome_test::Describe;
using chrome_test::Picture;
using chrome_test::SendMouse;
using chrome_test::Solid;
using chrome_test::WaitForWindowPixel;
using chrome_test::WindowPixel;

const wxColour kRed(255, 0, 0);
const wxColour kGreen(0, 255, 0);
const wxColour kBlue(0, 0, 255);
const wxColour kWhite(255, 255, 255);

// A state picture whose left cap, middle and right cap have their own
// colours, so that the assembled picture shows where each piece went.
wxBitmap ThreePart(int width, int height, int left, int middle,
                   const wxColour& left_colour, const wxColour& middle_colour,
                   const wxColour& right_colour) {
  return Picture(width, height, [=](int x, int) {
    if (x < left) return left_colour;
    if (x < left + middle) return middle_colour;
    return right_colour;
  });
}

wxFont CaptionFont() {
  return wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
}

class WordButtonTest : public chrome_test::ChromeTest {
 protected:
  void SetUp() override {
    ChromeTest::SetUp();
    frame_ = ShowFrame(wxPoint(70, 70), wxSize(420, 160));
    frame_->SetBackgroundColour(wxColour(30, 30, 30));
  }

  DhWordButton* NewButton(const wxPoint& pos, wxWindow* parent = nullptr) {
    DhWordButton* button = new DhWordButton;
    EXPECT_TRUE(button->Create(parent ? parent : frame_, wxID_ANY, pos));
    return button;
  }

  wxFrame* frame_ = nullptr;
};

struct Geometry {
  int width, height, left, middle;
  const char* caption;
};

TEST_F(WordButtonTest, SizeAndCaptionFollowPiecesAndCaptionWidth) {
  const Geometry cases[] = {
      {60, 30, 8, 40, "Export"},
      {40, 20, 10, 5, "A somewhat longer caption"},
      {21, 26, 3, 3, "W"},
  };
  int y = 5;
  for (const Geometry& g : cases) {
    SCOPED_TRACE(g.caption);
    DhWordButton* button = NewButton(wxPoint(5, y));
    y += g.height + 5;
    wxBitmap normal = ThreePart(g.width, g.height, g.left, g.middle, kRed,
                                kGreen, kBlue);
    button->SetStatusBitmap(normal, g.left, g.middle, wxNullBitmap,
                            wxNullBitmap);
    button->SetBackgroundColour(kWhite);
    button->text_y_ = 4;
    button->SetForegroundColour(kWhite);
    button->SetText(g.caption, CaptionFont());

    const int caption_width = button->GetTextExtent(g.caption).x;
    ASSERT_GT(caption_width, 0);
    const int right = g.width - g.left - g.middle;
    EXPECT_EQ(wxSize(g.left + caption_width + right, g.height),
              button->GetSize());
    EXPECT_EQ(button->GetSize(), button->GetBestSize());
    EXPECT_EQ(wxPoint(5, y - g.height - 5), button->GetPosition());
    EXPECT_EQ(g.left, button->text_x());

    // The top row holds no caption: left cap, stretched middle, right cap.
    ASSERT_TRUE(WaitForWindowPixel(button, 0, 0, kRed));
    struct Zone { int from, to; wxColour colour; };
    const Zone zones[] = {{0, g.left, kRed},
                          {g.left, g.left + caption_width, kGreen},
                          {g.left + caption_width,
                           g.left + caption_width + right, kBlue}};
    for (const Zone& zone : zones) {
      for (int x = zone.from; x < zone.to; ++x)
        ASSERT_EQ(Describe(zone.colour), Describe(WindowPixel(button, x, 0)))
            << "x = " << x;
    }
    // The caption is drawn in the foreground colour from x = left cap.
    wxImage shot = chrome_test::GrabScreen(
        wxRect(button->GetScreenPosition(), button->GetSize()));
    int caption_pixels = 0;
    int stray_pixels = 0;
    for (int py = 1; py < g.height; ++py) {
      for (int px = 0; px < shot.GetWidth(); ++px) {
        const bool whitish = shot.GetRed(px, py) > 200 &&
                             shot.GetGreen(px, py) > 200 &&
                             shot.GetBlue(px, py) > 200;
        if (!whitish) continue;
        if (px >= g.left - 1 && px <= g.left + caption_width)
          ++caption_pixels;
        else
          ++stray_pixels;
      }
    }
    EXPECT_GT(caption_pixels, 0);
    EXPECT_EQ(0, stray_pixels);
  }
}

TEST_F(WordButtonTest, NewCaptionRebuildsThePictures) {
  DhWordButton* button = NewButton(wxPoint(10, 10));
  wxBitmap normal = ThreePart(60, 30, 8, 40, kRed, kGreen, kBlue);
  button->SetStatusBitmap(normal, 8, 40, wxNullBitmap, wxNullBitmap);
  button->SetText("Go", CaptionFont());
  const int short_width = button->GetSize().x;
  // A change of language gives a new caption.
  const wxString longer = "Exportieren nach";
  button->SetText(longer, CaptionFont());
  EXPECT_EQ(8 + button->GetTextExtent(longer).x + 12, button->GetSize().x);
  EXPECT_GT(button->GetSize().x, short_width);
  const int right_edge = button->GetSize().x - 1;
  ASSERT_TRUE(WaitForWindowPixel(button, right_edge, 0, kBlue));
  EXPECT_EQ(Describe(kGreen),
            Describe(WindowPixel(button, right_edge - 12, 0)));
}

TEST_F(WordButtonTest, StatePicturesFollowTheMouseAndDisabling) {
  DhWordButton* button = NewButton(wxPoint(10, 10));
  wxBitmap normal = ThreePart(30, 24, 6, 10, kRed, kRed, kRed);
  wxBitmap enter = ThreePart(30, 24, 6, 10, kGreen, kGreen, kGreen);
  wxBitmap down = ThreePart(30, 24, 6, 10, kBlue, kBlue, kBlue);
  button->SetStatusBitmap(normal, 6, 10, enter, down);
  button->SetBackgroundColour(kWhite);
  button->SetText("Export", CaptionFont());

  wxImage one(1, 1);
  one.SetRGB(0, 0, 255, 0, 0);
  const wxImage greyed = one.ConvertToDisabled(100);
  const wxColour disabled(greyed.GetRed(0, 0), greyed.GetGreen(0, 0),
                          greyed.GetBlue(0, 0));
  ASSERT_NE(Describe(kRed), Describe(disabled));

  struct Step {
    const char* name;
    wxEventType event;  // 0: disable, 1: enable
    wxColour shown;
  };
  const Step steps[] = {
      {"hover", wxEVT_ENTER_WINDOW, kGreen},
      {"pressed", wxEVT_LEFT_DOWN, kBlue},
      {"released", wxEVT_LEFT_UP, kRed},
      {"pressed by double click", wxEVT_LEFT_DCLICK, kBlue},
      {"left", wxEVT_LEAVE_WINDOW, kRed},
      {"disabled", 0, disabled},
      {"still disabled after leaving", wxEVT_LEAVE_WINDOW, disabled},
      {"enabled", 1, kRed},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.event == 0)
      button->Disable();
    else if (step.event == 1)
      button->Enable();
    else
      SendMouse(button, step.event, wxPoint(2, 2),
                step.event == wxEVT_LEFT_DOWN ||
                    step.event == wxEVT_LEFT_DCLICK);
    WaitForWindowPixel(button, 2, 2, step.shown);
    EXPECT_EQ(Describe(step.shown), Describe(WindowPixel(button, 2, 2)));
  }
}

TEST_F(WordButtonTest, MissingHoverAndPressedPicturesShowNormal) {
  DhWordButton* button = NewButton(wxPoint(10, 10));
  wxBitmap normal = Solid(30, 24, kRed);
  button->SetStatusBitmap(normal, 6, 10, wxNullBitmap, wxNullBitmap);
  button->SetText("Export", CaptionFont());
  SendMouse(button, wxEVT_ENTER_WINDOW, wxPoint(2, 2));
  ASSERT_TRUE(WaitForWindowPixel(button, 2, 2, kRed));
  SendMouse(button, wxEVT_LEFT_DOWN, wxPoint(2, 2), true);
  testsupport::RunLoopFor(50);
  EXPECT_EQ(Describe(kRed), Describe(WindowPixel(button, 2, 2)));
}

TEST_F(WordButtonTest, TransparentPartsOfThePictureShowTheBackground) {
  DhWordButton* button = NewButton(wxPoint(10, 10));
  // Rounded-corner stand-in: the first column and the last column are
  // transparent.
  wxBitmap normal = Picture(
      40, 24, [](int, int) { return kRed; },
      [](int x, int) { return x == 0 || x == 39 ? 0 : 255; });
  button->SetStatusBitmap(normal, 8, 20, wxNullBitmap, wxNullBitmap);
  const wxColour plain(10, 200, 30);
  button->SetBackgroundColour(plain);
  button->SetText("Export", CaptionFont());
  const int last = button->GetSize().x - 1;
  ASSERT_TRUE(WaitForWindowPixel(button, 0, 0, plain));
  EXPECT_EQ(Describe(plain), Describe(WindowPixel(button, last, 5)));
  EXPECT_EQ(Describe(kRed), Describe(WindowPixel(button, 1, 5)));
  EXPECT_EQ(Describe(kRed), Describe(WindowPixel(button, last - 1, 5)));
}

TEST_F(WordButtonTest, TileModeTakesTheRowsAtTheButtonsHeight) {
  // A 42-pixel-high strip whose rows all differ.
  wxBitmap strip = Picture(3, 42, [](int, int y) {
    return wxColour(static_cast<unsigned char>(y * 6), 100,
                    static_cast<unsigned char>(250 - y * 5));
  });
  wxBitmap normal = Picture(
      30, 24, [](int, int) { return kRed; },
      [](int x, int) { return x < 6 ? 0 : 255; });
  DhWordButton* button = NewButton(wxPoint(37, 10));
  button->SetStatusBitmap(normal, 6, 10, wxNullBitmap, wxNullBitmap);
  button->SetBackgroundMode(strip, DhWordButtonBgTile);
  button->SetText("Export", CaptionFont());
  ASSERT_EQ(24, button->GetSize().y);
  ASSERT_TRUE(WaitForWindowPixel(button, 5, 23, wxColour(33 * 6, 100, 250 - 33 * 5)));
  for (int row = 0; row < 24; ++row) {
    const int strip_row = 10 + row;
    const wxColour expected(static_cast<unsigned char>(strip_row * 6), 100,
                            static_cast<unsigned char>(250 - strip_row * 5));
    // The strip repeats from the button's own left edge.
    for (int x : {0, 2, 5})
      EXPECT_EQ(Describe(expected), Describe(WindowPixel(button, x, row)))
          << "row " << row << " x " << x;
  }
  EXPECT_TRUE(TakeAsserts().empty());
}

TEST_F(WordButtonTest, CropModeShowsThePieceUnderTheButton) {
  // A background as large as the parent, every pixel different.
  auto colour_at = [](int x, int y) {
    return wxColour(static_cast<unsigned char>(x), static_cast<unsigned char>(y * 3),
                    77);
  };
  wxBitmap background = Picture(120, 60, colour_at);
  wxBitmap normal = Picture(
      30, 24, [](int, int) { return kRed; },
      [](int x, int) { return x < 6 ? 0 : 255; });
  DhWordButton* button = NewButton(wxPoint(25, 12));
  button->SetStatusBitmap(normal, 6, 10, wxNullBitmap, wxNullBitmap);
  button->SetBackgroundMode(background, DhWordButtonBgCrop);
  button->SetText("Export", CaptionFont());
  ASSERT_TRUE(WaitForWindowPixel(button, 3, 3, colour_at(28, 15)));
  for (int row = 0; row < 24; row += 5)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(Describe(colour_at(25 + x, 12 + row)),
                Describe(WindowPixel(button, x, row)));

  // Moved: the piece is cut again at the new place.
  button->Move(40, 30);
  button->Refresh();
  ASSERT_TRUE(WaitForWindowPixel(button, 3, 3, colour_at(43, 33)));
  EXPECT_EQ(Describe(colour_at(40, 53)), Describe(WindowPixel(button, 0, 23)));
  EXPECT_TRUE(TakeAsserts().empty());
}

TEST_F(WordButtonTest, CropModeClipsAButtonReachingPastTheBackground) {
  auto colour_at = [](int x, int y) {
    return wxColour(static_cast<unsigned char>(100 + x), static_cast<unsigned char>(y * 4), 9);
  };
  // The button at x = 30 is wider than the 40 pixels left of the picture,
  // and reaches below it.
  wxBitmap background = Picture(70, 30, colour_at);
  wxBitmap normal = Picture(
      30, 24, [](int, int) { return kRed; },
      [](int x, int) { return x < 6 ? 0 : 255; });
  DhWordButton* button = NewButton(wxPoint(30, 20));
  button->SetStatusBitmap(normal, 6, 10, wxNullBitmap, wxNullBitmap);
  button->SetBackgroundMode(background, DhWordButtonBgCrop);
  button->SetText("A long caption", CaptionFont());
  ASSERT_GT(30 + button->GetSize().x, 70);
  ASSERT_TRUE(WaitForWindowPixel(button, 2, 2, colour_at(32, 22)));
  EXPECT_EQ(Describe(colour_at(35, 29)), Describe(WindowPixel(button, 5, 9)));
  EXPECT_TRUE(TakeAsserts().empty());
}

TEST_F(WordButtonTest, SetTextBeforePicturesFailsTheAssertion) {
  DhWordButton* button = NewButton(wxPoint(10, 10));
  const wxSize before = button->GetSize();
  button->SetText("Export", CaptionFont());
  std::vector<chrome_test::AssertRecord> asserts = TakeAsserts();
  ASSERT_EQ(1u, asserts.size());
  EXPECT_EQ("normal_bitmap_[0].IsOk()", asserts[0].message);
  EXPECT_NE(std::string::npos,
            asserts[0].file.find("src/window/base/dh_word_button"));
  // Nothing was built, and painting it does not fail.
  EXPECT_EQ(before, button->GetSize());
  button->Refresh();
  testsupport::RunLoopFor(50);

  // An invalid normal picture is refused the same way.
  wxBitmap invalid;
  button->SetStatusBitmap(invalid, 8, 40, invalid, invalid);
  asserts = TakeAsserts();
  ASSERT_EQ(1u, asserts.size());
  EXPECT_EQ("normal.IsOk()", asserts[0].message);
}

}  // namespace
