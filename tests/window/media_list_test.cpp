#include <gtest/gtest.h>
#include <wx/dataview.h>
#include <wx/splitter.h>
#include <wx/srchctrl.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "device/device_record.h"
#include "device_image_fixture.h"
#include "export/export_item.h"
#include "export/tool_bar.h"
#include "main_window.h"
#include "test_support.h"
#include "screen_capture.h"
#include "window/device_content_view.h"
#include "window/filter_list_ctrl.h"
#include "window/left_pane.h"
#include "window/public_list_ctrl.h"
#include "window/right_pane.h"
#include "window/status_bar.h"
#include "window/transfer_frame.h"

namespace {

using testsupport::ArrayOf;
using testsupport::DeviceImageBuilder;
using testsupport::Dict;
using testsupport::FlatList;
using testsupport::Group;

void IgnoreWarning(const wxString&) {}

// A media item; the time and size texts are the helpers' own.
plist_t Media(const std::string& title, const std::string& genre = "",
              const std::string& artist = "", const std::string& album = "") {
  return Dict({{"title", title},
               {"genre", genre},
               {"artist", artist},
               {"album", album},
               {"path", "/m/" + title}},
              {{"size", 2048}, {"time", 61000}});
}

plist_t Memo(const std::string& name, const std::string& title) {
  return Dict({{"name", name}, {"title", title}, {"genre", "g"},
               {"artist", "a"}, {"album", "b"}, {"path", "/v/" + title}},
              {{"size", 1024}, {"time", 3000}});
}

// One media list row as the tests read it back.
struct Row {
  std::string title, time, size, genre, artist, album;
  int category;
  uint64_t bytes;
  std::string path, group;
};

bool operator==(const Row& a, const Row& b) {
  return a.title == b.title && a.time == b.time && a.size == b.size &&
         a.genre == b.genre && a.artist == b.artist && a.album == b.album &&
         a.category == b.category && a.bytes == b.bytes && a.path == b.path &&
         a.group == b.group;
}

void PrintTo(const Row& r, std::ostream* os) {
  *os << "{" << r.title << "|" << r.time << "|" << r.size << "|" << r.genre
      << "|" << r.artist << "|" << r.album << "|" << r.category << "|"
      << r.bytes << "|" << r.path << "|" << r.group << "}";
}

// Rows of a song, a book and a voice memo as the fill makes them.
Row Song(const std::string& title, int code, const std::string& group = "",
         const std::string& genre = "", const std::string& artist = "",
         const std::string& album = "") {
  return {title, "0:1:1", "2.00KB", genre, artist, album, code, 2048, "/m/" + title, group};
}
Row Book(const std::string& title, int code, const std::string& catalog) {
  return {title, "", "", "", "", "", code, 0, "/m/" + title, catalog};
}
Row MemoRow(const std::string& shown, const std::string& title) {
  return {shown, "0:0:3", "1.00KB", "", "", "", 11, 1024, "/v/" + title, ""};
}

class MediaListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LeftPane::show_warning_ = IgnoreWarning;
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                         "/Themes/face.xml");
    images_ = testsupport::MakeTempDir("images");
  }
  void TearDown() override {
    if (frame_) {
      frame_->Destroy();
      testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
    }
  }

  // Every list the fill family reads, two catalogs and two playlists.
  std::string MediaDevice() {
    DeviceImageBuilder image(images_ + "/media");
    image.Identifier(std::string(40, 'a'))
        .Info(Dict({{"DeviceName", "Phone"}, {"Type", "iPhone9,1"}}));
    image.List("Music",
               FlatList({Media("Yesterday", "Pop", "The Beatles", "Help"),
                         Media("Angie", "Rock", "Stones", "Goats Head Soup"),
                         Media("Paranoid", "Metal", "Black Sabbath", "Paranoid")}));
    image.List("Movies", FlatList({Media("Heat")}));
    image.List("TVShows", FlatList({Media("Pilot")}));
    image.List("Podcasts", FlatList({Media("Talk")}));
    image.List("Audiobooks", FlatList({Media("Tale")}));
    image.List("Books",
               ArrayOf({Group("catalog", "Novels",
                              {Media("N1"), Media("N2"), Media("N3")}),
                        Group("catalog", "Poems", {Media("P1"), Media("P2")})}));
    image.List("Ringtones", FlatList({Media("Ring")}));
    image.List("Playlists",
               ArrayOf({Group("name", "Road", {Media("R1"), Media("R2")}),
                        Group("name", "Quiet", {Media("Q1")})}));
    image.List("VoiceMemos",
               FlatList({Memo("", "Memo 1"), Memo("Shopping", "Memo 2")}));
    image.List("CameraRoll",
               FlatList({Dict({{"path", "/DCIM/IMG_1.JPG"}}, {{"size", 9}})}));
    return image.Write();
  }

  void StartAndDetect() {
    TransferApp& app = wxGetApp();
    ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(1000, 700), 10000));
    pane_ = app.left_pane_;
    tree_ = pane_->navigation_tree();
    list_ = app.public_list_;
    ASSERT_NE(list_, nullptr);
    ASSERT_TRUE(tree_->GetRootItem().IsOk());
  }

  DeviceContext Context() {
    wxMutexLocker lock(AppData::current_device_list_lock_);
    return AppData::current_device_list_.device_contexts[0];
  }

  wxTreeItemId Entry(CategoryCode code) {
    for (size_t i = 0; i < kCategoryCount; ++i)
      if (kCategories[i].code == code) return pane_->category_item(i);
    return wxTreeItemId();
  }

  wxTreeItemId FirstChild(const wxTreeItemId& parent) {
    wxTreeItemIdValue cookie;
    return tree_->GetFirstChild(parent, cookie);
  }

  // Chooses a tree entry as a click would.
  void Choose(const wxTreeItemId& item) {
    ASSERT_TRUE(item.IsOk());
    tree_->SelectItem(item);
    testsupport::RunLoopFor(50);
  }

  std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (unsigned int r = 0; r < list_->GetItemCount(); ++r) {
      const PublicListViewData& data = list_->GetRowData(r);
      auto text = [&](int column) { return list_->GetTextValue(r, column).utf8_string(); };
      rows.push_back({text(2), text(3), text(4), text(5), text(6), text(7),
                      data.category, data.size, data.path.utf8_string(),
                      data.group_name.utf8_string()});
    }
    return rows;
  }

  std::vector<std::string> Titles() {
    std::vector<std::string> titles;
    for (unsigned int r = 0; r < list_->GetItemCount(); ++r)
      titles.push_back(list_->GetTextValue(r, PublicListCtrl::kTitleColumn).utf8_string());
    return titles;
  }

  void Search(const char* text) {
    wxGetApp().tool_bar_->search_entry()->SetValue(text);
    testsupport::RunLoopFor(20);
  }

  // Five songs of 1 MB whose genres differ in case and include an empty one.
  std::string FilterDevice() {
    DeviceImageBuilder image(images_ + "/filters");
    image.Identifier(std::string(40, 'b'))
        .Info(Dict({{"DeviceName", "Phone"}, {"Type", "iPhone9,1"}}));
    auto song = [](const std::string& title, const std::string& genre,
                   const std::string& artist, const std::string& album) {
      return Dict({{"title", title}, {"genre", genre}, {"artist", artist},
                   {"album", album}, {"path", "/m/" + title}},
                  {{"size", 1048576}, {"time", 1000}});
    };
    image.List("Music", FlatList({song("S1", "Rock", "Ann", "A1"),
                                  song("S2", "Pop", "Bob", "B1"),
                                  song("S3", "Rock", "Bob", "B1"),
                                  song("S4", "rock", "Cid", "C1"),
                                  song("S5", "", "Ann", "A2")}));
    image.List("Books",
               ArrayOf({Group("catalog", "Novels", {Media("N1"), Media("N2")})}));
    return image.Write();
  }

  std::vector<std::string> FilterRows(FilterListCtrl* filter) {
    std::vector<std::string> rows;
    for (unsigned int r = 0; r < filter->GetItemCount(); ++r)
      rows.push_back(filter->GetTextValue(r).utf8_string());
    return rows;
  }

  std::vector<unsigned int> Marked() {
    std::vector<unsigned int> rows;
    for (unsigned int r = 0; r < list_->GetItemCount(); ++r)
      if (list_->GetToggleValue(r)) rows.push_back(r);
    return rows;
  }

  std::string Hint() {
    return wxGetApp().status_bar_->status_text()->GetLabel().utf8_string();
  }

  // The screen point at the centre of a row's cell in a list.
  static wxPoint CellCentre(wxDataViewCtrl* list, const wxDataViewItem& item,
                            unsigned int column) {
    const wxRect cell = list->GetItemRect(item, list->GetColumn(column));
    return list->GetMainWindow()->ClientToScreen(cell.GetPosition() + cell.GetSize() / 2);
  }

  void Click(const wxPoint& where, int modifiers = 0) {
    wxUIActionSimulator sim;
    sim.MouseMove(where);
    testsupport::RunLoopFor(30);
    if (modifiers & wxMOD_SHIFT) sim.KeyDown(WXK_SHIFT);
    if (modifiers & wxMOD_CONTROL) sim.KeyDown(WXK_CONTROL);
    sim.MouseClick();
    if (modifiers & wxMOD_CONTROL) sim.KeyUp(WXK_CONTROL);
    if (modifiers & wxMOD_SHIFT) sim.KeyUp(WXK_SHIFT);
    testsupport::RunLoopFor(120);
  }

  void ClickRow(unsigned int row, unsigned int column, int modifiers = 0) {
    Click(CellCentre(list_, list_->RowToItem(row), column), modifiers);
  }

  void ClickFilter(FilterListCtrl* filter, unsigned int row) {
    filter->EnsureVisible(filter->RowToItem(row));
    testsupport::RunLoopFor(30);
    Click(CellCentre(filter, filter->RowToItem(row), 0));
  }

  void Command(int id) {
    wxCommandEvent command(wxEVT_MENU, id);
    wxGetApp().tool_bar_->ProcessWindowEvent(command);
    testsupport::RunLoopFor(20);
  }

  std::string images_;
  TransferFrame* frame_ = nullptr;
  LeftPane* pane_ = nullptr;
  wxTreeCtrl* tree_ = nullptr;
  PublicListCtrl* list_ = nullptr;
};

