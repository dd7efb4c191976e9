#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/category_table.h"
#include "device_image_fixture.h"
#include "export/export_list.h"
#include "export/tool_bar.h"

namespace {

using testsupport::ArrayOf;
using testsupport::Dict;
using testsupport::FlatList;
using testsupport::Group;

plist_t Song(const std::string& title, const std::string& path) {
  return Dict({{"title", title}, {"path", path}, {"name", "shown " + title}});
}

// path|folder|title of every item.
std::vector<std::string> Read(const ExportItemList& list) {
  std::vector<std::string> items;
  for (const auto& item : list)
    items.push_back(item->path.utf8_string() + "|" + item->folder_name.utf8_string() + "|" +
                    item->title.utf8_string());
  return items;
}

TEST(ExportListTest, EachRecordBuilderWalksItsNodeWithItsFolderAndTitleRules) {
  plist_t flat = FlatList({Song("One", "/m/1.mp3"), Song("Two", "/m/2.mp3")});
  plist_t memos = FlatList({Song("Memo 1", "/v/1.m4a")});  // titled by "title", not "name"
  plist_t books = ArrayOf({Group("catalog", "Novels", {Song("N1", "/b/n1"), Song("N2", "/b/n2")}),
                           Group("catalog", "Poems", {Song("P1", "/b/p1"), Song("P2", "/b/p2")})});
  plist_t playlists = ArrayOf({Group("name", "Road", {Song("R1", "/m/r1")}),
                               Dict({}, {{"number", 1}})});  // no "item" array
  plist_t unnamed = FlatList({Song("U1", "/m/u1")});          // a playlist without "name"
  plist_t pictures = FlatList({Dict({{"path", "/DCIM/100APPLE/IMG_0001.JPG"}}),
                               Dict({{"path", "\\DCIM\\100APPLE\\IMG_0002.HEIC"}}),
                               Dict({{"path", "/DCIM/.hidden"}}),
                               Dict({{"path", "README"}}),
                               Dict({{"title", "no path"}})});
  const struct {
    const char* name;
    void (*build)(ExportItemList*, plist_t);
    plist_t node;
    std::vector<std::string> items;
  } kCases[] = {
      {"flat", &ToolBar::GetExportList, flat, {"/m/1.mp3||One", "/m/2.mp3||Two"}},
      {"memos", &ToolBar::GetExportList, memos, {"/v/1.m4a||Memo 1"}},
      {"books", &ToolBar::GetBookExportList, books,
       {"/b/n1|Novels|N1", "/b/n2|Novels|N2", "/b/p1|Poems|P1", "/b/p2|Poems|P2"}},
      {"one catalog", &ToolBar::GetSubBookExportList, record::GroupAt(books, 1),
       {"/b/p1|Poems|P1", "/b/p2|Poems|P2"}},
      {"playlists", &ToolBar::GetPlaylistExportList, playlists, {"/m/r1|Road|R1"}},
      {"one playlist", &ToolBar::GetSubPlaylistExportList, record::GroupAt(playlists, 0),
       {"/m/r1|Road|R1"}},
      {"playlist without name", &ToolBar::GetSubPlaylistExportList, unnamed, {"/m/u1||U1"}},
      {"pictures", &ToolBar::GetPictureExportList, pictures,
       {"/DCIM/100APPLE/IMG_0001.JPG||IMG_0001", "\\DCIM\\100APPLE\\IMG_0002.HEIC||IMG_0002",
        "/DCIM/.hidden||.hidden", "README||README", "||"}},
      {"flat list given as an array", &ToolBar::GetExportList, books, {}},
      {"grouped list given as a dictionary", &ToolBar::GetBookExportList, flat, {}},
      {"nothing", &ToolBar::GetExportList, nullptr, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ExportItemList list;
    c.build(&list, c.node);
    EXPECT_EQ(Read(list), c.items);
  }
  // Builders append: they never clear.
  ExportItemList list;
  ToolBar::GetExportList(&list, memos);
  ToolBar::GetSubBookExportList(&list, record::GroupAt(books, 0));
  EXPECT_EQ(Read(list), (std::vector<std::string>{"/v/1.m4a||Memo 1", "/b/n1|Novels|N1",
                                                  "/b/n2|Novels|N2"}));
  for (plist_t node : {flat, memos, books, playlists, unnamed, pictures}) plist_free(node);
}

TEST(ExportListTest, TheCategoryTableChoosesTheWalk) {
  plist_t books = ArrayOf({Group("catalog", "Novels", {Song("N1", "/b/n1")})});
  plist_t pictures = FlatList({Dict({{"path", "/DCIM/IMG_7.JPG"}})});
  const struct {
    int code;
    plist_t node;
    std::vector<std::string> items;
  } kCases[] = {
      {kCategoryBooks, books, {"/b/n1|Novels|N1"}},
      {kCategoryBookCatalog, record::GroupAt(books, 0), {"/b/n1|Novels|N1"}},
      {kCategoryCameraRoll, pictures, {"/DCIM/IMG_7.JPG||IMG_7"}},
      {kCategoryPhotos, pictures, {"/DCIM/IMG_7.JPG||IMG_7"}},
      {kCategoryMusic, pictures, {"/DCIM/IMG_7.JPG||"}},  // no "title"
      {0, books, {}},
      {99, books, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.code);
    ExportItemList list;
    AppendCategoryExportItems(&list, c.code, c.node);
    EXPECT_EQ(Read(list), c.items);
  }
  plist_free(books);
  plist_free(pictures);
}

}  // namespace
