#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/menu.h>
#include <wx/translation.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "device/device_record.h"
#include "device_image_fixture.h"
#include "catalog_in_memory.h"
#include "main_window.h"
#include "test_support.h"
#include "window/left_pane.h"
#include "window/right_pane.h"
#include "window/transfer_frame.h"

namespace {

using testsupport::ArrayOf;
using testsupport::DeviceImageBuilder;
using testsupport::Dict;
using testsupport::FlatList;
using testsupport::Group;

void IgnoreWarning(const wxString&) {}

// The menus the pane would have shown, as "id label" lines.
std::vector<std::string> g_shown_menus;
void RecordPopup(wxWindow*, wxMenu* menu) {
  std::string shown;
  for (wxMenuItem* item : menu->GetMenuItems())
    shown += std::to_string(item->GetId()) + " " +
             item->GetItemLabelText().utf8_string() + ";";
  g_shown_menus.push_back(shown);
}

plist_t Song(const char* title) {
  return Dict({{"title", title}, {"path", std::string("/m/") + title}},
              {{"size", 1000}, {"time", 60000}});
}

plist_t WithNumber(plist_t node, uint64_t number) {
  plist_dict_set_item(node, "number", plist_new_uint(number));
  return node;
}

using testsupport::CatalogInMemory;
using testsupport::MessageCatalog;

// One tree entry as the tests read it back.
struct Row {
  std::string label;
  int image;
  int code;
  int count;
  size_t children;
};

class NavigationTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LeftPane::show_warning_ = IgnoreWarning;
    LeftPane::show_popup_menu_ = RecordPopup;
    g_shown_menus.clear();
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                         "/Themes/face.xml");
    images_ = testsupport::MakeTempDir("images");
  }
  void TearDown() override {
    if (frame_) {
      frame_->Destroy();
      testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
    }
    wxTranslations::Set(nullptr);
  }

  static std::string Id(int n) {
    char buffer[41];
    snprintf(buffer, sizeof buffer, "%040x", n);
    return buffer;
  }

  // Two catalogs, a present but empty list, absent lists and a playlist
  // array with something in it that is no group.
  std::string MediaDevice() {
    DeviceImageBuilder image(images_ + "/media");
    image.Identifier(Id(1)).Info(Dict({{"DeviceName", "Books"}, {"Type", "iPad8,1"}}));
    image.List("Music", FlatList({Song("a"), Song("b"), Song("c")}));
    image.List("Movies", FlatList({}));
    image.List("Audiobooks", WithNumber(FlatList({Song("d")}), (1ULL << 32) + 7));
    image.List("Books",
               ArrayOf({WithNumber(Group("catalog", "Novels", {Song("n")}), 12),
                        Group("catalog", "Music", {Song("p")})}));
    image.List("Playlists",
               ArrayOf({Group("name", "Road", {Song("r1"), Song("r2")}),
                        plist_new_string("not a group"),
                        Group("name", "Quiet", {})}));
    image.List("VoiceMemos", FlatList({Song("v")}));
    image.List("CameraRoll",
               FlatList({Dict({{"path", "/DCIM/IMG_1.JPG"}, {"time", "x"}}, {{"size", 9}})}));
    return image.Write();
  }

  // Lists of the wrong shapes.
  std::string OddDevice() {
    DeviceImageBuilder image(images_ + "/odd");
    image.Identifier(Id(2)).Info(Dict({{"DeviceName", "Odd"}, {"Type", "iPhone9,1"}}));
    // A flat list given as an array, one whose "item" is no array.
    image.List("Music", ArrayOf({Song("a")}));
    plist_t movies = Dict({{"item", "text"}}, {{"number", 4}});
    image.List("Movies", movies);
    // Grouped lists given as a dictionary, or holding no dictionaries.
    image.List("Books", Group("catalog", "Lone", {Song("b")}));
    image.List("Playlists", ArrayOf({plist_new_uint(3), ArrayOf({Song("x")})}));
    image.List("Photos",
               ArrayOf({WithNumber(Group("name", "Big", {}), (1ULL << 32) + 5)}));
    return image.Write();
  }

  void StartAndDetect() {
    TransferApp& app = wxGetApp();
    ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(900, 600), 10000));
    pane_ = app.left_pane_;
    tree_ = pane_->navigation_tree();
  }

  void ChooseDevice(int index) {
    pane_->device_combo_box()->SetSelection(index);
    wxCommandEvent select(wxEVT_COMBOBOX, pane_->device_combo_box()->GetId());
    select.SetInt(index);
    pane_->ProcessWindowEvent(select);
  }

  NavigationTreeCtrlData* Data(const wxTreeItemId& item) {
    return static_cast<NavigationTreeCtrlData*>(tree_->GetItemData(item));
  }

  std::vector<wxTreeItemId> Children(const wxTreeItemId& parent) {
    std::vector<wxTreeItemId> children;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree_->GetFirstChild(parent, cookie); child.IsOk();
         child = tree_->GetNextChild(parent, cookie))
      children.push_back(child);
    return children;
  }

  std::vector<Row> Read(const wxTreeItemId& parent) {
    std::vector<Row> entries;
    for (const wxTreeItemId& item : Children(parent)) {
      NavigationTreeCtrlData* data = Data(item);
      EXPECT_NE(data, nullptr);
      if (!data) continue;
      EXPECT_EQ(tree_->GetItemImage(item, wxTreeItemIcon_Selected),
                tree_->GetItemImage(item));
      entries.push_back({tree_->GetItemText(item).utf8_string(),
                         tree_->GetItemImage(item), data->category, data->count,
                         tree_->GetChildrenCount(item, false)});
    }
    return entries;
  }

  wxTreeItemId CategoryEntry(CategoryCode code) {
    for (size_t i = 0; i < kCategoryCount; ++i)
      if (kCategories[i].code == code) return pane_->category_item(i);
    return wxTreeItemId();
  }

  void ExpectEntries(const std::vector<Row>& actual,
                     const std::vector<Row>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE(expected[i].label);
      EXPECT_EQ(actual[i].label, expected[i].label);
      EXPECT_EQ(actual[i].image, expected[i].image);
      EXPECT_EQ(actual[i].code, expected[i].code);
      EXPECT_EQ(actual[i].count, expected[i].count);
      EXPECT_EQ(actual[i].children, expected[i].children);
    }
  }

  std::string images_;
  TransferFrame* frame_ = nullptr;
  LeftPane* pane_ = nullptr;
  wxTreeCtrl* tree_ = nullptr;
};

