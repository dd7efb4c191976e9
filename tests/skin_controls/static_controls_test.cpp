// The theme-background static controls: each shows, behind its text or
// picture, exactly the piece of its parent's background picture under it,
// cut again only when it moves or changes size.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>

#include <functional>
#include <string>
#include <vector>

#include "skin_test_util.h"
#include "test_support.h"
#include "window/base/dh_hyperlink_ctrl.h"
#include "window/base/dh_static_bitmap.h"
#include "window/base/dh_static_text.h"

using skintest::PixelAt;

namespace {

const wxColour kHostColour(10, 200, 10);
const wxSize kBackgroundSize(300, 200);

// One kind of control, made the way the about dialog makes them: default
// constructor, the toolkit's Create, then SetBg.
struct Kind {
  const char* name;
  std::function<wxWindow*(wxWindow* parent, wxBitmap* bg, const wxPoint& pos,
                          const wxSize& size)>
      make;
  std::function<const wxBitmap&(wxWindow*)> piece;
  std::function<wxRect(wxWindow*)> piece_rect;
};

std::vector<Kind> Kinds() {
  return {
      {"text",
       [](wxWindow* parent, wxBitmap* bg, const wxPoint& pos,
          const wxSize& size) -> wxWindow* {
         DhStaticText* text = new DhStaticText;
         text->Create(parent, wxID_ANY, "Ab", pos, size, wxST_NO_AUTORESIZE);
         if (bg) text->SetBg(bg);
         return text;
       },
       [](wxWindow* w) -> const wxBitmap& {
         return static_cast<DhStaticText*>(w)->piece();
       },
       [](wxWindow* w) { return static_cast<DhStaticText*>(w)->piece_rect(); }},
      {"bitmap",
       [](wxWindow* parent, wxBitmap* bg, const wxPoint& pos,
          const wxSize& size) -> wxWindow* {
         DhStaticBitmap* bitmap = new DhStaticBitmap;
         bitmap->Create(parent, wxID_ANY,
                        skintest::SolidBitmap(8, 8, *wxBLACK), pos, size);
         if (bg) bitmap->SetBg(bg);
         return bitmap;
       },
       [](wxWindow* w) -> const wxBitmap& {
         return static_cast<DhStaticBitmap*>(w)->piece();
       },
       [](wxWindow* w) {
         return static_cast<DhStaticBitmap*>(w)->piece_rect();
       }},
      {"hyperlink",
       [](wxWindow* parent, wxBitmap* bg, const wxPoint& pos,
          const wxSize& size) -> wxWindow* {
         DhHyperLinkCtrl* link = new DhHyperLinkCtrl;
         link->Create(parent, wxID_ANY, "x", "https://example.invalid/", pos,
                      size);
         if (bg) link->SetBg(bg);
         return link;
       },
       [](wxWindow* w) -> const wxBitmap& {
         return static_cast<DhHyperLinkCtrl*>(w)->piece();
       },
       [](wxWindow* w) {
         return static_cast<DhHyperLinkCtrl*>(w)->piece_rect();
       }},
  };
}

void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.name; }

void SetBg(wxWindow* control, wxBitmap* bg) {
  if (auto* text = dynamic_cast<DhStaticTextBase*>(control))
    text->SetBg(bg);
  else if (auto* bitmap = dynamic_cast<DhStaticBitmapBase*>(control))
    bitmap->SetBg(bg);
  else if (auto* link = dynamic_cast<DhHyperLinkCtrlBase*>(control))
    link->SetBg(bg);
}

// Counts failed assertions instead of showing the toolkit's dialog.
std::vector<std::string>* g_asserts = nullptr;
void RecordAssert(const wxString&, int, const wxString&, const wxString& cond,
                  const wxString& msg) {
  if (g_asserts) g_asserts->push_back((cond + ": " + msg).ToStdString());
}

