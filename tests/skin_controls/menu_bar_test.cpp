// The skinned menu bar and its buttons, driven with real pointer and key
// events on the X server. A popup menu runs its own loop, so everything that
// happens while one is open is a timed script (skintest::Script).
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/translation.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/domain_face.h"
#include "common/image_util.h"
#include "export/tool_bar.h"
#include "skin_test_util.h"
#include "catalog_in_memory.h"
#include "test_support.h"
#include "window/base/zl_menu_bar.h"
#include "window/base/zl_menu_button.h"

using skintest::PixelAt;
using skintest::Script;

namespace {

const wxColour kHostColour(255, 0, 255);
const wxColour kNormalText(250, 250, 250);
const wxColour kCurrentText(255, 160, 0);
const int kTileWidth = 7;
const int kTileHeight = 24;

wxFont ButtonFont() {
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  font.SetPointSize(10);
  return font;
}

int CaptionWidth(const wxString& caption) {
  wxBitmap scratch(1, 1);
  wxMemoryDC dc(scratch);
  dc.SetFont(ButtonFont());
  return dc.GetTextExtent(caption).GetWidth();
}

wxColour TileAt(int x, int y) {
  return skintest::PatternColour(x % kTileWidth, y % kTileHeight);
}

int g_deleted = 0;

class CountedMenu : public wxMenu {
 public:
  ~CountedMenu() override { ++g_deleted; }
};

class CountedBitmap : public wxBitmap {
 public:
  explicit CountedBitmap(const wxBitmap& bitmap) : wxBitmap(bitmap) {}
  ~CountedBitmap() override { ++g_deleted; }
};

struct MenuEntry {
  int id;
  const char* caption;
  int first_item;
};
const MenuEntry kMenus[] = {
    {236, "File", 9100}, {5125, "Edit", 9200}, {5132, "Help", 9300}};

wxMenu* MakeMenu(int first_item) {
  wxMenu* menu = new wxMenu;
  menu->Append(first_item, "First entry");
  menu->Append(first_item + 1, "Second entry");
  menu->Append(first_item + 2, "Third entry");
  return menu;
}

// ---------------------------------------------------------------------------
// The button on its own.

class MenuButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(skintest::HasGuiApp());
    frame_ = skintest::ShowFrame(wxSize(300, 120));
    host_ = new wxPanel(frame_, wxID_ANY, wxPoint(0, 0), wxSize(300, 120));
    host_->SetBackgroundColour(kHostColour);
  }
  void TearDown() override { skintest::CloseFrame(frame_); }

  ZlMenuButton* MakeButton(const wxString& caption, wxMenu* menu = nullptr) {
    tile_ = skintest::PatternBitmap(kTileWidth, kTileHeight);
    return new ZlMenuButton(menu ? menu : MakeMenu(9000), caption, &tile_,
                            host_, 4242, kNormalText, kCurrentText,
                            wxPoint(40, 30), wxBORDER_NONE);
  }

  wxColour ScreenColourAtCentre(wxWindow* window) {
    const wxRect area(window->GetScreenPosition(), window->GetSize());
    wxImage image = skintest::CaptureScreen(
        wxRect(area.GetX() + area.GetWidth() / 2,
               area.GetY() + area.GetHeight() / 2, 1, 1));
    return PixelAt(image, 0, 0);
  }

  bool ShowsAtCentre(wxWindow* window, const wxColour& colour) {
    return testsupport::RunLoopUntil(
        [&] { return ScreenColourAtCentre(window) == colour; }, 3000);
  }

  wxFrame* frame_ = nullptr;
  wxPanel* host_ = nullptr;
  wxBitmap tile_;
};