TEST_F(NavigationTreeTest, PresentListsGetEntriesInTableOrderWithGroupsBelow) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  ASSERT_NE(tree_, nullptr);
  const wxTreeItemId root = tree_->GetRootItem();
  ASSERT_TRUE(root.IsOk());
  EXPECT_EQ(tree_->GetSelection(), root);
  EXPECT_TRUE(wxGetApp().right_pane_->ZLIsShown(kDeviceInfoView));
  EXPECT_EQ(tree_->GetItemText(root), "Books");
  EXPECT_EQ(Data(root)->category, kCategoryDevice);

  // Movies is present but empty; TV Shows, Podcasts, Ringtones and Photos
  // are absent. Books and Playlists count their groups, not their items;
  // the Audiobooks number keeps its low 32 bits.
  ExpectEntries(Read(root), {{"Music (3)", 4, 1, 3, 0},
                             {"Movies (0)", 5, 2, 0, 0},
                             {"Audiobooks (7)", 8, 5, 7, 0},
                             {"Books (2)", 9, 6, 2, 2},
                             {"Playlists (2)", 11, 9, 2, 2},
                             {"Voice Memos (1)", 12, 11, 1, 0},
                             {"Camera Roll (1)", 13, 12, 1, 0}});
  ExpectEntries(Read(CategoryEntry(kCategoryBooks)),
                {{"Novels (12)", 9, 7, 12, 0}, {"Music (1)", 9, 7, 1, 0}});
  ExpectEntries(Read(CategoryEntry(kCategoryPlaylists)),
                {{"Road (2)", 11, 10, 2, 0}, {"Quiet (0)", 11, 10, 0, 0}});

  for (CategoryCode absent :
       {kCategoryTVShows, kCategoryPodcasts, kCategoryRingtones, kCategoryPhotos})
    EXPECT_FALSE(CategoryEntry(absent).IsOk()) << absent;
  EXPECT_TRUE(tree_->IsExpanded(root));
  EXPECT_TRUE(tree_->IsExpanded(CategoryEntry(kCategoryBooks)));
  EXPECT_TRUE(tree_->IsExpanded(CategoryEntry(kCategoryPlaylists)));

  // Every entry points at the device's own records.
  DeviceContext context;
  {
    wxMutexLocker lock(AppData::current_device_list_lock_);
    context = AppData::current_device_list_.device_contexts[0];
  }
  EXPECT_EQ(Data(root)->node, context.info);
  EXPECT_EQ(Data(CategoryEntry(kCategoryMusic))->node, context.music_list);
  EXPECT_EQ(Data(CategoryEntry(kCategoryBooks))->node, context.book_list);
  const std::vector<wxTreeItemId> books = Children(CategoryEntry(kCategoryBooks));
  EXPECT_EQ(Data(books[1])->node, record::GroupAt(context.book_list, 1));
  const std::vector<wxTreeItemId> playlists = Children(CategoryEntry(kCategoryPlaylists));
  EXPECT_EQ(Data(playlists[1])->node, record::GroupAt(context.playlist_list, 2));
}

