#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/listbase.h>
#include <wx/settings.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "screen_capture.h"
#include "test_support.h"
#include "window/picture_icon_view.h"

// Last: its macros clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

using testsupport::RunLoopUntil;

const int kPitch = 116;  // the cell pitch the view uses

TEST(PictureIconGridTest, ColumnsFitTheWidthButNeverFallBelowOne) {
  const struct {
    int width, columns;
  } kCases[] = {{0, 1}, {-5, 1}, {115, 1}, {116, 1}, {231, 1}, {232, 2}, {1000, 8}};
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.width);
    EXPECT_EQ(PictureIconGrid::ColumnsFor(k.width, kPitch), k.columns);
  }
}

TEST(PictureIconGridTest, ItemsMapToRowsColumnsAndCells) {
  PictureIconGrid grid(wxSize(kPitch, kPitch));
  grid.SetColumns(3);
  grid.SetItemCount(10);
  EXPECT_EQ(grid.RowCount(), 4);
  const struct {
    long item, row;
    int column;
  } kItems[] = {{0, 0, 0}, {2, 0, 2}, {3, 1, 0}, {8, 2, 2}, {9, 3, 0}};
  for (const auto& k : kItems) {
    SCOPED_TRACE(k.item);
    EXPECT_EQ(grid.RowOf(k.item), k.row);
    EXPECT_EQ(grid.ColumnOf(k.item), k.column);
    EXPECT_EQ(grid.ItemAt(k.row, k.column), k.item);
  }
  // Cells past the last item or outside the grid hold none.
  EXPECT_EQ(grid.ItemAt(3, 1), -1);
  EXPECT_EQ(grid.ItemAt(0, 3), -1);
  EXPECT_EQ(grid.ItemAt(-1, 0), -1);
  EXPECT_EQ(grid.ItemAt(4, 0), -1);
  // Cells are placed relative to the first row drawn.
  EXPECT_EQ(grid.CellRect(4, 0), wxRect(kPitch, kPitch, kPitch, kPitch));
  EXPECT_EQ(grid.CellRect(4, 1), wxRect(kPitch, 0, kPitch, kPitch));
  EXPECT_EQ(grid.CellRect(0, 2), wxRect(0, -2 * kPitch, kPitch, kPitch));

  grid.SetItemCount(0);
  EXPECT_EQ(grid.RowCount(), 0);
}

TEST(PictureIconGridTest, RowRangesGiveTheirItemsClippedToTheCount) {
  PictureIconGrid grid(wxSize(kPitch, kPitch));
  grid.SetColumns(3);
  grid.SetItemCount(10);
  const struct {
    long first_row, end_row, first, end;
  } kCases[] = {{0, 1, 0, 3}, {1, 3, 3, 9}, {3, 10, 9, 10},
                {5, 6, 10, 10}, {2, 2, 6, 6}, {-1, 1, 0, 3}};
  for (const auto& k : kCases) {
    SCOPED_TRACE(std::to_string(k.first_row) + ".." + std::to_string(k.end_row));
    long first = -7, end = -7;
    grid.ItemsInRows(k.first_row, k.end_row, &first, &end);
    EXPECT_EQ(first, k.first);
    EXPECT_EQ(end, k.end);
  }
}

TEST(PictureIconGridTest, PointsFindTheCellThatHoldsThem) {
  PictureIconGrid grid(wxSize(kPitch, kPitch));
  grid.SetColumns(3);
  grid.SetItemCount(10);
  const struct {
    long first_row;
    wxPoint point;
    long item;
  } kCases[] = {
      {0, {58, 58}, 0},
      {0, {115, 115}, 0},  // last pixel of the first cell
      {0, {116, 116}, 4},
      {0, {3 * kPitch - 1, 0}, 2},
      {0, {3 * kPitch, 0}, -1},  // right of the last column
      {0, {-1, 10}, -1},
      {0, {10, -1}, -1},
      {0, {kPitch + 5, 3 * kPitch + 5}, -1},  // past the last item
      {2, {5, 5}, 6},
      {2, {5, kPitch + 5}, 9},
      {2, {5, 2 * kPitch + 5}, -1},  // below the last row
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(std::to_string(k.first_row) + " " + std::to_string(k.point.x) + "," +
                 std::to_string(k.point.y));
    EXPECT_EQ(grid.ItemAtPoint(k.first_row, k.point), k.item);
  }
}