TEST_F(MediaListTest, EachFillOperationMakesItsRows) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  const DeviceContext c = Context();
  plist_t novels = record::GroupAt(c.book_list, 0);
  plist_t quiet = record::GroupAt(c.playlist_list, 1);
  const struct {
    const char* name;
    void (*fill)(PublicListCtrl*, plist_t);
    plist_t node;
    std::vector<Row> rows;
  } kCases[] = {
      {"music", &LeftPane::FillWithMusicList, c.music_list,
       {Song("Yesterday", 1, "", "Pop", "The Beatles", "Help"),
        Song("Angie", 1, "", "Rock", "Stones", "Goats Head Soup"),
        Song("Paranoid", 1, "", "Metal", "Black Sabbath", "Paranoid")}},
      {"movies", &LeftPane::FillWithMovieList, c.movie_list, {Song("Heat", 2)}},
      {"tv shows", &LeftPane::FillWithTVShowList, c.tv_show_list, {Song("Pilot", 3)}},
      {"podcasts", &LeftPane::FillWithPodcastList, c.podcast_list, {Song("Talk", 4)}},
      {"audiobooks", &LeftPane::FillWithAudiobookList, c.audiobook_list, {Song("Tale", 5)}},
      {"books", &LeftPane::FillWithBookList, c.book_list,
       {Book("N1", 6, "Novels"), Book("N2", 6, "Novels"), Book("N3", 6, "Novels"),
        Book("P1", 6, "Poems"), Book("P2", 6, "Poems")}},
      {"one catalog", &LeftPane::FillWithSubBookList, novels,
       {Book("N1", 7, "Novels"), Book("N2", 7, "Novels"), Book("N3", 7, "Novels")}},
      {"ringtones", &LeftPane::FillWithRingtoneList, c.ringtone_list, {Song("Ring", 8)}},
      {"playlists", &LeftPane::FillWithPlaylistList, c.playlist_list,
       {Song("R1", 9, "Road"), Song("R2", 9, "Road"), Song("Q1", 9, "Quiet")}},
      {"one playlist", &LeftPane::FillWithSubPlaylistList, quiet,
       {Song("Q1", 10, "Quiet")}},
      {"voice memos", &LeftPane::FillWithVoiceMemoList, c.voice_memo_list,
       {MemoRow("Memo 1", "Memo 1"), MemoRow("Shopping", "Memo 2")}},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.name);
    list_->DeleteAllItems();
    k.fill(list_, k.node);
    EXPECT_EQ(Rows(), k.rows);
    for (unsigned int r = 0; r < list_->GetItemCount(); ++r) {
      EXPECT_FALSE(list_->GetToggleValue(r));
      const wxBitmap icon = list_->GetIcon(r);
      EXPECT_TRUE(icon.IsOk());
      EXPECT_EQ(icon.GetWidth(), 16);
    }
  }
  // The fill appends: the caller clears.
  list_->DeleteAllItems();
  LeftPane::FillWithMovieList(list_, c.movie_list);
  LeftPane::FillWithRingtoneList(list_, c.ringtone_list);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Heat", "Ring"}));
}