TEST_F(NavigationTreeTest, WrongShapesGiveEmptyEntriesAndChoosingADeviceRebuilds) {
  testsupport::ConnectImages({MediaDevice(), OddDevice()});
  StartAndDetect();
  ASSERT_NE(tree_, nullptr);
  ASSERT_EQ(pane_->device_combo_box()->GetCount(), 2u);
  ChooseDevice(1);
  const wxTreeItemId root = tree_->GetRootItem();
  EXPECT_EQ(tree_->GetItemText(root), "Odd");
  EXPECT_EQ(tree_->GetSelection(), root);
  // Photos given as groups still reads as a flat list: its "number" is
  // missing, so 0.
  ExpectEntries(Read(root), {{"Music (0)", 4, 1, 0, 0},
                             {"Movies (4)", 5, 2, 4, 0},
                             {"Books (0)", 9, 6, 0, 0},
                             {"Playlists (0)", 11, 9, 0, 0},
                             {"Photos (0)", 14, 13, 0, 0}});
  // The first device's entries were forgotten with its tree.
  EXPECT_FALSE(CategoryEntry(kCategoryAudiobooks).IsOk());
  EXPECT_FALSE(CategoryEntry(kCategoryCameraRoll).IsOk());

  ChooseDevice(0);
  EXPECT_EQ(tree_->GetItemText(tree_->GetRootItem()), "Books");
  EXPECT_EQ(Read(tree_->GetRootItem()).size(), 7u);
  EXPECT_FALSE(CategoryEntry(kCategoryPhotos).IsOk());
}

TEST_F(NavigationTreeTest, GroupNumbersBeyond32BitsShowWhole) {
  DeviceImageBuilder image(images_ + "/big");
  image.Identifier(Id(3)).Info(Dict({{"DeviceName", "Big"}, {"Type", "iPod7,1"}}));
  image.List("Playlists",
             ArrayOf({WithNumber(Group("name", "Huge", {}), (1ULL << 32) + 5)}));
  testsupport::ConnectImages({image.Write()});
  StartAndDetect();
  ASSERT_NE(tree_, nullptr);
  ExpectEntries(Read(CategoryEntry(kCategoryPlaylists)), {{"Huge (4294967301)", 11, 10, 5, 0}});
}

TEST_F(NavigationTreeTest, LanguageChangeRetranslatesOnlyTheCategoryLabels) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  ASSERT_NE(tree_, nullptr);
  std::unique_ptr<wxTranslations> german(new wxTranslations);
  german->SetLoader(new CatalogInMemory(MessageCatalog({{"Music", "Musik"},
                                                        {"Books", "Bücher"},
                                                        {"Camera Roll", "Aufnahmen"},
                                                        {"Export All Books", "Alle Bücher exportieren"},
                                                        {"Export Selected Playlist", "Wiedergabeliste exportieren"}})));
  german->SetLanguage("de");
  ASSERT_TRUE(german->AddCatalog("language"));
  wxTranslations::Set(german.release());

  pane_->SetupTreeItem();
  // The root and the catalog named "Music" keep their own names.
  EXPECT_EQ(tree_->GetItemText(tree_->GetRootItem()), "Books");
  ExpectEntries(Read(tree_->GetRootItem()), {{"Musik (3)", 4, 1, 3, 0},
                                             {"Movies (0)", 5, 2, 0, 0},
                                             {"Audiobooks (7)", 8, 5, 7, 0},
                                             {"Bücher (2)", 9, 6, 2, 2},
                                             {"Playlists (2)", 11, 9, 2, 2},
                                             {"Voice Memos (1)", 12, 11, 1, 0},
                                             {"Aufnahmen (1)", 13, 12, 1, 0}});
  ExpectEntries(Read(CategoryEntry(kCategoryBooks)),
                {{"Novels (12)", 9, 7, 12, 0}, {"Music (1)", 9, 7, 1, 0}});

  std::unique_ptr<wxMenu> books(LeftPane::CreateNavigationPopupMenu(kCategoryBooks, nullptr));
  ASSERT_EQ(books->GetMenuItemCount(), 1u);
  EXPECT_EQ(books->FindItemByPosition(0)->GetItemLabelText().utf8_string(),
            "Alle Bücher exportieren");

  // Back to the source texts through the pane's own language cascade.
  wxTranslations::Set(nullptr);
  pane_->ChangeLanguage();
  EXPECT_EQ(tree_->GetItemText(CategoryEntry(kCategoryMusic)), "Music (3)");
  EXPECT_EQ(tree_->GetItemText(CategoryEntry(kCategoryBooks)), "Books (2)");
}