TEST(PictureIconGridTest, DistanceCountsItemsOutsideTheRange) {
  const struct {
    long item, distance;
  } kCases[] = {{0, 4}, {3, 1}, {4, 0}, {7, 0}, {8, 1}, {20, 13}};
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.item);
    EXPECT_EQ(PictureIconGrid::DistanceFromRange(k.item, 4, 8), k.distance);
  }
}

std::string Hex(const wxColour& colour) {
  char text[8];
  snprintf(text, sizeof text, "#%02x%02x%02x", colour.Red(), colour.Green(),
           colour.Blue());
  return text;
}

// A picture of one colour; the top rows fully transparent when asked.
wxBitmap Picture(int width, int height, const wxColour& colour,
                 int transparent_rows = 0) {
  wxImage image(width, height);
  image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(),
               colour.Blue());
  image.InitAlpha();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.SetAlpha(x, y, y < transparent_rows ? 0 : 255);
  return wxBitmap(image);
}

class PictureIconViewTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!frame_) return;
    wxWeakRef<wxFrame> gone(frame_);
    frame_->Destroy();
    RunLoopUntil([&] { return !gone; });
  }

  // A shown frame whose only child is the view, with client area `client`,
  // holding `count` items.
  void Open(const wxSize& client, long count, size_t max_thumbnails = 3000) {
    frame_ = new wxFrame(nullptr, wxID_ANY, "Pictures", wxPoint(20, 20));
    view_ = new PictureIconView(frame_, wxID_ANY, max_thumbnails);
    frame_->SetClientSize(client);
    frame_->Show();
    data_.resize(count);
    std::vector<PictureIconViewData*> items;
    for (long i = 0; i < count; ++i) {
      data_[i].image_index = static_cast<int32_t>(i);
      items.push_back(&data_[i]);
    }
    view_->AppendItems(items);
    ASSERT_TRUE(RunLoopUntil([&] {
      return view_->IsShownOnScreen() && frame_->GetClientSize() == client &&
             view_->GetSize() == client;
    })) << frame_->GetClientSize().x << "x" << frame_->GetClientSize().y;
    auto record = [this](const char* sign) {
      return [this, sign](wxListEvent& event) {
        EXPECT_EQ(event.GetEventObject(), view_);
        EXPECT_EQ(event.GetId(), view_->GetId());
        events_.push_back(sign + std::to_string(event.GetIndex()));
      };
    };
    view_->Bind(wxEVT_LIST_ITEM_SELECTED, record("+"));
    view_->Bind(wxEVT_LIST_ITEM_DESELECTED, record("-"));
    view_->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& event) {
      ++button_ups_;
      event.Skip();
    });
    view_->Bind(wxEVT_RIGHT_UP, [this](wxMouseEvent& event) {
      ++button_ups_;
      event.Skip();
    });
    // Modifiers come up after the key they go with.
    view_->Bind(wxEVT_KEY_UP, [this](wxKeyEvent& event) {
      const int key = event.GetKeyCode();
      if (key != WXK_SHIFT && key != WXK_CONTROL && key != WXK_ALT) ++key_ups_;
      event.Skip();
    });
  }

  static wxPoint Centre(const wxRect& cell) {
    return cell.GetPosition() + cell.GetSize() / 2;
  }

  std::vector<long> Selection() const {
    std::vector<long> items;
    for (long i = view_->GetFirstSelected(); i >= 0; i = view_->GetNextSelected(i))
      items.push_back(i);
    return items;
  }

  long At(const wxPoint& point) const {
    int flags = 0;
    const long item = view_->HitTest(point, flags);
    EXPECT_EQ(flags, item < 0 ? wxLIST_HITTEST_NOWHERE : wxLIST_HITTEST_ONITEM);
    return item;
  }

  // A click at a client point, returning once the view has had the release.
  void Click(const wxPoint& client, int modifiers = wxMOD_NONE,
             int button = wxMOUSE_BTN_LEFT) {
    wxUIActionSimulator sim;
    const wxPoint screen = view_->ClientToScreen(client);
    sim.MouseMove(screen);
    ASSERT_TRUE(RunLoopUntil([&] { return wxGetMousePosition() == screen; }));
    if (modifiers & wxMOD_SHIFT) sim.KeyDown(WXK_SHIFT);
    if (modifiers & wxMOD_CONTROL) sim.KeyDown(WXK_CONTROL);
    const int before = button_ups_;
    sim.MouseClick(button);
    if (modifiers & wxMOD_CONTROL) sim.KeyUp(WXK_CONTROL);
    if (modifiers & wxMOD_SHIFT) sim.KeyUp(WXK_SHIFT);
    ASSERT_TRUE(RunLoopUntil([&] { return button_ups_ > before; }));
  }

  void ClickItem(long item, int modifiers = wxMOD_NONE) {
    Click(Centre(view_->GetItemRect(item)), modifiers);
  }

  // A key pressed and released, returning once the view has had the
  // release.
  void Key(int key, int modifiers = wxMOD_NONE) {
    wxUIActionSimulator sim;
    const int before = key_ups_;
    sim.Char(key, modifiers);
    ASSERT_TRUE(RunLoopUntil([&] { return key_ups_ > before; }));
  }

  // The colours the screen shows at client points of the view.
  std::vector<std::string> Colours(const std::vector<wxPoint>& points) {
    const wxImage image = testsupport::CaptureWindow(view_);
    std::vector<std::string> colours;
    for (const wxPoint& p : points)
      colours.push_back(Hex(wxColour(image.GetRed(p.x, p.y), image.GetGreen(p.x, p.y),
                                     image.GetBlue(p.x, p.y))));
    return colours;
  }

  // Waits until the points show the colours, then compares them.
  void ExpectColours(const std::vector<wxPoint>& points,
                     const std::vector<std::string>& expected) {
    std::vector<std::string> shown;
    RunLoopUntil([&] {
      shown = Colours(points);
      return shown == expected;
    });
    EXPECT_EQ(shown, expected);
  }

  bool FullyShown(long item) const {
    return wxRect(view_->GetClientSize()).Contains(view_->GetItemRect(item));
  }

  wxFrame* frame_ = nullptr;
  PictureIconView* view_ = nullptr;
  std::vector<PictureIconViewData> data_;
  std::vector<std::string> events_;
  int button_ups_ = 0;
  int key_ups_ = 0;
};