TEST_F(MenuButtonTest, PicturesAreTheTiledBackgroundWithTheCaptionTopLeft) {
  const wxString caption = "Advanced";
  const int width = CaptionWidth(caption);
  ZlMenuButton* button = MakeButton(caption);

  EXPECT_EQ(button->GetSize(), wxSize(width + 16, kTileHeight));
  EXPECT_EQ(button->GetBestSize(), wxSize(width + 16, kTileHeight));
  EXPECT_EQ(button->GetFont().GetPointSize(), 10);
  EXPECT_EQ(button->state(), 0);
  EXPECT_TRUE(button->auto_change_state());
  EXPECT_EQ(button->background(ZlMenuButton::kDisabled), nullptr);

  ASSERT_NE(button->background(ZlMenuButton::kNormal), nullptr);
  ASSERT_NE(button->background(ZlMenuButton::kCurrent), nullptr);
  wxImage normal = button->background(ZlMenuButton::kNormal)->ConvertToImage();
  wxImage current =
      button->background(ZlMenuButton::kCurrent)->ConvertToImage();
  ASSERT_EQ(normal.GetSize(), wxSize(width + 16, kTileHeight));
  ASSERT_EQ(current.GetSize(), normal.GetSize());

  int caption_pixels = 0;
  int off_caption = 0;
  int wrong_colour = 0;
  for (int y = 0; y < kTileHeight; ++y)
    for (int x = 0; x < width + 16; ++x) {
      const wxColour tile = TileAt(x, y);
      const wxColour n = PixelAt(normal, x, y);
      const wxColour c = PixelAt(current, x, y);
      if (n == tile && c == tile) continue;
      ++caption_pixels;
      // The caption starts at the left edge: nothing right of its width.
      if (x >= width + 1) ++off_caption;
      // Fully covered caption pixels carry each picture's own colour.
      if (n == kNormalText && c != kCurrentText) ++wrong_colour;
    }
  EXPECT_GT(caption_pixels, 20);
  EXPECT_EQ(off_caption, 0);
  EXPECT_EQ(wrong_colour, 0);
  // Caption ink in the top-left corner area, in both colours.
  bool normal_ink = false;
  bool current_ink = false;
  for (int y = 0; y < kTileHeight; ++y)
    for (int x = 0; x < width; ++x) {
      normal_ink |= skintest::Near(PixelAt(normal, x, y), kNormalText, 40);
      current_ink |= skintest::Near(PixelAt(current, x, y), kCurrentText, 40);
    }
  EXPECT_TRUE(normal_ink);
  EXPECT_TRUE(current_ink);
}

TEST_F(MenuButtonTest, StatesFollowThePointerAndChooseThePicture) {
  ZlMenuButton* button = MakeButton("Edit");
  // Solid pictures make the one on screen easy to tell.
  const wxColour red(200, 0, 0), green(0, 200, 0), blue(0, 0, 200);
  const wxSize size = button->GetSize();
  button->set_background(0, new wxBitmap(skintest::SolidBitmap(
                                size.x, size.y, red)));
  button->set_background(1, new wxBitmap(skintest::SolidBitmap(
                                size.x, size.y, green)));
  wxUIActionSimulator sim;
  sim.MouseMove(frame_->GetScreenPosition() + wxPoint(280, 110));
  skintest::Settle(frame_);
  const wxPoint centre =
      button->GetScreenPosition() + wxPoint(size.x / 2, size.y / 2);

  EXPECT_TRUE(ShowsAtCentre(button, red));

  sim.MouseMove(centre);
  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return button->state() == 1; }));
  EXPECT_TRUE(ShowsAtCentre(button, green));

  sim.MouseMove(centre + wxPoint(0, 60));
  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return button->state() == 0; }));
  EXPECT_TRUE(ShowsAtCentre(button, red));

  // Without automatic change the pointer leaves the state alone.
  button->set_auto_change_state(false);
  sim.MouseMove(centre);
  testsupport::RunLoopFor(300);
  EXPECT_EQ(button->state(), 0);
  button->MakeActivate();
  EXPECT_EQ(button->state(), 1);
  EXPECT_TRUE(ShowsAtCentre(button, green));
  sim.MouseMove(centre + wxPoint(0, 60));
  testsupport::RunLoopFor(300);
  EXPECT_EQ(button->state(), 1);

  // Disabled: the disabled picture wins over the current one, and without
  // one the normal picture shows.
  button->set_background(2, new wxBitmap(skintest::SolidBitmap(
                                size.x, size.y, blue)));
  button->Disable();
  EXPECT_FALSE(button->IsEnabled());
  EXPECT_TRUE(ShowsAtCentre(button, blue));
  button->set_background(2, nullptr);
  button->Refresh();
  EXPECT_TRUE(ShowsAtCentre(button, red));
  button->Enable();
  EXPECT_TRUE(ShowsAtCentre(button, green));
  button->MakeNormal();
  EXPECT_TRUE(ShowsAtCentre(button, red));
}