TEST_F(MediaListTest, NodesOfTheWrongShapeGiveNoRows) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  plist_t song = Media("x");
  plist_t nodes[] = {
      ArrayOf({plist_copy(song)}),                                   // flat list as array
      Dict({{"item", "text"}}, {{"number", 4}}),                      // "item" no array
      Group("catalog", "Lone", {plist_copy(song)}),                  // grouped list as dict
      ArrayOf({plist_new_uint(3), ArrayOf({plist_copy(song)})}),     // no group is a dict
      plist_new_string("nothing"),
  };
  const struct {
    const char* name;
    void (*fill)(PublicListCtrl*, plist_t);
    int node;  // -1: null
  } kCases[] = {
      {"music from an array", &LeftPane::FillWithMusicList, 0},
      {"music whose item is text", &LeftPane::FillWithMusicList, 1},
      {"memos from an array", &LeftPane::FillWithVoiceMemoList, 0},
      {"books from a dictionary", &LeftPane::FillWithBookList, 2},
      {"books without groups", &LeftPane::FillWithBookList, 3},
      {"playlists without groups", &LeftPane::FillWithPlaylistList, 3},
      {"one catalog from an array", &LeftPane::FillWithSubBookList, 3},
      {"one playlist from a string", &LeftPane::FillWithSubPlaylistList, 4},
      {"music from nothing", &LeftPane::FillWithMusicList, -1},
      {"books from nothing", &LeftPane::FillWithBookList, -1},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.name);
    list_->DeleteAllItems();
    k.fill(list_, k.node < 0 ? nullptr : nodes[k.node]);
    EXPECT_EQ(list_->GetItemCount(), 0u);
  }
  // Entries that are no dictionaries are skipped, the others still listed.
  plist_t mixed = FlatList({plist_new_string("junk"), plist_copy(song), plist_new_uint(1)});
  list_->DeleteAllItems();
  LeftPane::FillWithMusicList(list_, mixed);
  EXPECT_EQ(Titles(), std::vector<std::string>{"x"});
  // Picture codes and unknown codes append nothing.
  for (int code : {0, 12, 13, 14, -1}) {
    LeftPane::FillPublicListView(list_, code, Context().music_list);
    EXPECT_EQ(list_->GetItemCount(), 1u) << code;
  }
  for (plist_t node : nodes) plist_free(node);
  plist_free(mixed);
  plist_free(song);
}