TEST_F(PictureIconViewTest, CellsFillRowsAndHitTestFindsTheCellUnderAPoint) {
  // Three rows of three fit with room to spare: no scroll bar.
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(400, 400), 7));
  EXPECT_EQ(view_->GetItemSpacing(), wxSize(kPitch, kPitch));
  EXPECT_EQ(view_->GetColumnCount(), 3);
  EXPECT_EQ(view_->GetItemCount(), 7);
  EXPECT_EQ(view_->GetItemData(6), &data_[6]);
  EXPECT_EQ(view_->GetItemData(7), nullptr);
  EXPECT_EQ(view_->GetItemData(-1), nullptr);
  EXPECT_EQ(view_->GetItemRect(4), wxRect(kPitch, kPitch, kPitch, kPitch));
  EXPECT_EQ(view_->GetTopItem(), 0);
  const struct {
    const char* name;
    wxPoint point;
    long item;
  } kCases[] = {
      {"first centre", {58, 58}, 0},
      {"second centre", {kPitch + 58, 58}, 1},
      {"middle", {kPitch + 58, kPitch + 58}, 4},
      {"last item", {58, 2 * kPitch + 58}, 6},
      {"cell edge", {kPitch - 1, kPitch - 1}, 0},
      {"next cell's corner", {kPitch, kPitch}, 4},
      {"right of the columns", {3 * kPitch + 10, 58}, -1},
      {"empty slot of the last row", {kPitch + 58, 2 * kPitch + 58}, -1},
      {"below the rows", {58, 3 * kPitch + 10}, -1},
      {"outside the window", {-3, 58}, -1},
      {"past the client area", {58, 500}, -1},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(At(k.point), k.item);
  }
}

TEST_F(PictureIconViewTest, ColumnsFollowTheWidth) {
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(400, 400), 7));
  const struct {
    int width, columns;
    wxPoint point;
    long item;
  } kCases[] = {
      {650, 5, {4 * kPitch + 58, 58}, 4},
      {150, 1, {58, kPitch + 58}, 1},
      {270, 2, {58, kPitch + 58}, 2},
      {400, 3, {58, kPitch + 58}, 3},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.width);
    frame_->SetClientSize(k.width, 400);
    ASSERT_TRUE(RunLoopUntil([&] { return view_->GetSize().x == k.width; }));
    EXPECT_EQ(view_->GetColumnCount(), k.columns);
    EXPECT_EQ(At(k.point), k.item);
    EXPECT_EQ(view_->GetItemRect(k.item).GetPosition(),
              k.point - wxPoint(58, 58));
  }
}