TEST_F(MenuButtonTest, PressSendsAButtonEventOnTheWayDown) {
  ZlMenuButton* button = MakeButton("File");
  std::vector<int> ids;
  std::vector<wxObject*> objects;
  host_->Bind(wxEVT_BUTTON, [&](wxCommandEvent& event) {
    ids.push_back(event.GetId());
    objects.push_back(event.GetEventObject());
  });
  skintest::Settle(frame_);
  wxUIActionSimulator sim;
  sim.MouseMove(button->GetScreenPosition() + wxPoint(5, 5));
  testsupport::RunLoopFor(100);
  sim.MouseDown();
  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return !ids.empty(); }));
  EXPECT_TRUE(wxGetMouseState().LeftIsDown());
  sim.MouseUp();
  testsupport::RunLoopFor(200);
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_EQ(ids[0], 4242);
  EXPECT_EQ(objects[0], button);
}

TEST_F(MenuButtonTest, OwnsItsMenuAndFirstThreePictures) {
  g_deleted = 0;
  ZlMenuButton* button = MakeButton("File", new CountedMenu);
  CountedBitmap* spare = new CountedBitmap(skintest::SolidBitmap(4, 4, *wxRED));
  button->set_background(0, new CountedBitmap(
                                skintest::SolidBitmap(4, 4, *wxRED)));
  button->set_background(2, new CountedBitmap(
                                skintest::SolidBitmap(4, 4, *wxRED)));
  button->set_background(2, new CountedBitmap(
                                skintest::SolidBitmap(4, 4, *wxBLUE)));
  EXPECT_EQ(g_deleted, 1);  // the replaced disabled picture
  button->set_background(3, spare);
  delete button;
  EXPECT_EQ(g_deleted, 4);  // the menu and pictures 0 and 2, not picture 3
  delete spare;
}

// ---------------------------------------------------------------------------
// The bar.

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(skintest::HasGuiApp());
    g_deleted = 0;
    frame_ = skintest::ShowFrame(wxSize(500, 300));
    host_ = new wxPanel(frame_, wxID_ANY, wxPoint(0, 0), wxSize(500, 300));
    host_->SetBackgroundColour(kHostColour);
    bar_ = new ZLMenuBar(
        new CountedBitmap(skintest::PatternBitmap(kTileWidth, kTileHeight)),
        host_, wxID_ANY, wxPoint(20, 10));
    for (const MenuEntry& entry : kMenus)
      bar_->AppendMenuButton(entry.id, MakeMenu(entry.first_item), entry.caption,
                             kNormalText, kCurrentText);
    host_->Bind(wxEVT_MENU,
                [this](wxCommandEvent& event) { commands_.push_back(event.GetId()); });
    bar_->Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
      opened_.push_back(event.GetMenu());
      event.Skip();
    });
    bar_->Bind(wxEVT_MENU_CLOSE, [this](wxMenuEvent& event) {
      closed_.push_back(event.GetMenu());
      event.Skip();
    });
    sim_.MouseMove(frame_->GetScreenPosition() + wxPoint(450, 250));
    skintest::Settle(frame_);
  }
  void TearDown() override { skintest::CloseFrame(frame_); }

  ZlMenuButton* Button(int id) {
    return wxDynamicCast(bar_->FindWindow(id), ZlMenuButton);
  }
  wxRect ScreenRect(int id) {
    return wxRect(Button(id)->GetScreenPosition(), Button(id)->GetSize());
  }
  wxPoint Centre(int id) {
    const wxRect r = ScreenRect(id);
    return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
  }
  // Inside the first entry of the button's open menu, which pops up one
  // pixel below the button's left edge.
  wxPoint FirstEntry(int id) {
    const wxRect r = ScreenRect(id);
    return wxPoint(r.x + 30, r.GetBottom() + 2 + 16);
  }

  // Script steps.
  void Click(Script& script, int delay_ms) {
    script.Then(delay_ms, [this] { sim_.MouseDown(); })
        .Then(60, [this] { sim_.MouseUp(); });
  }
  void MoveTo(Script& script, int delay_ms, wxPoint to) {
    script.Then(delay_ms, [this, to] { sim_.MouseMove(to); });
  }
  // Closes whatever popup a failing step may have left open, so that the
  // test can always end.
  void Finish(Script& script) {
    script.Then(300, [this] { sim_.Char(WXK_ESCAPE); })
        .Then(200, [this] { sim_.Char(WXK_ESCAPE); })
        .Then(200, [] {});
  }

  wxUIActionSimulator sim_;
  wxFrame* frame_ = nullptr;
  wxPanel* host_ = nullptr;
  ZLMenuBar* bar_ = nullptr;
  std::vector<int> commands_;
  std::vector<wxMenu*> opened_;
  std::vector<wxMenu*> closed_;
};

