// The capacity bar: part widths from ratios, the last part filling the rest,
// the outline and the parent's tiled background behind the corners. Pixels
// are read back from the screen after the control has really painted.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>

#include <functional>
#include <vector>

#include "skin_test_util.h"
#include "test_support.h"
#include "window/base/zl_histogram_ctrl.h"

using skintest::PixelAt;

namespace {

const wxColour kHostColour(255, 0, 255);
const wxColour kPartColours[] = {wxColour(220, 30, 30), wxColour(30, 30, 220),
                                 wxColour(240, 200, 20)};
const wxPoint kBarPos(13, 9);
const wxSize kBarSize(101, 28);
const int kMiddleRow = 14;
// The tile of the parent's background: sizes that do not divide the bar's
// position, so that a tile laid from the wrong corner shows.
const int kTileWidth = 7;
const int kTileHeight = 5;

wxColour TiledBackgroundAt(const wxPoint& in_parent) {
  return skintest::PatternColour(in_parent.x % kTileWidth,
                                 in_parent.y % kTileHeight);
}

int g_deleted_bitmaps = 0;

class CountedBitmap : public wxBitmap {
 public:
  explicit CountedBitmap(const wxBitmap& bitmap) : wxBitmap(bitmap) {}
  ~CountedBitmap() override { ++g_deleted_bitmaps; }
};

class HistogramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(skintest::HasGuiApp());
    frame_ = skintest::ShowFrame(wxSize(300, 120));
    host_ = new wxPanel(frame_, wxID_ANY, wxPoint(0, 0), wxSize(300, 120));
    host_->SetBackgroundColour(kHostColour);
  }
  void TearDown() override { skintest::CloseFrame(frame_); }

  ZLHistogramCtrl* MakeBar(const std::vector<double>& ratios,
                           bool with_background = true) {
    wxBitmap* tile = with_background
                         ? new wxBitmap(skintest::PatternBitmap(kTileWidth,
                                                                kTileHeight))
                         : nullptr;
    bar_ = new ZLHistogramCtrl(tile, host_, wxID_ANY, kBarPos, kBarSize, 3.25);
    for (size_t i = 0; i < ratios.size(); ++i)
      bar_->ZLAppendHistogramPart(
          new wxBitmap(skintest::SolidBitmap(8, 8, kPartColours[i])),
          ratios[i]);
    bar_->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
      ++paints_;
      event.Skip();
    });
    skintest::Settle(frame_);
    return bar_;
  }

  // Waits until the bar shows the expected colour at the probe, then takes
  // the picture.
  wxImage CaptureWhen(const wxPoint& probe, const wxColour& expected) {
    wxImage image;
    testsupport::RunLoopUntil(
        [&] {
          image = skintest::CaptureWindow(bar_);
          return skintest::Near(PixelAt(image, probe.x, probe.y), expected, 0);
        },
        3000);
    return image;
  }

  void ExpectColumn(const wxImage& image, int x, int part) {
    EXPECT_EQ(skintest::Describe(PixelAt(image, x, kMiddleRow)),
              skintest::Describe(kPartColours[part]))
        << "column " << x << " should show part " << part;
  }

  wxFrame* frame_ = nullptr;
  wxPanel* host_ = nullptr;
  ZLHistogramCtrl* bar_ = nullptr;
  int paints_ = 0;
};

struct WidthCase {
  const char* name;
  std::vector<double> ratios;
  // Which part shows in each column of the middle row, as runs of
  // [first, last] columns; the outline columns 0 and 100 are left out.
  std::vector<std::vector<int>> runs;  // {first, last, part}
};

void PrintTo(const WidthCase& c, std::ostream* os) { *os << c.name; }

class HistogramWidthTest : public HistogramTest,
                           public ::testing::WithParamInterface<WidthCase> {};

TEST_P(HistogramWidthTest, PartsCoverTheirShareAndTheLastFillsTheRest) {
  const WidthCase& c = GetParam();
  MakeBar(c.ratios);
  const std::vector<int>& first_run = c.runs.front();
  wxImage image = CaptureWhen(wxPoint(first_run[0], kMiddleRow),
                              kPartColours[first_run[2]]);
  for (const std::vector<int>& run : c.runs)
    for (int x = run[0]; x <= run[1]; ++x)
      EXPECT_EQ(skintest::Describe(PixelAt(image, x, kMiddleRow)),
                skintest::Describe(kPartColours[run[2]]))
          << c.name << ": column " << x << " should show part " << run[2];
}