TEST_F(PictureIconViewTest, ScrollingBringsItemsIntoViewAndHitTestFollows) {
  // Three columns and two and a half rows of 100 items.
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(400, 290), 100));
  ASSERT_EQ(view_->GetColumnCount(), 3);
  const struct {
    long item, top;
  } kCases[] = {
      {50, 45},  // below: its row becomes the last whole row
      {46, 45},  // already shown: nothing moves
      {3, 3},    // above: its row becomes the first
      {99, 96},
      {0, 0},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.item);
    view_->EnsureVisible(k.item);
    EXPECT_EQ(view_->GetTopItem(), k.top);
    EXPECT_EQ(At(wxPoint(1, 1)), k.top);
    EXPECT_TRUE(FullyShown(k.item));
    EXPECT_EQ(At(Centre(view_->GetItemRect(k.item))), k.item);
  }

  // Fewer columns keep the picture at the top left in the first row.
  view_->EnsureVisible(50);
  ASSERT_EQ(view_->GetTopItem(), 45);
  frame_->SetClientSize(270, 290);
  ASSERT_TRUE(RunLoopUntil([&] { return view_->GetSize().x == 270; }));
  ASSERT_EQ(view_->GetColumnCount(), 2);
  EXPECT_EQ(view_->GetTopItem(), 44);
  EXPECT_EQ(At(wxPoint(kPitch + 1, 1)), 45);
}

TEST_F(PictureIconViewTest, TheWheelScrollsARowPerNotchAndTheNewRowsAreDrawn) {
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(400, 290), 30));
  ASSERT_EQ(view_->GetColumnCount(), 3);
  view_->SetPlaceholder(Picture(100, 100, *wxBLUE));
  for (long item = 6; item < 9; ++item)
    view_->SetItemThumbnail(item, Picture(100, 100, *wxRED));
  const wxPoint top_left(58, 58);
  ExpectColours({top_left}, {"#0000ff"});

  // X's wheel is buttons 4 (up) and 5 (down).
  auto turn = [&](unsigned int button, int notches) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    for (int i = 0; i < notches; ++i) {
      XTestFakeButtonEvent(display, button, True, CurrentTime);
      XTestFakeButtonEvent(display, button, False, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
  };
  wxUIActionSimulator sim;
  const wxPoint screen = view_->ClientToScreen(wxPoint(150, 150));
  sim.MouseMove(screen);
  ASSERT_TRUE(RunLoopUntil([&] { return wxGetMousePosition() == screen; }));
  const struct {
    unsigned int button;
    int notches;
    long top;
    std::string colour;
  } kSteps[] = {
      {5, 2, 6, "#ff0000"},
      {5, 1, 9, "#0000ff"},
      {4, 1, 6, "#ff0000"},
      {4, 5, 0, "#0000ff"},  // stops at the first row
  };
  for (const auto& k : kSteps) {
    SCOPED_TRACE(std::to_string(k.button) + " x" + std::to_string(k.notches));
    turn(k.button, k.notches);
    EXPECT_TRUE(RunLoopUntil([&] { return view_->GetTopItem() == k.top; }))
        << view_->GetTopItem();
    ExpectColours({top_left}, {k.colour});
  }
}