TEST_F(MenuBarTest, ButtonsSitSideBySideAndTheBarTakesTheirWidth) {
  int x = 0;
  for (const MenuEntry& entry : kMenus) {
    ZlMenuButton* button = Button(entry.id);
    ASSERT_NE(button, nullptr) << entry.caption;
    EXPECT_EQ(button->GetPosition(), wxPoint(x, 0)) << entry.caption;
    EXPECT_EQ(button->GetSize(),
              wxSize(CaptionWidth(entry.caption) + 16, kTileHeight))
        << entry.caption;
    EXPECT_EQ(button->GetLabel(), entry.caption);
    x += button->GetSize().x;
  }
  EXPECT_EQ(bar_->next_x(), x);
  EXPECT_EQ(bar_->next_y(), 0);
  EXPECT_EQ(bar_->GetSize(), wxSize(x, kTileHeight));
  EXPECT_EQ(bar_->GetBestSize(), wxSize(x, kTileHeight));
  EXPECT_EQ(bar_->GetPosition(), wxPoint(20, 10));
  EXPECT_EQ(bar_->state(), 0);

  // Cleared, every button goes with its menu, and appending starts over.
  wxMenu* counted = new CountedMenu;
  bar_->AppendMenuButton(5130, counted, "Advanced", kNormalText,
                         kCurrentText);
  bar_->ClearAllMenu();
  EXPECT_EQ(g_deleted, 1);
  EXPECT_EQ(bar_->GetChildren().GetCount(), 0u);
  EXPECT_EQ(bar_->next_x(), 0);
  bar_->AppendMenuButton(5125, MakeMenu(9200), "Edit", kNormalText,
                         kCurrentText);
  EXPECT_EQ(Button(5125)->GetPosition(), wxPoint(0, 0));
  EXPECT_EQ(bar_->GetSize(), Button(5125)->GetSize());

  // The bar owns its background.
  bar_->Destroy();
  EXPECT_EQ(g_deleted, 2);
}