class StaticControlTest : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(skintest::HasGuiApp());
    old_handler_ = wxSetAssertHandler(RecordAssert);
    g_asserts = &asserts_;
    bg_ = skintest::PatternBitmap(kBackgroundSize.x, kBackgroundSize.y);
    frame_ = skintest::ShowFrame(wxSize(400, 250));
    host_ = new wxPanel(frame_, wxID_ANY, wxPoint(0, 0), wxSize(400, 250));
    host_->SetBackgroundColour(kHostColour);
  }
  void TearDown() override {
    skintest::CloseFrame(frame_);
    g_asserts = nullptr;
    wxSetAssertHandler(old_handler_);
  }

  wxWindow* Make(const wxPoint& pos, const wxSize& size, bool with_bg = true) {
    control_ = GetParam().make(host_, with_bg ? &bg_ : nullptr, pos, size);
    control_->Bind(wxEVT_ERASE_BACKGROUND, [this](wxEraseEvent& event) {
      ++erases_;
      event.Skip();
    });
    skintest::Settle(frame_);
    testsupport::RunLoopUntil([this] { return erases_ > 0; }, 3000);
    return control_;
  }
  const wxBitmap& Piece() { return GetParam().piece(control_); }
  wxRect PieceRect() { return GetParam().piece_rect(control_); }

  // How many pixels of the piece differ from the background under rect.
  int PieceMismatches(const wxRect& rect) {
    wxImage piece = Piece().ConvertToImage();
    int wrong = 0;
    for (int y = 0; y < rect.height; ++y)
      for (int x = 0; x < rect.width; ++x)
        if (PixelAt(piece, x, y) !=
            skintest::PatternColour(rect.x + x, rect.y + y))
          ++wrong;
    return wrong;
  }

  // Near its right edge no kind draws text or picture (the hyperlink's
  // focus frame, three pixels in, is left out): on screen that band must be
  // the background under the control.
  // Rows from top on (in the control) only: above it a control placed
  // above its parent's origin is not on screen.
  int ScreenMismatchesInRightBand(const wxPoint& pos, int width, int height,
                                  int top = 4) {
    int wrong = 0;
    testsupport::RunLoopUntil(
        [&] {
          wxImage image = skintest::CaptureWindow(control_);
          wrong = 0;
          for (int y = top; y < height - 4; ++y)
            for (int x = width - 16; x < width - 4; ++x)
              if (PixelAt(image, x, y) !=
                  skintest::PatternColour(pos.x + x, pos.y + y))
                ++wrong;
          return wrong == 0;
        },
        3000);
    return wrong;
  }

  wxAssertHandler_t old_handler_ = nullptr;
  std::vector<std::string> asserts_;
  wxBitmap bg_;
  wxFrame* frame_ = nullptr;
  wxPanel* host_ = nullptr;
  wxWindow* control_ = nullptr;
  int erases_ = 0;
};

TEST_P(StaticControlTest, ShowsThePieceOfTheParentsPictureUnderIt) {
  const wxPoint pos(30, 50);
  const wxSize size(100, 20);
  Make(pos, size);
  ASSERT_GT(erases_, 0);
  EXPECT_EQ(PieceRect(), wxRect(pos, size));
  ASSERT_TRUE(Piece().IsOk());
  EXPECT_EQ(Piece().GetSize(), size);
  EXPECT_EQ(PieceMismatches(wxRect(pos, size)), 0);
  EXPECT_EQ(ScreenMismatchesInRightBand(pos, size.x, size.y), 0);
  // The parent itself still paints its own colour around the control.
  wxImage host = skintest::CaptureWindow(host_);
  EXPECT_EQ(skintest::Describe(PixelAt(host, 5, 5)),
            skintest::Describe(kHostColour));
  EXPECT_TRUE(asserts_.empty()) << asserts_.front();
}

TEST_P(StaticControlTest, RepaintReusesThePieceMoveAndResizeCutAgain) {
  Make(wxPoint(30, 50), wxSize(100, 20));
  const wxBitmap first = Piece();

  const int erases = erases_;
  control_->Refresh();
  ASSERT_TRUE(testsupport::RunLoopUntil([&] { return erases_ > erases; }));
  EXPECT_TRUE(Piece().IsSameAs(first));

  // One pixel to the right: a new piece, cut at the new place.
  control_->Move(31, 50);
  ASSERT_TRUE(testsupport::RunLoopUntil(
      [&] { return PieceRect() == wxRect(31, 50, 100, 20); }));
  EXPECT_FALSE(Piece().IsSameAs(first));
  EXPECT_EQ(PieceMismatches(wxRect(31, 50, 100, 20)), 0);
  EXPECT_EQ(ScreenMismatchesInRightBand(wxPoint(31, 50), 100, 20), 0);

  const wxBitmap moved = Piece();
  control_->SetSize(31, 50, 90, 24);
  ASSERT_TRUE(testsupport::RunLoopUntil(
      [&] { return PieceRect() == wxRect(31, 50, 90, 24); }));
  EXPECT_FALSE(Piece().IsSameAs(moved));
  EXPECT_EQ(Piece().GetSize(), wxSize(90, 24));
  EXPECT_EQ(PieceMismatches(wxRect(31, 50, 90, 24)), 0);
  EXPECT_EQ(ScreenMismatchesInRightBand(wxPoint(31, 50), 90, 24), 0);
  EXPECT_TRUE(asserts_.empty()) << asserts_.front();
}

TEST_P(StaticControlTest, PastTheRightEdgeThePieceIsNarrower) {
  // Ten pixels beyond the 300-pixel-wide background.
  Make(wxPoint(210, 50), wxSize(100, 20));
  EXPECT_EQ(PieceRect(), wxRect(210, 50, 100, 20));
  ASSERT_TRUE(Piece().IsOk());
  EXPECT_EQ(Piece().GetSize(), wxSize(90, 20));
  EXPECT_EQ(PieceMismatches(wxRect(210, 50, 90, 20)), 0);
  EXPECT_TRUE(asserts_.empty()) << asserts_.front();
}