TEST_F(PictureIconViewTest, ThumbnailsAreDrawnCentredOverTheSelectionMark) {
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(500, 300), 6));
  const std::string background = Hex(view_->GetBackgroundColour());
  const std::string highlight = Hex(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
  ASSERT_NE(background, highlight);
  const std::string red = "#ff0000", blue = "#0000ff", green = "#00c800";

  view_->SetPlaceholder(Picture(100, 100, *wxBLUE));
  // Wide and low, opaque.
  view_->SetItemThumbnail(0, Picture(100, 50, *wxRED));
  // Its upper half transparent, on a selected item.
  view_->SetItemThumbnail(3, Picture(100, 100, wxColour(0, 200, 0), 50));
  view_->Select(2);
  view_->Select(3);
  EXPECT_TRUE(view_->HasItemThumbnail(0));
  EXPECT_FALSE(view_->HasItemThumbnail(1));

  const wxPoint c0 = Centre(view_->GetItemRect(0));
  const wxPoint c1 = Centre(view_->GetItemRect(1));
  const wxPoint c2 = Centre(view_->GetItemRect(2));
  const wxPoint c3 = Centre(view_->GetItemRect(3));
  const struct {
    const char* name;
    wxPoint point;
    std::string colour;
  } kCases[] = {
      {"red thumbnail's middle", c0, red},
      {"red thumbnail's top row", c0 + wxPoint(0, -25), red},
      {"red thumbnail's bottom row", c0 + wxPoint(0, 24), red},
      {"above the red thumbnail", c0 + wxPoint(0, -30), background},
      {"below the red thumbnail", c0 + wxPoint(0, 30), background},
      {"placeholder", c1, blue},
      {"placeholder's edge", c1 + wxPoint(-50, -50), blue},
      {"outside the placeholder", c1 + wxPoint(-53, 0), background},
      {"selected placeholder", c2, blue},
      {"selection frame left", c2 + wxPoint(-53, 0), highlight},
      {"selection frame below", c2 + wxPoint(0, 53), highlight},
      {"transparent half over the mark", c3 + wxPoint(0, -25), highlight},
      {"opaque half", c3 + wxPoint(0, 25), green},
      {"unselected cell's margin", c0 + wxPoint(-53, 0), background},
  };
  std::vector<wxPoint> points;
  std::vector<std::string> colours;
  for (const auto& k : kCases) {
    points.push_back(k.point);
    colours.push_back(k.colour);
  }
  ExpectColours(points, colours);
  for (size_t i = 0; i < points.size(); ++i)
    EXPECT_EQ(Colours({points[i]})[0], colours[i]) << kCases[i].name;

  // Bulk changes reach the screen too.
  view_->InvertSelection();
  ExpectColours({c0 + wxPoint(-53, 0), c2 + wxPoint(-53, 0)}, {highlight, background});
}

TEST_F(PictureIconViewTest, ClicksSelectAsAListDoesAndAnnounceEachChange) {
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(500, 300), 8));
  ASSERT_EQ(view_->GetColumnCount(), 4);
  const wxPoint empty(4 * kPitch + 10, 20);  // right of the columns
  const struct {
    const char* name;
    wxPoint point;
    int modifiers;
    std::vector<long> selection;
    std::vector<std::string> events;
  } kSteps[] = {
      {"plain", Centre(view_->GetItemRect(1)), wxMOD_NONE, {1}, {"+1"}},
      {"ctrl adds", Centre(view_->GetItemRect(3)), wxMOD_CONTROL, {1, 3}, {"+3"}},
      {"ctrl removes", Centre(view_->GetItemRect(1)), wxMOD_CONTROL, {3}, {"-1"}},
      {"shift from the anchor", Centre(view_->GetItemRect(6)), wxMOD_SHIFT,
       {1, 2, 3, 4, 5, 6}, {"+1", "+2", "+4", "+5", "+6"}},
      {"plain replaces", Centre(view_->GetItemRect(4)), wxMOD_NONE, {4},
       {"-1", "-2", "-3", "-5", "-6"}},
      {"shift backwards", Centre(view_->GetItemRect(2)), wxMOD_SHIFT, {2, 3, 4},
       {"+2", "+3"}},
      {"plain on a selected one", Centre(view_->GetItemRect(3)), wxMOD_NONE, {3},
       {"-2", "-4"}},
      {"ctrl on empty space keeps", empty, wxMOD_CONTROL, {3}, {}},
      {"empty space clears", empty, wxMOD_NONE, {}, {"-3"}},
      {"empty space again", empty, wxMOD_NONE, {}, {}},
  };
  for (const auto& k : kSteps) {
    SCOPED_TRACE(k.name);
    events_.clear();
    ASSERT_NO_FATAL_FAILURE(Click(k.point, k.modifiers));
    EXPECT_EQ(Selection(), k.selection);
    EXPECT_EQ(events_, k.events);
    EXPECT_EQ(view_->GetSelectedItemCount(), static_cast<long>(k.selection.size()));
  }
  EXPECT_EQ(view_->GetFocusedItem(), 3);

  // A double click selects as a click does and opens the item.
  std::vector<long> opened;
  view_->Bind(wxEVT_LIST_ITEM_ACTIVATED,
              [&](wxListEvent& event) { opened.push_back(event.GetIndex()); });
  events_.clear();
  wxUIActionSimulator sim;
  const wxPoint screen = view_->ClientToScreen(Centre(view_->GetItemRect(5)));
  sim.MouseMove(screen);
  ASSERT_TRUE(RunLoopUntil([&] { return wxGetMousePosition() == screen; }));
  sim.MouseDblClick();
  ASSERT_TRUE(RunLoopUntil([&] { return !opened.empty(); }));
  EXPECT_EQ(opened, std::vector<long>{5});
  EXPECT_EQ(Selection(), std::vector<long>{5});
  EXPECT_EQ(events_, std::vector<std::string>{"+5"});
}