INSTANTIATE_TEST_SUITE_P(
    Ratios, HistogramWidthTest,
    ::testing::Values(
        // 101 * 0.25 = 25.25: the first part is 25 columns, 0 to 24.
        WidthCase{"quarter", {0.25, 0.75}, {{1, 24, 0}, {25, 99, 1}}},
        WidthCase{"one part ignores its ratio", {0.1}, {{1, 99, 0}}},
        WidthCase{"three parts", {0.3, 0.3, 0.9},
                  {{1, 29, 0}, {30, 59, 1}, {60, 99, 2}}},
        WidthCase{"no room left for the last", {0.6, 0.6, 0.2},
                  {{1, 59, 0}, {60, 99, 1}}},
        WidthCase{"empty first part", {0.0, 0.4}, {{1, 99, 1}}},
        WidthCase{"negative ratio takes no room", {-0.5, 0.25, 0.5},
                  {{1, 24, 1}, {25, 99, 2}}}),
    [](const ::testing::TestParamInfo<WidthCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST_F(HistogramTest, RoundedGreyOutlineOverTheParentsTiledBackground) {
  MakeBar({0.25, 0.75});
  wxImage image = CaptureWhen(wxPoint(10, kMiddleRow), kPartColours[0]);
  const wxColour grey(192, 192, 192);
  EXPECT_TRUE(skintest::Near(PixelAt(image, 50, 0), grey, 16))
      << skintest::Describe(PixelAt(image, 50, 0));
  EXPECT_TRUE(skintest::Near(PixelAt(image, 0, kMiddleRow), grey, 16))
      << skintest::Describe(PixelAt(image, 0, kMiddleRow));
  EXPECT_TRUE(skintest::Near(PixelAt(image, 100, kMiddleRow), grey, 16))
      << skintest::Describe(PixelAt(image, 100, kMiddleRow));
  // The four corner pixels lie outside the rounded bar: they show the
  // parent's tile as the parent lays it, from its own top-left corner.
  const wxPoint corners[] = {wxPoint(0, 0), wxPoint(100, 0), wxPoint(0, 27),
                             wxPoint(100, 27)};
  // The tolerance allows the faint edge of the antialiased arc; the next
  // pixel of the tile differs by 3 or more.
  for (const wxPoint& corner : corners)
    EXPECT_TRUE(skintest::Near(PixelAt(image, corner.x, corner.y),
                               TiledBackgroundAt(kBarPos + corner), 2))
        << "corner " << corner.x << "," << corner.y << ": "
        << skintest::Describe(PixelAt(image, corner.x, corner.y)) << " vs "
        << skintest::Describe(TiledBackgroundAt(kBarPos + corner));
}

TEST_F(HistogramTest, WithoutPartsTheWholeAreaIsTheParentsBackground) {
  MakeBar({});
  wxImage image = CaptureWhen(wxPoint(50, kMiddleRow),
                              TiledBackgroundAt(kBarPos + wxPoint(50, 14)));
  int wrong = 0;
  for (int y = 0; y < kBarSize.y; ++y)
    for (int x = 0; x < kBarSize.x; ++x)
      if (PixelAt(image, x, y) != TiledBackgroundAt(kBarPos + wxPoint(x, y)))
        ++wrong;
  EXPECT_EQ(wrong, 0);
}

TEST_F(HistogramTest, WithoutABackgroundTheDefaultEraseRuns) {
  const wxColour own(0, 128, 128);
  bar_ = new ZLHistogramCtrl(nullptr, host_, wxID_ANY, kBarPos, kBarSize,
                             3.25);
  bar_->SetBackgroundColour(own);
  skintest::Settle(frame_);
  wxImage image = CaptureWhen(wxPoint(0, 0), own);
  EXPECT_EQ(skintest::Describe(PixelAt(image, 0, 0)), skintest::Describe(own));
  EXPECT_EQ(skintest::Describe(PixelAt(image, 50, kMiddleRow)),
            skintest::Describe(own));
}

TEST_F(HistogramTest, SettingARatioRepaintsAtOnceUnlessTheIndexIsPastTheEnd) {
  MakeBar({0.25, 0.75});
  CaptureWhen(wxPoint(24, kMiddleRow), kPartColours[0]);

  const int paints_before = paints_;
  bar_->ZLSetHistogramPartRatio(2, 0.9);
  testsupport::RunLoopFor(300);
  EXPECT_EQ(paints_, paints_before);
  EXPECT_DOUBLE_EQ(bar_->ZLGetHistogramPartRatio(0), 0.25);
  EXPECT_DOUBLE_EQ(bar_->ZLGetHistogramPartRatio(1), 0.75);

  bar_->ZLSetHistogramPartRatio(0, 0.5);
  EXPECT_DOUBLE_EQ(bar_->ZLGetHistogramPartRatio(0), 0.5);
  wxImage image = CaptureWhen(wxPoint(49, kMiddleRow), kPartColours[0]);
  EXPECT_GT(paints_, paints_before);
  ExpectColumn(image, 49, 0);
  ExpectColumn(image, 50, 1);

  // A resize repaints with the new width: 201 * 0.5 = 100.5.
  bar_->SetSize(wxSize(201, kBarSize.y));
  image = CaptureWhen(wxPoint(199, kMiddleRow), kPartColours[1]);
  ExpectColumn(image, 99, 0);
  ExpectColumn(image, 100, 1);
  ExpectColumn(image, 199, 1);
}

TEST_F(HistogramTest, TheBackgroundPieceIsCutOnceUntilSomethingChanges) {
  MakeBar({0.25, 0.75});
  int erases = 0;
  bar_->Bind(wxEVT_ERASE_BACKGROUND, [&](wxEraseEvent& event) {
    ++erases;
    event.Skip();
  });
  const wxColour redrawn(0, 90, 180);
  struct Step {
    const char* name;
    std::function<void()> change;
    bool cut_again;
  } steps[] = {
      {"a ratio set", [this] { bar_->ZLSetHistogramPartRatio(0, 0.5); },
       false},
      {"moved", [this] { bar_->Move(kBarPos + wxPoint(1, 0)); }, true},
      {"resized", [this] { bar_->SetSize(wxSize(90, kBarSize.y)); }, true},
      {"the tile drawn on",
       [&] {
         wxMemoryDC dc(*bar_->background());
         dc.SetBackground(wxBrush(redrawn));
         dc.Clear();
         dc.SelectObject(wxNullBitmap);
       },
       true},
      {"repainted", [] {}, false},
  };
  ASSERT_TRUE(testsupport::RunLoopUntil(
      [this] { return bar_->background_piece().piece().IsOk(); }));
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const wxBitmap before = bar_->background_piece().piece();
    step.change();
    const int erased = erases;
    bar_->Refresh();
    ASSERT_TRUE(testsupport::RunLoopUntil([&] { return erases > erased; }));
    EXPECT_EQ(!bar_->background_piece().piece().IsSameAs(before),
              step.cut_again);
    EXPECT_EQ(bar_->background_piece().piece_rect(), bar_->GetRect());
  }
  // The corner outside the rounded bar shows the tile as drawn on (give or
  // take the faint edge of the antialiased arc).
  wxColour corner;
  testsupport::RunLoopUntil(
      [&] {
        corner = PixelAt(skintest::CaptureWindow(bar_), 0, 0);
        return skintest::Near(corner, redrawn, 2);
      },
      3000);
  EXPECT_TRUE(skintest::Near(corner, redrawn, 2))
      << skintest::Describe(corner);
}

TEST_F(HistogramTest, LeftOfAndAboveTheParentTheTileStaysInPlace) {
  const wxPoint pos(-6, -4);
  MakeBar({});
  bar_->Move(pos);
  const wxRect visible(0, 0, kBarSize.x + pos.x, kBarSize.y + pos.y);
  int wrong = 0;
  testsupport::RunLoopUntil(
      [&] {
        wxImage image = skintest::CaptureScreen(
            wxRect(host_->ClientToScreen(wxPoint(0, 0)), visible.GetSize()));
        wrong = 0;
        for (int y = 0; y < visible.height; ++y)
          for (int x = 0; x < visible.width; ++x)
            if (PixelAt(image, x, y) != TiledBackgroundAt(wxPoint(x, y)))
              ++wrong;
        return wrong == 0;
      },
      3000);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(bar_->background_piece().piece().GetSize(), visible.GetSize());
  EXPECT_EQ(bar_->background_piece().piece_origin(), -pos);
}

TEST_F(HistogramTest, OwnsItsBackgroundAndPartPictures) {
  g_deleted_bitmaps = 0;
  ZLHistogramCtrl* bar = new ZLHistogramCtrl(
      new CountedBitmap(skintest::PatternBitmap(4, 4)), host_, wxID_ANY,
      kBarPos, kBarSize, 3.25);
  bar->ZLAppendHistogramPart(
      new CountedBitmap(skintest::SolidBitmap(4, 4, *wxRED)), 0.5);
  bar->ZLAppendHistogramPart(
      new CountedBitmap(skintest::SolidBitmap(4, 4, *wxBLUE)), 0.5);
  EXPECT_EQ(bar->ZLGetHistogramPartCount(), 2u);
  delete bar;
  EXPECT_EQ(g_deleted_bitmaps, 3);
}

TEST_F(HistogramTest, CreatedDynamicallyByItsClassName) {
  wxObject* object = wxCreateDynamicObject("ZLHistogramCtrl");
  ZLHistogramCtrl* bar = wxDynamicCast(object, ZLHistogramCtrl);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(wxString(bar->GetClassInfo()->GetBaseClassName1()), "wxControl");
  EXPECT_EQ(bar->background(), nullptr);
  EXPECT_DOUBLE_EQ(bar->radius(), 0.0);
  EXPECT_EQ(bar->ZLGetHistogramPartCount(), 0u);
  ASSERT_TRUE(bar->Create(host_, wxID_ANY, kBarPos, kBarSize));
  EXPECT_EQ(bar->GetWindowStyleFlag() & wxBORDER_MASK, wxBORDER_NONE);
  EXPECT_EQ(bar->GetParent(), host_);
}

}  // namespace