TEST_F(MenuBarTest, PointerTestNamesTheButtonUnderAScreenPoint) {
  // A fourth button after a gap of bar background.
  bar_->set_next_x(bar_->next_x() + 10);
  bar_->AppendMenuButton(5130, MakeMenu(9400), "Advanced", kNormalText,
                         kCurrentText);
  const wxRect file = ScreenRect(236);
  const wxRect edit = ScreenRect(5125);
  const wxRect help = ScreenRect(5132);
  struct Case {
    const char* what;
    wxPoint point;
    int id;
  } cases[] = {
      {"first pixel of File", file.GetTopLeft(), 236},
      {"last pixel of File", file.GetBottomRight(), 236},
      {"first pixel of Edit", edit.GetTopLeft(), 5125},
      {"middle of Help", Centre(5132), 5132},
      {"in the gap", wxPoint(help.GetRight() + 5, help.y + 3), -1},
      {"after the gap", wxPoint(help.GetRight() + 11, help.y + 3), 5130},
      {"above the bar", wxPoint(file.x + 3, file.y - 1), -1},
      {"below the bar", wxPoint(file.x + 3, file.GetBottom() + 1), -1},
      {"left of the bar", wxPoint(file.x - 1, file.y + 3), -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(bar_->PointerTest(c.point), c.id) << c.what;
}

TEST(ZLMenuBarStateTest, InverseStateFlipsOnlyZeroAndOne) {
  struct Case {
    int before, returned, after;
  } cases[] = {{0, 0, 1}, {1, 1, 0}, {2, 2, 2}, {-1, -1, -1}};
  for (const Case& c : cases) {
    ZLMenuBar bar;
    bar.set_state(c.before);
    EXPECT_EQ(bar.InverseState(), c.returned) << c.before;
    EXPECT_EQ(bar.state(), c.after) << c.before;
  }
}

TEST(ZLMenuBarStateTest, ClassesAreRegisteredUnderTheirNames) {
  struct Case {
    const char* name;
    const char* base;
  } cases[] = {{"ZlMenuButton", "wxControl"}, {"ZLMenuBar", "wxPanel"}};
  for (const Case& c : cases) {
    const wxClassInfo* info = wxClassInfo::FindClass(c.name);
    ASSERT_NE(info, nullptr) << c.name;
    EXPECT_EQ(wxString(info->GetBaseClassName1()), c.base) << c.name;
  }
}

TEST_F(MenuBarTest, PressOpensBelowMovingOnSwitchesChoosingDelivers) {
  ZlMenuButton* file = Button(236);
  ZlMenuButton* edit = Button(5125);
  const wxRect file_area = ScreenRect(236);
  bool file_current_while_open = false;
  bool file_auto_while_open = true;
  int current_while_file_open = 0;
  int next_while_file_open = 0;
  wxColour gap_row, under_file, left_of_menu, far_away;
  bool switched_states = false;
  int current_while_edit_open = 0;

  Script script;
  MoveTo(script, 100, Centre(236));
  Click(script, 150);
  script.Then(500, [&] {
    file_current_while_open = file->state() == 1;
    file_auto_while_open = file->auto_change_state();
    current_while_file_open = ZLMenuBar::current_id();
    next_while_file_open = ZLMenuBar::next_id();
    // The row right under the button, then the menu's top row, from one
    // pixel left of the button.
    wxImage below = skintest::CaptureScreen(
        wxRect(file_area.x - 1, file_area.GetBottom() + 1, 4, 2));
    gap_row = PixelAt(below, 3, 0);
    under_file = PixelAt(below, 3, 1);
    left_of_menu = PixelAt(below, 0, 1);
    wxImage beside = skintest::CaptureScreen(
        wxRect(frame_->GetScreenPosition() + wxPoint(480, 280), wxSize(1, 1)));
    far_away = PixelAt(beside, 0, 0);
  });
  // No click: only the pointer moves onto the next button.
  MoveTo(script, 0, Centre(5125));
  script.Then(500, [&] {
    switched_states = file->state() == 0 && file->auto_change_state() &&
                      edit->state() == 1 && !edit->auto_change_state();
    current_while_edit_open = ZLMenuBar::current_id();
  });
  MoveTo(script, 0, FirstEntry(5125));
  Click(script, 300);
  Finish(script);
  ASSERT_TRUE(skintest::RunScript(script));

  EXPECT_TRUE(file_current_while_open);
  EXPECT_FALSE(file_auto_while_open);
  EXPECT_EQ(current_while_file_open, 236);
  EXPECT_EQ(next_while_file_open, -2);
  // The menu shows from the button's left edge, one pixel below it, over
  // the parent's magenta.
  EXPECT_EQ(gap_row, kHostColour) << skintest::Describe(gap_row);
  EXPECT_NE(under_file, kHostColour) << skintest::Describe(under_file);
  EXPECT_EQ(left_of_menu, kHostColour) << skintest::Describe(left_of_menu);
  EXPECT_EQ(far_away, kHostColour) << skintest::Describe(far_away);

  ASSERT_EQ(opened_.size(), 2u);
  EXPECT_EQ(opened_[0], file->menu());
  EXPECT_EQ(opened_[1], edit->menu());
  EXPECT_TRUE(switched_states);
  EXPECT_EQ(current_while_edit_open, 5125);

  // The entry's command reaches the bar's parent, and the bar is ready for
  // the next press.
  EXPECT_EQ(commands_, std::vector<int>{9200});
  ASSERT_EQ(closed_.size(), 2u);
  EXPECT_EQ(closed_[0], file->menu());
  EXPECT_EQ(closed_[1], edit->menu());
  EXPECT_EQ(bar_->state(), 0);
  EXPECT_TRUE(edit->auto_change_state());
  EXPECT_EQ(edit->state(), 0);
}

TEST_F(MenuBarTest, ALoopRunByAnEntryDoesNotSwitchMenus) {
  // An entry that shows a dialog runs its loop before the popup call
  // returns; the pointer crossing the bar meanwhile must not open a menu.
  bool in_dialog = false;
  host_->Bind(wxEVT_MENU, [&](wxCommandEvent& event) {
    in_dialog = true;
    testsupport::RunLoopFor(900);
    in_dialog = false;
    event.Skip();
  });
  bool moved_during_dialog = false;

  Script script;
  MoveTo(script, 100, Centre(236));
  Click(script, 150);
  MoveTo(script, 400, FirstEntry(236));
  Click(script, 250);
  script.Then(250, [&] {
    moved_during_dialog = in_dialog;
    sim_.MouseMove(Centre(5125));
  });
  script.Then(900, [] {});
  Finish(script);
  ASSERT_TRUE(skintest::RunScript(script));

  EXPECT_TRUE(moved_during_dialog);
  EXPECT_EQ(commands_, std::vector<int>{9100});
  EXPECT_EQ(opened_.size(), 1u);
  EXPECT_EQ(bar_->state(), 0);
}

TEST_F(MenuBarTest, PressingTheOpenMenusButtonClosesItWithoutReopening) {
  ZlMenuButton* file = Button(236);
  size_t opened_after_second_press = 0;
  size_t closed_after_second_press = 0;
  int state_after_second_press = -1;
  size_t opened_after_third_press = 0;
  size_t opened_after_escape_and_press = 0;

  Script script;
  MoveTo(script, 100, Centre(236));
  Click(script, 150);
  Click(script, 500);  // the open menu's own button
  script.Then(500, [&] {
    opened_after_second_press = opened_.size();
    closed_after_second_press = closed_.size();
    state_after_second_press = bar_->state();
  });
  Click(script, 0);
  script.Then(500, [&] { opened_after_third_press = opened_.size(); });
  // Closed from the keyboard with the pointer still on the button: no press
  // is pending, so the next press opens the menu again.
  script.Then(0, [this] { sim_.Char(WXK_ESCAPE); });
  Click(script, 500);
  script.Then(500, [&] { opened_after_escape_and_press = opened_.size(); });
  Finish(script);
  ASSERT_TRUE(skintest::RunScript(script));

  EXPECT_EQ(opened_after_second_press, 1u);
  EXPECT_EQ(closed_after_second_press, 1u);
  EXPECT_EQ(state_after_second_press, 0);
  EXPECT_EQ(opened_after_third_press, 2u);
  EXPECT_EQ(opened_after_escape_and_press, 3u);
  EXPECT_TRUE(commands_.empty());
  for (wxMenu* menu : opened_) EXPECT_EQ(menu, file->menu());
  EXPECT_EQ(closed_.size(), 3u);
  EXPECT_EQ(bar_->state(), 0);
  EXPECT_TRUE(file->auto_change_state());
}

TEST_F(MenuBarTest, APressInTheSwallowingStateOpensNothing) {
  bar_->set_state(1);
  size_t opened_after_swallowed = 99;
  int state_after_swallowed = -1;
  size_t opened_after_next = 0;

  Script script;
  MoveTo(script, 100, Centre(5132));
  Click(script, 150);
  script.Then(400, [&] {
    opened_after_swallowed = opened_.size();
    state_after_swallowed = bar_->state();
  });
  Click(script, 0);
  script.Then(500, [&] { opened_after_next = opened_.size(); });
  Finish(script);
  ASSERT_TRUE(skintest::RunScript(script));

  EXPECT_EQ(opened_after_swallowed, 0u);
  EXPECT_EQ(state_after_swallowed, 0);
  EXPECT_EQ(opened_after_next, 1u);
  EXPECT_EQ(bar_->state(), 0);
}

// ---------------------------------------------------------------------------
// Rebuilding the buttons while a popup of the bar runs: the button whose
// menu is open is inside its own press handler until the tracking ends.

struct Rebuild {
  const char* name;
  // Rebuilds from the command of the open menu's first entry; otherwise
  // from a script step while the menu is still open.
  bool from_command;
};

const Rebuild kRebuilds[] = {{"from an entry's command", true},
                             {"while the menu is open", false}};

const MenuEntry kRebuiltMenus[] = {
    {236, "Datei", 9150}, {5125, "Bearbeiten", 9250}, {5132, "Hilfe", 9350}};

TEST_F(MenuBarTest, ButtonsRebuiltDuringAPopupGoOnlyOnceTheTrackingEnds) {
  for (const Rebuild& rebuild : kRebuilds) {
    SCOPED_TRACE(rebuild.name);
    commands_.clear();
    opened_.clear();
    int old_destroyed = 0;
    int destroyed_while_tracking = 0;
    for (const MenuEntry& entry : kMenus)
      Button(entry.id)->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
        ++old_destroyed;
        if (bar_->tracking()) ++destroyed_while_tracking;
        event.Skip();
      });
    bool rebuilt = false;
    bool tracking_at_rebuild = false;
    auto rebuild_bar = [&] {
      tracking_at_rebuild = bar_->tracking();
      bar_->ClearAllMenu();
      for (const MenuEntry& entry : kRebuiltMenus)
        bar_->AppendMenuButton(entry.id, MakeMenu(entry.first_item),
                               entry.caption, kNormalText, kCurrentText);
      rebuilt = true;
    };
    auto on_command = [&](wxCommandEvent& event) {
      rebuild_bar();
      event.Skip();
    };
    if (rebuild.from_command)
      host_->Bind(wxEVT_MENU, on_command, kMenus[1].first_item);
    size_t opened_before_reopen = 0;
    wxMenu* reopened_menu = nullptr;

    Script script;
    MoveTo(script, 100, Centre(5125));
    Click(script, 150);
    if (rebuild.from_command) {
      MoveTo(script, 400, FirstEntry(5125));
      Click(script, 250);
    } else {
      script.Then(400, rebuild_bar);
      script.Then(200, [this] { sim_.Char(WXK_ESCAPE); });
    }
    // The rebuilt bar opens its menus as before: the new File menu.
    script.Then(500, [&] {
      opened_before_reopen = opened_.size();
      sim_.MouseMove(Centre(236));
    });
    Click(script, 200);
    script.Then(500, [&] {
      if (opened_.size() > opened_before_reopen) reopened_menu = opened_.back();
      sim_.MouseMove(FirstEntry(236));
    });
    Click(script, 300);
    Finish(script);
    ASSERT_TRUE(skintest::RunScript(script));
    if (rebuild.from_command)
      host_->Unbind(wxEVT_MENU, on_command, kMenus[1].first_item);

    ASSERT_TRUE(rebuilt);
    EXPECT_TRUE(tracking_at_rebuild);
    EXPECT_EQ(old_destroyed, 3);
    EXPECT_EQ(destroyed_while_tracking, 0);
    EXPECT_EQ(bar_->GetChildren().GetCount(), 3u);
    int x = 0;
    for (const MenuEntry& entry : kRebuiltMenus) {
      ZlMenuButton* button = Button(entry.id);
      ASSERT_NE(button, nullptr) << entry.caption;
      EXPECT_EQ(button->GetLabel(), entry.caption);
      EXPECT_EQ(button->GetPosition(), wxPoint(x, 0)) << entry.caption;
      EXPECT_TRUE(button->IsShown()) << entry.caption;
      EXPECT_TRUE(button->auto_change_state()) << entry.caption;
      EXPECT_EQ(button->state(), 0) << entry.caption;
      x += button->GetSize().x;
    }
    EXPECT_EQ(bar_->GetSize().x, x);
    EXPECT_EQ(reopened_menu, Button(236)->menu());
    const std::vector<int> expected_commands =
        rebuild.from_command ? std::vector<int>{9200, 9150}
                             : std::vector<int>{9150};
    EXPECT_EQ(commands_, expected_commands);
    EXPECT_EQ(bar_->state(), 0);
    EXPECT_FALSE(bar_->tracking());
  }
}