TEST_F(PictureIconViewTest, BulkSelectionChangesSendNoEventsAndKeepTheCount) {
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(500, 300), 4));
  // Single changes announce themselves, once.
  view_->Select(0);
  view_->Select(2);
  view_->Select(2);
  view_->Select(1, false);
  EXPECT_EQ(events_, (std::vector<std::string>{"+0", "+2"}));
  EXPECT_EQ(view_->GetSelectedItemCount(), 2);
  events_.clear();

  const struct {
    const char* name;
    void (PictureIconView::*change)();
    std::vector<long> selection;
  } kSteps[] = {
      {"invert", &PictureIconView::InvertSelection, {1, 3}},
      {"select all", &PictureIconView::SelectAll, {0, 1, 2, 3}},
      {"select all again", &PictureIconView::SelectAll, {0, 1, 2, 3}},
      {"invert everything", &PictureIconView::InvertSelection, {}},
      {"invert nothing", &PictureIconView::InvertSelection, {0, 1, 2, 3}},
      {"deselect all", &PictureIconView::DeselectAll, {}},
  };
  for (const auto& k : kSteps) {
    SCOPED_TRACE(k.name);
    (view_->*k.change)();
    EXPECT_EQ(Selection(), k.selection);
    EXPECT_EQ(view_->GetSelectedItemCount(), static_cast<long>(k.selection.size()));
    for (long i = 0; i < 4; ++i)
      EXPECT_EQ(view_->IsSelected(i),
                std::find(k.selection.begin(), k.selection.end(), i) != k.selection.end());
  }
  EXPECT_TRUE(events_.empty());
  EXPECT_FALSE(view_->IsSelected(-1));
  EXPECT_FALSE(view_->IsSelected(4));
  view_->Select(9);
  EXPECT_EQ(view_->GetSelectedItemCount(), 0);
  EXPECT_TRUE(events_.empty());
}

TEST_F(PictureIconViewTest, KeysMoveTheFocusSelectAndScrollIt) {
  // Four columns, two whole rows, twenty items.
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(500, 2 * kPitch + 20), 20));
  ASSERT_EQ(view_->GetColumnCount(), 4);
  ASSERT_NO_FATAL_FAILURE(ClickItem(0));
  ASSERT_TRUE(RunLoopUntil([&] { return view_->HasFocus(); }));
  const struct {
    const char* name;
    int key, modifiers;
    long focused;
    std::vector<long> selection;
  } kSteps[] = {
      {"right", WXK_RIGHT, wxMOD_NONE, 1, {1}},
      {"down", WXK_DOWN, wxMOD_NONE, 5, {5}},
      {"shift right", WXK_RIGHT, wxMOD_SHIFT, 6, {5, 6}},
      {"shift down", WXK_DOWN, wxMOD_SHIFT, 10, {5, 6, 7, 8, 9, 10}},
      {"ctrl up moves only the focus", WXK_UP, wxMOD_CONTROL, 6, {5, 6, 7, 8, 9, 10}},
      {"end", WXK_END, wxMOD_NONE, 19, {19}},
      {"down on the last row", WXK_DOWN, wxMOD_NONE, 19, {19}},
      {"page up", WXK_PAGEUP, wxMOD_NONE, 11, {11}},
      {"home", WXK_HOME, wxMOD_NONE, 0, {0}},
      {"left at the start", WXK_LEFT, wxMOD_NONE, 0, {0}},
      {"up on the first row", WXK_UP, wxMOD_NONE, 0, {0}},
      {"page down", WXK_PAGEDOWN, wxMOD_NONE, 8, {8}},
      {"page down near the end", WXK_PAGEDOWN, wxMOD_NONE, 16, {16}},
      {"page down past the end", WXK_PAGEDOWN, wxMOD_NONE, 19, {19}},
  };
  for (const auto& k : kSteps) {
    SCOPED_TRACE(k.name);
    ASSERT_NO_FATAL_FAILURE(Key(k.key, k.modifiers));
    EXPECT_EQ(view_->GetFocusedItem(), k.focused);
    EXPECT_EQ(Selection(), k.selection);
    EXPECT_TRUE(FullyShown(k.focused));
  }

  // Ctrl+A marks everything quietly, then names the focused item once.
  events_.clear();
  ASSERT_NO_FATAL_FAILURE(Key('a', wxMOD_CONTROL));
  EXPECT_EQ(view_->GetSelectedItemCount(), 20);
  EXPECT_EQ(events_, std::vector<std::string>{"+19"});
}