TEST_F(MediaListTest, EightFixedUnsortedColumnsUnderTheirHeaders) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  const struct {
    const char* header;
    int width;
    int cell_align;  // horizontal part
    bool toggle;
  } kColumns[] = {
      {"\xe2\x88\x9a", 50, wxALIGN_CENTER_HORIZONTAL, true},
      {"Type", 50, wxALIGN_CENTER_HORIZONTAL, false},
      {"Title", 150, wxALIGN_LEFT, false},
      {"Time", 60, wxALIGN_CENTER_HORIZONTAL, false},
      {"Size", 0, wxALIGN_CENTER_HORIZONTAL, false},  // fits its texts
      {"Genres", 80, wxALIGN_LEFT, false},
      {"Artists", 100, wxALIGN_LEFT, false},
      {"Albums", 150, wxALIGN_LEFT, false},
  };
  // The toolkit reports widths of a list it has laid out.
  Choose(Entry(kCategoryMusic));
  ASSERT_EQ(list_->GetColumnCount(), 8u);
  EXPECT_EQ(list_->GetId(), 304);
  EXPECT_TRUE(list_->HasFlag(wxDV_MULTIPLE));
  for (unsigned int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    wxDataViewColumn* column = list_->GetColumn(i);
    EXPECT_EQ(column->GetModelColumn(), i);
    EXPECT_EQ(column->GetTitle().utf8_string(), kColumns[i].header);
    if (kColumns[i].width)
      EXPECT_EQ(column->GetWidth(), kColumns[i].width);
    else
      EXPECT_GE(column->GetWidth(),
                std::max(55, list_->GetTextExtent(PublicListCtrl::kWidestSizeText).x));
    EXPECT_EQ(column->GetAlignment() & wxALIGN_CENTER_HORIZONTAL,
              wxALIGN_CENTER_HORIZONTAL);
    EXPECT_EQ(column->GetRenderer()->GetAlignment() & wxALIGN_CENTER_HORIZONTAL,
              kColumns[i].cell_align);
    EXPECT_TRUE(column->IsResizeable());
    EXPECT_EQ(column->GetRenderer()->GetMode(),
              kColumns[i].toggle ? wxDATAVIEW_CELL_ACTIVATABLE : wxDATAVIEW_CELL_INERT);
  }

  // Clicking a header leaves the order alone.
  const std::vector<std::string> before = Titles();
  list_->Update();
  testsupport::RunLoopFor(100);
  int header_clicks = 0;
  list_->Bind(wxEVT_DATAVIEW_COLUMN_HEADER_CLICK, [&](wxDataViewEvent& event) {
    ++header_clicks;
    event.Skip();
  });
  wxUIActionSimulator sim;
  const wxPoint corner = list_->GetScreenPosition();
  for (int x : {50 + 50 + 75, 50 + 50 + 150 + 60 + 55 + 40}) {
    sim.MouseMove(corner + wxPoint(x, 8));
    testsupport::RunLoopFor(50);
    sim.MouseClick();
    testsupport::RunLoopFor(100);
  }
  EXPECT_EQ(header_clicks, 2);
  EXPECT_EQ(Titles(), before);
}