// ---------------------------------------------------------------------------
// The tool bar's change of language, chosen in its own Language menu.

using testsupport::CatalogInMemory;
using testsupport::MessageCatalog;

class ToolBarLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(skintest::HasGuiApp());
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                         "/Themes/face.xml");
    frame_ = skintest::ShowFrame(wxSize(900, 300));
    tool_bar_ = new ToolBar(58);
    ASSERT_TRUE(tool_bar_->Create(
        ImageUtil::GetBitmapResourceP("image/tool/tool_bg.png",
                                      wxBITMAP_TYPE_PNG),
        frame_, wxID_ANY, wxPoint(0, 0), wxSize(900, 60)));
    tool_bar_->Layout();
    sim_.MouseMove(frame_->GetScreenPosition() + wxPoint(850, 250));
    skintest::Settle(frame_);
  }
  void TearDown() override {
    skintest::CloseFrame(frame_);
    // Deletes the catalog if a test made it current.
    wxTranslations::Set(nullptr);
  }

  ZlMenuButton* Button(int id) {
    return wxDynamicCast(tool_bar_->zl_menu_bar()->FindWindow(id),
                         ZlMenuButton);
  }
  wxPoint Centre(int id) {
    ZlMenuButton* button = Button(id);
    return button->GetScreenPosition() +
           wxPoint(button->GetSize().x / 2, button->GetSize().y / 2);
  }

  std::unique_ptr<wxTranslations> german_{new wxTranslations};
  wxUIActionSimulator sim_;
  wxFrame* frame_ = nullptr;
  ToolBar* tool_bar_ = nullptr;
};