TEST_F(PictureIconViewTest, HeldThumbnailsStayBoundedDroppingTheFarthest) {
  // Four columns and exactly two rows: items 0 to 7 in view.
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(500, 2 * kPitch), 40, 10));
  ASSERT_EQ(view_->GetColumnCount(), 4);
  long first = -1, end = -1;
  view_->GetVisibleRange(&first, &end);
  ASSERT_EQ(first, 0);
  ASSERT_EQ(end, 8);
  std::vector<long> dropped;
  view_->thumbnail_dropped_ = [&](long item) { dropped.push_back(item); };
  const wxBitmap picture = Picture(100, 100, *wxRED);

  const struct {
    long item;
    std::vector<long> dropped;
  } kSteps[] = {
      // Up to the bound nothing goes.
      {39, {}}, {0, {}}, {20, {}}, {1, {}}, {30, {}},
      {2, {}}, {10, {}}, {3, {}}, {25, {}}, {4, {}},
      // Then the farthest from the rows in view, before or after them.
      {5, {39}}, {6, {30}}, {7, {25}},
      // A far one is not kept in place of a nearer one.
      {35, {35}},
      {8, {20}}, {9, {10}}, {11, {11}},
      // Replacing a held one adds nothing.
      {3, {}},
  };
  for (const auto& k : kSteps) {
    SCOPED_TRACE(k.item);
    dropped.clear();
    view_->SetItemThumbnail(k.item, picture);
    EXPECT_EQ(dropped, k.dropped);
    EXPECT_LE(view_->GetThumbnailCount(), 10u);
  }
  EXPECT_EQ(view_->GetThumbnailCount(), 10u);
  for (long item = first; item < end; ++item)
    EXPECT_TRUE(view_->HasItemThumbnail(item)) << item;

  // In view at the end, the end's thumbnails are near and the start's far.
  view_->EnsureVisible(39);
  view_->GetVisibleRange(&first, &end);
  ASSERT_EQ(first, 32);
  ASSERT_EQ(end, 40);
  const struct {
    long item;
    std::vector<long> dropped;
  } kScrolled[] = {{32, {0}}, {39, {1}}, {0, {0}}, {12, {2}}};
  for (const auto& k : kScrolled) {
    SCOPED_TRACE(k.item);
    dropped.clear();
    view_->SetItemThumbnail(k.item, picture);
    EXPECT_EQ(dropped, k.dropped);
  }
  EXPECT_TRUE(view_->HasItemThumbnail(32));
  EXPECT_TRUE(view_->HasItemThumbnail(39));

  // Items out of range and empty bitmaps are ignored.
  dropped.clear();
  view_->SetItemThumbnail(40, picture);
  view_->SetItemThumbnail(-1, picture);
  view_->SetItemThumbnail(33, wxNullBitmap);
  EXPECT_TRUE(dropped.empty());
  EXPECT_FALSE(view_->HasItemThumbnail(40));
  EXPECT_FALSE(view_->HasItemThumbnail(33));
}