TEST_F(MediaListTest, ChoosingACategoryFillsShowsAndSnapshotsTheList) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  TransferApp& app = wxGetApp();
  EXPECT_TRUE(app.right_pane_->ZLIsShown(kDeviceInfoView));

  Choose(Entry(kCategoryMusic));
  EXPECT_TRUE(app.right_pane_->ZLIsShown(kMediaListView));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Yesterday", "Angie", "Paranoid"}));
  ASSERT_EQ(AppData::public_list_view_copy_.GetCount(), 3u);
  EXPECT_EQ(AppData::public_list_view_copy_.Item(1).artist, "Stones");
  list_->SetToggleValue(true, 0);

  // A group child fills from its own node; the old rows and marks go.
  Choose(FirstChild(Entry(kCategoryPlaylists)));
  EXPECT_TRUE(app.right_pane_->ZLIsShown(kMediaListView));
  EXPECT_EQ(Rows(), (std::vector<Row>{Song("R1", 10, "Road"), Song("R2", 10, "Road")}));
  EXPECT_FALSE(list_->GetToggleValue(0));
  EXPECT_EQ(AppData::public_list_view_copy_.GetCount(), 2u);
  EXPECT_EQ(AppData::public_list_view_copy_.Item(1).group_name, "Road");

  Choose(Entry(kCategoryBooks));
  EXPECT_EQ(list_->GetItemCount(), 5u);
  Choose(Entry(kCategoryVoiceMemos));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Memo 1", "Shopping"}));

  // Pictures show their own view and leave the media list alone.
  Choose(Entry(kCategoryCameraRoll));
  EXPECT_TRUE(app.right_pane_->ZLIsShown(kCameraRollIconView));
  EXPECT_FALSE(app.right_pane_->ZLIsShown(kMediaListView));
  EXPECT_EQ(list_->GetItemCount(), 2u);

  Choose(tree_->GetRootItem());
  EXPECT_TRUE(app.right_pane_->ZLIsShown(kDeviceInfoView));
}

TEST_F(MediaListTest, SearchNarrowsFromTheWholeSnapshotWithUnmarkedRows) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  Choose(Entry(kCategoryMusic));
  ASSERT_EQ(list_->GetItemCount(), 3u);
  const struct {
    const char* text;
    std::vector<std::string> titles;
  } kCases[] = {
      {"beat", {"Yesterday"}},           // artist, any case
      {"ROCK", {"Angie"}},               // genre
      {"head", {"Angie"}},               // album
      {"parano", {"Paranoid"}},          // title
      {"an", {"Angie", "Paranoid"}},     // after a narrower search: from all
      {"xyz", {}},
      {"0:1:1", {}},                     // time text
      {"kb", {}},                        // size text
      {"/m/", {}},                       // path
      {"", {"Yesterday", "Angie", "Paranoid"}},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.text);
    Search(k.text);
    EXPECT_EQ(Titles(), k.titles);
  }

  // A mark does not survive a keystroke.
  list_->SetToggleValue(true, 1);
  list_->SetToggleValue(true, 2);
  Search("a");
  ASSERT_EQ(list_->GetItemCount(), 3u);
  for (unsigned int r = 0; r < 3; ++r) EXPECT_FALSE(list_->GetToggleValue(r)) << r;

  // Cancel empties the entry and lists everything again.
  Search("angie");
  ASSERT_EQ(list_->GetItemCount(), 1u);
  wxCommandEvent cancel(wxEVT_SEARCH_CANCEL, kSearchEntryId);
  wxGetApp().tool_bar_->ProcessWindowEvent(cancel);
  EXPECT_TRUE(wxGetApp().tool_bar_->search_entry()->GetValue().empty());
  EXPECT_EQ(list_->GetItemCount(), 3u);

  // A book found keeps its catalog.
  Choose(Entry(kCategoryBooks));
  Search("p2");
  EXPECT_EQ(Rows(), std::vector<Row>{Book("P2", 6, "Poems")});

  // While pictures are shown, typing changes nothing.
  Choose(Entry(kCategoryCameraRoll));
  Search("n");
  EXPECT_EQ(Titles(), std::vector<std::string>{"P2"});
}