TEST_P(StaticControlTest, ANewBackgroundIsCutAgain) {
  const wxColour plain(40, 90, 160);
  wxBitmap other = skintest::SolidBitmap(kBackgroundSize.x, kBackgroundSize.y,
                                         plain);
  struct Change {
    const char* name;
    std::function<void()> apply;
    wxColour shown;
  } changes[] = {
      {"another picture", [&] { SetBg(control_, &other); }, plain},
      // Drawing on the picture the control already has.
      {"the same picture drawn on",
       [&] {
         wxMemoryDC dc(other);
         dc.SetBackground(*wxWHITE_BRUSH);
         dc.Clear();
         dc.SelectObject(wxNullBitmap);
       },
       *wxWHITE},
  };
  const wxPoint pos(30, 50);
  const wxSize size(100, 20);
  Make(pos, size);
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    const wxBitmap before = Piece();
    change.apply();
    const int erases = erases_;
    control_->Refresh();
    ASSERT_TRUE(testsupport::RunLoopUntil([&] { return erases_ > erases; }));
    EXPECT_FALSE(Piece().IsSameAs(before));
    EXPECT_EQ(PieceRect(), wxRect(pos, size));
    ASSERT_TRUE(Piece().IsOk());
    wxImage piece = Piece().ConvertToImage();
    EXPECT_EQ(skintest::Describe(PixelAt(piece, 50, 10)),
              skintest::Describe(change.shown));
    int wrong = 0;
    testsupport::RunLoopUntil(
        [&] {
          wxImage image = skintest::CaptureWindow(control_);
          wrong = 0;
          for (int y = 4; y < size.y - 4; ++y)
            for (int x = size.x - 16; x < size.x - 4; ++x)
              if (PixelAt(image, x, y) != change.shown) ++wrong;
          return wrong == 0;
        },
        3000);
    EXPECT_EQ(wrong, 0);
    // And kept again while the picture stays.
    const wxBitmap cut = Piece();
    const int later = erases_;
    control_->Refresh();
    ASSERT_TRUE(testsupport::RunLoopUntil([&] { return erases_ > later; }));
    EXPECT_TRUE(Piece().IsSameAs(cut));
  }
  EXPECT_TRUE(asserts_.empty()) << asserts_.front();
}

TEST_P(StaticControlTest, LeftOfAndAboveTheParentsOriginThePieceIsClipped) {
  const wxPoint pos(-20, -6);
  const wxSize size(100, 20);
  Make(pos, size);
  EXPECT_EQ(PieceRect(), wxRect(pos, size));
  ASSERT_TRUE(Piece().IsOk());
  // Only what lies over the picture, from its origin.
  EXPECT_EQ(Piece().GetSize(), wxSize(80, 14));
  EXPECT_EQ(PieceMismatches(wxRect(0, 0, 80, 14)), 0);
  EXPECT_EQ(ScreenMismatchesInRightBand(pos, size.x, size.y, 6), 0);
  EXPECT_TRUE(asserts_.empty()) << asserts_.front();
}

TEST_P(StaticControlTest, WithoutABackgroundNothingIsCut) {
  Make(wxPoint(30, 50), wxSize(100, 20), false);
  control_->Refresh();
  testsupport::RunLoopFor(200);
  EXPECT_FALSE(Piece().IsOk());
  EXPECT_EQ(PieceRect(), wxRect(0, 0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Kinds, StaticControlTest,
                         ::testing::ValuesIn(Kinds()),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                           return std::string(info.param.name);
                         });

TEST(DhStaticTextTest, DrawsWhiteTextUnlessToldOtherwise) {
  ASSERT_TRUE(skintest::HasGuiApp());
  wxBitmap bg = skintest::SolidBitmap(300, 200, wxColour(30, 30, 60));
  wxFrame* frame = skintest::ShowFrame(wxSize(300, 200));
  wxPanel* host = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(300, 200));
  host->SetBackgroundColour(kHostColour);
  DhStaticText* text = new DhStaticText;
  text->Create(host, wxID_ANY, "MMMM", wxPoint(30, 50), wxSize(100, 30),
               wxST_NO_AUTORESIZE);
  text->SetBg(&bg);
  EXPECT_EQ(skintest::Describe(text->GetForegroundColour()),
            skintest::Describe(*wxWHITE));
  skintest::Settle(frame);

  int brightest = 0;
  bool only_background_or_text = true;
  testsupport::RunLoopUntil(
      [&] {
        wxImage image = skintest::CaptureWindow(text);
        brightest = 0;
        only_background_or_text = true;
        for (int y = 0; y < 30; ++y)
          for (int x = 0; x < 100; ++x) {
            const wxColour c = PixelAt(image, x, y);
            brightest = std::max(brightest, std::min({int(c.Red()),
                                                      int(c.Green()),
                                                      int(c.Blue())}));
            // Blends of the dark piece and white text only: never the
            // parent's own green.
            if (c.Green() > c.Blue() + 2) only_background_or_text = false;
          }
        return brightest >= 230 && only_background_or_text;
      },
      3000);
  EXPECT_GE(brightest, 230);
  EXPECT_TRUE(only_background_or_text);
  skintest::CloseFrame(frame);
}

}  // namespace