TEST_F(PictureIconViewTest, RightClickNamesTheItemUnderThePointer) {
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(500, 300), 8));
  std::vector<std::pair<long, wxPoint>> clicks;
  view_->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, [&](wxListEvent& event) {
    EXPECT_EQ(event.GetEventObject(), view_);
    clicks.emplace_back(event.GetIndex(), event.GetPoint());
  });
  view_->Select(5);
  view_->Select(6);
  events_.clear();
  const struct {
    const char* name;
    wxPoint point;
    long item;
    std::vector<long> selection;
    std::vector<std::string> events;
  } kSteps[] = {
      // On a selected item the selection stays for the menu to act on.
      {"selected item", Centre(view_->GetItemRect(6)) + wxPoint(7, -3), 6, {5, 6}, {}},
      // Any other item becomes the selection.
      {"other item", Centre(view_->GetItemRect(2)), 2, {2}, {"-5", "-6", "+2"}},
      {"empty space", wxPoint(4 * kPitch + 10, 30), -1, {2}, {}},
  };
  for (const auto& k : kSteps) {
    SCOPED_TRACE(k.name);
    clicks.clear();
    events_.clear();
    ASSERT_NO_FATAL_FAILURE(Click(k.point, wxMOD_NONE, wxMOUSE_BTN_RIGHT));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].first, k.item);
    EXPECT_EQ(clicks[0].second, k.point);
    EXPECT_EQ(Selection(), k.selection);
    EXPECT_EQ(events_, k.events);
  }
}

TEST_F(PictureIconViewTest, DeleteAllItemsForgetsItemsSelectionAndThumbnails) {
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(400, 290), 30));
  view_->SetItemThumbnail(0, Picture(100, 100, *wxRED));
  view_->SelectAll();
  view_->EnsureVisible(29);
  ASSERT_NO_FATAL_FAILURE(ClickItem(28, wxMOD_CONTROL));
  ASSERT_EQ(view_->GetFocusedItem(), 28);
  ASSERT_GT(view_->GetTopItem(), 0);

  view_->DeleteAllItems();
  EXPECT_EQ(view_->GetItemCount(), 0);
  EXPECT_EQ(view_->GetItemData(0), nullptr);
  EXPECT_EQ(view_->GetSelectedItemCount(), 0);
  EXPECT_EQ(view_->GetFirstSelected(), -1);
  EXPECT_EQ(view_->GetThumbnailCount(), 0u);
  EXPECT_FALSE(view_->HasItemThumbnail(0));
  EXPECT_EQ(view_->GetFocusedItem(), -1);
  EXPECT_EQ(view_->GetTopItem(), 0);
  EXPECT_EQ(At(wxPoint(58, 58)), -1);
  // The data stays the owner's.
  EXPECT_EQ(data_[28].image_index, 28);

  // A fresh fill starts clean and at the top.
  view_->AppendItems({&data_[0], &data_[1]});
  EXPECT_EQ(view_->GetItemCount(), 2);
  EXPECT_EQ(view_->GetSelectedItemCount(), 0);
  EXPECT_FALSE(view_->IsSelected(0));
  EXPECT_FALSE(view_->HasItemThumbnail(0));
  EXPECT_EQ(At(wxPoint(58, 58)), 0);
  ASSERT_NO_FATAL_FAILURE(ClickItem(1, wxMOD_SHIFT));
  EXPECT_EQ(Selection(), (std::vector<long>{1}));
}

TEST_F(PictureIconViewTest, TwentyThousandItemsScrollToTheEnd) {
  ASSERT_NO_FATAL_FAILURE(Open(wxSize(620, 500), 20000));
  const int columns = view_->GetColumnCount();
  ASSERT_EQ(columns, 5);
  view_->SelectAll();
  EXPECT_EQ(view_->GetSelectedItemCount(), 20000);
  view_->EnsureVisible(19999);
  EXPECT_TRUE(FullyShown(19999));
  EXPECT_EQ(At(Centre(view_->GetItemRect(19999))), 19999);
  long first = -1, end = -1;
  view_->GetVisibleRange(&first, &end);
  EXPECT_EQ(end, 20000);
  EXPECT_EQ(first % columns, 0);
  // A plain click on the last one clears all the others, each announced.
  ASSERT_NO_FATAL_FAILURE(ClickItem(19999));
  EXPECT_EQ(view_->GetSelectedItemCount(), 1);
  EXPECT_EQ(Selection(), std::vector<long>{19999});
  EXPECT_EQ(events_.size(), 19999u);
  EXPECT_EQ(events_.front(), "-0");
  EXPECT_EQ(events_.back(), "-19998");
}

}  // namespace