TEST_F(MediaListTest, FilterListsHoldEveryDistinctValueAndFilterFromTheSnapshot) {
  testsupport::ConnectImages({FilterDevice()});
  StartAndDetect();
  DeviceContentView* content = wxGetApp().device_content_view_;
  FilterListCtrl* genres = content->genre_filter_list();
  FilterListCtrl* artists = content->artist_filter_list();
  FilterListCtrl* albums = content->album_filter_list();
  EXPECT_EQ(genres->GetId(), 301);
  EXPECT_EQ(artists->GetId(), 302);
  EXPECT_EQ(albums->GetId(), 303);
  Choose(Entry(kCategoryMusic));
  EXPECT_EQ(FilterRows(genres),
            (std::vector<std::string>{"(All)", "Rock", "Pop", "rock", ""}));
  EXPECT_EQ(FilterRows(artists), (std::vector<std::string>{"(All)", "Ann", "Bob", "Cid"}));
  EXPECT_EQ(FilterRows(albums),
            (std::vector<std::string>{"(All)", "A1", "B1", "C1", "A2"}));

  const struct {
    FilterListCtrl* filter;
    unsigned int row;
    std::vector<std::string> titles;
  } kCases[] = {
      {genres, 1, {"S1", "S3", "S4"}},          // Rock and rock
      {genres, 4, {"S5"}},                      // the empty genre
      {artists, 2, {"S2", "S3"}},               // whatever the genre chosen
      {albums, 2, {"S2", "S3"}},
      {genres, 0, {"S1", "S2", "S3", "S4", "S5"}},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(FilterRows(k.filter)[k.row] + " in " + std::to_string(k.filter->GetId()));
    ClickFilter(k.filter, k.row);
    EXPECT_EQ(k.filter->GetSelectedRow(), static_cast<int>(k.row));
    EXPECT_EQ(Titles(), k.titles);
  }

  // "(All)" undoes a search, and rows come back unmarked.
  Search("s2");
  ASSERT_EQ(Titles(), std::vector<std::string>{"S2"});
  list_->SetToggleValue(true, 0);
  ClickFilter(artists, 0);
  EXPECT_EQ(list_->GetItemCount(), 5u);
  EXPECT_TRUE(Marked().empty());
  EXPECT_EQ(Hint(), "");

  // Refilling for another category runs neither the filter nor the marking
  // handler, and empties the filters of a list without those fields.
  ClickRow(1, PublicListCtrl::kTitleColumn);
  ClickFilter(genres, 1);
  testing::internal::CaptureStdout();
  Choose(FirstChild(Entry(kCategoryBooks)));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.find("OnFilterSelectionChanged"), std::string::npos) << out;
  EXPECT_EQ(out.find("OnPublicSelectionChanged"), std::string::npos) << out;
  EXPECT_EQ(Titles(), (std::vector<std::string>{"N1", "N2"}));
  EXPECT_EQ(FilterRows(genres), (std::vector<std::string>{"(All)", ""}));
  EXPECT_EQ(genres->GetSelectedRow(), wxNOT_FOUND);
}