TEST_F(NavigationTreeTest, PopupMenusOfferTheExportOfTheirEntry) {
  const struct {
    int code;
    int id;  // 0: an empty menu
    const char* label;
  } kCases[] = {
      {0, 0, ""},
      {1, 5100, "Export All Music"},
      {2, 5101, "Export All Movies"},
      {3, 5102, "Export All TV Shows"},
      {4, 5103, "Export All Podcasts"},
      {5, 5104, "Export All Audiobooks"},
      {6, 5105, "Export All Books"},
      {7, 5106, "Export Selected Book"},
      {8, 5107, "Export All Ringtones"},
      {9, 5108, "Export All Playlists"},
      {10, 5109, "Export Selected Playlist"},
      {11, 5110, "Export All Voice Memos"},
      {12, 5111, "Export All Camera Roll"},
      {13, 5112, "Export All Photos"},
      {14, 0, ""},
      {-1, 0, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.code);
    std::unique_ptr<wxMenu> menu(LeftPane::CreateNavigationPopupMenu(c.code, nullptr));
    if (!c.id) {
      EXPECT_EQ(menu->GetMenuItemCount(), 0u);
      continue;
    }
    ASSERT_EQ(menu->GetMenuItemCount(), 1u);
    wxMenuItem* item = menu->FindItemByPosition(0);
    EXPECT_EQ(item->GetId(), c.id);
    EXPECT_EQ(item->GetItemLabelText(), c.label);
    EXPECT_EQ(item->GetKind(), wxITEM_NORMAL);
  }
}

// A right click asks for the entry's menu and leaves the selection alone;
// the device entry has none.
TEST_F(NavigationTreeTest, RightClickShowsTheEntrysMenuWithoutSelectingIt) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  ASSERT_NE(tree_, nullptr);
  const wxTreeItemId root = tree_->GetRootItem();
  const wxTreeItemId playlist = Children(CategoryEntry(kCategoryPlaylists))[0];

  for (const wxTreeItemId& item : {root, playlist, CategoryEntry(kCategoryMusic)}) {
    wxTreeEvent click(wxEVT_TREE_ITEM_RIGHT_CLICK, tree_, item);
    tree_->ProcessWindowEvent(click);
  }
  EXPECT_EQ(g_shown_menus, (std::vector<std::string>{
                               "5109 Export Selected Playlist;",
                               "5100 Export All Music;"}));

  // A real click of the right button on an entry.
  g_shown_menus.clear();
  const wxTreeItemId books = CategoryEntry(kCategoryBooks);
  wxRect rect;
  ASSERT_TRUE(tree_->GetBoundingRect(books, rect, true));
  wxUIActionSimulator sim;
  sim.MouseMove(tree_->ClientToScreen(rect.GetPosition() + wxPoint(4, rect.height / 2)));
  testsupport::RunLoopFor(100);
  sim.MouseClick(wxMOUSE_BTN_RIGHT);
  EXPECT_TRUE(testsupport::RunLoopUntil([] { return !g_shown_menus.empty(); }));
  EXPECT_EQ(g_shown_menus, (std::vector<std::string>{"5105 Export All Books;"}));
  EXPECT_EQ(tree_->GetSelection(), root);
  EXPECT_TRUE(wxGetApp().right_pane_->ZLIsShown(kDeviceInfoView));
}

}  // namespace