TEST_F(ToolBarLanguageTest, ChoosingALanguageRebuildsTheMenusInIt) {
  german_->SetLoader(new CatalogInMemory(MessageCatalog(
      {{"File", "Datei"},
       {"Edit", "Bearbeiten"},
       {"Advanced", "Erweitert"},
       {"Help", "Hilfe"},
       {"Options", "Optionen"}})));
  german_->SetLanguage("de");
  ASSERT_TRUE(german_->AddCatalog("language"));

  ZLMenuBar* bar = tool_bar_->zl_menu_bar();
  const int ids[] = {kFileMenuButtonId, kEditMenuButtonId,
                     kAdvancedMenuButtonId, kHelpMenuButtonId};
  int old_destroyed = 0;
  int destroyed_while_tracking = 0;
  for (int id : ids)
    Button(id)->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
      ++old_destroyed;
      if (bar->tracking()) ++destroyed_while_tracking;
      event.Skip();
    });
  int chosen = 0;
  bool tracking_at_change = false;
  tool_bar_->Bind(wxEVT_MENU, [&](wxCommandEvent& event) {
    chosen = event.GetId();
    tracking_at_change = bar->tracking();
    wxTranslations::Set(german_.release());
    tool_bar_->ChangeLanguage();
  }, 89);
  std::vector<wxMenu*> opened;
  std::vector<int> commands;
  bool ready_for_the_next = false;

  Script script;
  script.Then(100, [&] { sim_.MouseMove(Centre(kAdvancedMenuButtonId)); });
  script.Then(150, [&] { sim_.MouseDown(); }).Then(60, [&] { sim_.MouseUp(); });
  // Options, Language, into the submenu, down to the third language.
  for (int key : {WXK_DOWN, WXK_DOWN, WXK_RIGHT, WXK_DOWN, WXK_DOWN})
    script.Then(key == WXK_DOWN ? 150 : 400, [&, key] { sim_.Char(key); });
  script.Then(300, [&] { sim_.Char(WXK_RETURN); });
  // The rebuilt bar opens its menus.
  script.Then(600, [&] {
    ready_for_the_next = old_destroyed == 4;
    bar->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& event) {
      opened.push_back(event.GetMenu());
      event.Skip();
    });
    tool_bar_->Bind(wxEVT_MENU, [&](wxCommandEvent& event) {
      commands.push_back(event.GetId());
    }, kExportCheckedId);
    sim_.MouseMove(Centre(kEditMenuButtonId));
  });
  script.Then(150, [&] { sim_.MouseDown(); }).Then(60, [&] { sim_.MouseUp(); });
  script.Then(500, [&] { sim_.Char(WXK_DOWN); });
  script.Then(150, [&] { sim_.Char(WXK_RETURN); });
  script.Then(400, [&] { sim_.Char(WXK_ESCAPE); });
  script.Then(200, [&] { sim_.Char(WXK_ESCAPE); });
  script.Then(200, [] {});
  ASSERT_TRUE(skintest::RunScript(script));

  EXPECT_EQ(chosen, 89);
  EXPECT_TRUE(tracking_at_change);
  EXPECT_TRUE(ready_for_the_next);
  EXPECT_EQ(old_destroyed, 4);
  EXPECT_EQ(destroyed_while_tracking, 0);
  EXPECT_EQ(bar->GetChildren().GetCount(), 4u);
  const char* captions[] = {"Datei", "Bearbeiten", "Erweitert", "Hilfe"};
  int x = 0;
  for (int i = 0; i < 4; ++i) {
    ZlMenuButton* button = Button(ids[i]);
    ASSERT_NE(button, nullptr) << captions[i];
    EXPECT_EQ(button->GetLabel(), captions[i]);
    EXPECT_EQ(button->GetPosition().x, x) << captions[i];
    x += button->GetSize().x;
  }
  EXPECT_EQ(bar->GetSize().x, x);
  EXPECT_EQ(Button(kAdvancedMenuButtonId)->menu(), tool_bar_->advanced_menu());
  EXPECT_EQ(tool_bar_->advanced_menu()->FindItem(kOptionsId)->GetItemLabelText(),
            "Optionen");
  // The checked language item follows the tool bar's language code.
  EXPECT_TRUE(tool_bar_->language_menu()->IsChecked(tool_bar_->language()));
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], tool_bar_->edit_menu());
  EXPECT_EQ(commands, std::vector<int>{kExportCheckedId});
  EXPECT_FALSE(bar->tracking());
}

}  // namespace