TEST_F(MediaListTest, SelectionMarksRowsUnlessTheClickIsOnTheCheckBox) {
  testsupport::ConnectImages({FilterDevice()});
  StartAndDetect();
  Choose(Entry(kCategoryMusic));
  list_->Update();
  testsupport::RunLoopFor(50);

  // The pointer over a check box, then over the title beside it.
  wxUIActionSimulator sim;
  sim.MouseMove(CellCentre(list_, list_->RowToItem(0), PublicListCtrl::kCheckColumn));
  testsupport::RunLoopFor(50);
  wxDataViewColumn* check = list_->GetColumn(0);
  EXPECT_TRUE(DeviceContentView::ZLHitTest(list_, list_->RowToItem(0), check));
  EXPECT_FALSE(DeviceContentView::ZLHitTest(list_, list_->RowToItem(1), check));
  sim.MouseMove(CellCentre(list_, list_->RowToItem(0), PublicListCtrl::kCheckColumn) +
                wxPoint(18, 0));
  testsupport::RunLoopFor(50);
  EXPECT_FALSE(DeviceContentView::ZLHitTest(list_, list_->RowToItem(0), check));

  // A click on the box toggles it once, selection or not.
  ClickRow(0, PublicListCtrl::kCheckColumn);
  EXPECT_EQ(Marked(), std::vector<unsigned int>{0});
  EXPECT_EQ(Hint(), "Select 1 file, total 1.00MB");
  ClickRow(0, PublicListCtrl::kCheckColumn);
  EXPECT_TRUE(Marked().empty());
  EXPECT_EQ(Hint(), "");

  // Selecting one row marks it; selecting never unmarks.
  ClickRow(1, PublicListCtrl::kTitleColumn);
  EXPECT_EQ(Marked(), std::vector<unsigned int>{1});
  ClickRow(3, PublicListCtrl::kArtistColumn, wxMOD_SHIFT);
  EXPECT_EQ(Marked(), (std::vector<unsigned int>{1, 2, 3}));
  EXPECT_EQ(Hint(), "Select 3 files, total 3.00MB");
  ClickRow(2, PublicListCtrl::kTitleColumn);
  EXPECT_EQ(Marked(), (std::vector<unsigned int>{1, 2, 3}));
  // The box of the selected row unmarks it.
  ClickRow(2, PublicListCtrl::kCheckColumn);
  EXPECT_EQ(Marked(), (std::vector<unsigned int>{1, 3}));
  EXPECT_EQ(Hint(), "Select 2 files, total 2.00MB");
}

TEST_F(MediaListTest, CheckHeaderTogglesEveryRowAndEditCommandsTakeTheShownRows) {
  testsupport::ConnectImages({FilterDevice()});
  StartAndDetect();
  DeviceContentView::public_header_clear_ = false;
  Choose(Entry(kCategoryMusic));
  const wxPoint corner = list_->GetScreenPosition();
  const wxRect box(list_->GetItemRect(list_->RowToItem(0), list_->GetColumn(0)));
  const wxRect on_screen(list_->GetMainWindow()->ClientToScreen(box.GetPosition()),
                         box.GetSize());
  auto pixels = [](const wxImage& image) {
    return std::string(reinterpret_cast<const char*>(image.GetData()),
                       image.GetWidth() * image.GetHeight() * 3);
  };
  // The empty box once it is drawn: not a blank cell.
  wxImage unmarked;
  ASSERT_TRUE(testsupport::RunLoopUntil([&] {
    unmarked = testsupport::CaptureScreen(on_screen);
    return pixels(unmarked).find_first_not_of('\xff') != std::string::npos;
  }, 5000));

  Click(corner + wxPoint(25, 8));  // the check column's header
  EXPECT_EQ(Marked().size(), 5u);
  EXPECT_EQ(Hint(), "Select 5 files, total 5.00MB");
  // The boxes are drawn marked (the repaint may take a while on a busy
  // machine; a list that is never repainted fails here).
  EXPECT_TRUE(testsupport::RunLoopUntil([&] {
    return pixels(testsupport::CaptureScreen(on_screen)) != pixels(unmarked);
  }, 5000));
  Click(corner + wxPoint(25, 8));
  EXPECT_TRUE(Marked().empty());
  EXPECT_EQ(Hint(), "");
  Click(corner + wxPoint(50 + 50 + 75, 8));  // "Title"
  EXPECT_TRUE(Marked().empty());
  // The flag outlives a refill: the next click marks again.
  Choose(Entry(kCategoryMusic));
  Click(corner + wxPoint(25, 8));
  EXPECT_EQ(Marked().size(), 5u);

  // Filtered to the three Rock songs, the commands touch those only; the
  // list's own popup reaches the same commands.
  ClickFilter(wxGetApp().device_content_view_->genre_filter_list(), 1);
  ASSERT_EQ(Titles(), (std::vector<std::string>{"S1", "S3", "S4"}));
  Command(kCheckAllId);
  EXPECT_EQ(Marked(), (std::vector<unsigned int>{0, 1, 2}));
  EXPECT_EQ(Hint(), "Select 3 files, total 3.00MB");
  list_->SetToggleValue(false, 1);
  EXPECT_EQ(Hint(), "Select 2 files, total 2.00MB");
  Command(kInverseCheckedId);
  EXPECT_EQ(Marked(), std::vector<unsigned int>{1});
  EXPECT_EQ(Hint(), "Select 1 file, total 1.00MB");
  wxCommandEvent clear(wxEVT_MENU, kClearCheckedId);
  list_->ProcessWindowEvent(clear);
  EXPECT_TRUE(Marked().empty());
  EXPECT_EQ(Hint(), "");

  // Books have no size: the hint counts them without a total.
  Choose(Entry(kCategoryBooks));
  Command(kCheckAllId);
  EXPECT_EQ(Hint(), "Select 2 files");

  // With the device information shown the commands do nothing.
  Choose(tree_->GetRootItem());
  EXPECT_EQ(Hint(), "");
  Command(kClearCheckedId);
  EXPECT_EQ(Marked().size(), 2u);
}

TEST_F(MediaListTest, ViewSwitchesHideAndShowTheFilters) {
  testsupport::ConnectImages({FilterDevice()});
  StartAndDetect();
  TransferApp& app = wxGetApp();
  wxSplitterWindow* splitter = app.public_view_splitter_;
  auto press = [&](int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    app.tool_bar_->ProcessWindowEvent(click);
    testsupport::RunLoopFor(50);
  };
  // Nothing happens while the device information is shown.
  press(kListViewButtonId);
  EXPECT_TRUE(splitter->IsSplit());

  Choose(Entry(kCategoryMusic));
  ASSERT_TRUE(splitter->IsSplit());
  press(kListViewButtonId);
  EXPECT_FALSE(splitter->IsSplit());
  EXPECT_FALSE(app.filter_panel_->IsShown());
  EXPECT_EQ(list_->GetSize().y, splitter->GetSize().y);
  press(kListViewButtonId);
  EXPECT_FALSE(splitter->IsSplit());

  press(kFilterViewButtonId);
  ASSERT_TRUE(splitter->IsSplit());
  EXPECT_TRUE(app.filter_panel_->IsShown());
  EXPECT_NEAR(splitter->GetSashPosition(), splitter->GetSize().y * 4 / 10, 2);
  const int sash = splitter->GetSashPosition();
  press(kFilterViewButtonId);
  EXPECT_EQ(splitter->GetSashPosition(), sash);
  // The filters still work once shown again.
  ClickFilter(app.device_content_view_->artist_filter_list(), 1);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"S1", "S5"}));
}

std::vector<std::string> ExportRead(const ExportItemList& list) {
  std::vector<std::string> items;
  for (const auto& item : list)
    items.push_back(item->path.utf8_string() + "|" + item->folder_name.utf8_string() + "|" +
                    item->title.utf8_string());
  return items;
}

TEST_F(MediaListTest, ExportListsFromTheListTakeTheRowsAsShown) {
  testsupport::ConnectImages({MediaDevice()});
  StartAndDetect();
  // Playlist rows go into their playlist's folder.
  Choose(Entry(kCategoryPlaylists));
  list_->SetToggleValue(true, 2);
  ExportItemList checked;
  ToolBar::GetExportListFromPublicCheckedItem(&checked, list_);
  EXPECT_EQ(ExportRead(checked), std::vector<std::string>{"/m/Q1|Quiet|Q1"});
  ExportItemList all;
  ToolBar::GetExportListFromPublicItem(&all, list_);
  EXPECT_EQ(ExportRead(all), (std::vector<std::string>{"/m/R1|Road|R1", "/m/R2|Road|R2",
                                                       "/m/Q1|Quiet|Q1"}));
  // A memo is titled as shown; a searched list gives only what is shown;
  // nothing marked gives nothing.
  Choose(Entry(kCategoryVoiceMemos));
  Search("shop");
  ExportItemList memos;
  ToolBar::GetExportListFromPublicItem(&memos, list_);
  EXPECT_EQ(ExportRead(memos), std::vector<std::string>{"/v/Memo 2||Shopping"});
  ExportItemList none;
  ToolBar::GetExportListFromPublicCheckedItem(&none, list_);
  EXPECT_TRUE(none.empty());
}

}  // namespace
