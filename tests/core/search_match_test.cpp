#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/public_list_view_copy.h"

namespace {

PublicListViewCopyItem* Item(const char* title, const char* genre,
                             const char* artist, const char* album) {
  PublicListViewCopyItem* item = new PublicListViewCopyItem;
  item->title = title;
  item->genre = genre;
  item->artist = artist;
  item->album = album;
  item->time_text = "0:3:25";
  item->size_text = "4.20MB";
  item->path = "/Media/Zed.mp3";
  item->group_name = "Quartz";
  return item;
}

PublicListViewCopy Copy() {
  PublicListViewCopy copy;
  copy.Append(Item("Yesterday", "Pop", "The Beatles", "Help"));
  copy.Append(Item("Angie", "ROCK", "Stones", "Goats Head Soup"));
  copy.Append(Item("Paranoid", "Metal", "Black Sabbath", "Paranoid"));
  copy.Append(Item("", "", "", ""));
  return copy;
}

TEST(SearchMatchTest, CaseInsensitiveSubstringOfTitleGenreArtistAlbumOnly) {
  const PublicListViewCopy copy = Copy();
  const struct {
    const char* text;
    std::vector<size_t> found;
  } kCases[] = {
      {"beat", {0}},            // artist
      {"BEAT", {0}},            // the text's case does not matter
      {"yesterDAY", {0}},       // title, whole
      {"rock", {1}},            // genre stored in capitals
      {"head so", {1}},         // album, across a blank
      {"paranoid", {2}},        // title and album: listed once
      {"a", {0, 1, 2}},         // snapshot order
      {"", {0, 1, 2, 3}},       // empty text lists everything
      {"xyz", {}},
      {"0:3", {}},              // time text
      {"4.20", {}},             // size text
      {"mb", {}},
      {"zed", {}},              // path
      {"quartz", {}},           // group name
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SearchPublicListViewCopy(copy, c.text), c.found);
  }
}

TEST(SearchMatchTest, KeysAreMadeWhenTheItemJoinsTheSnapshot) {
  PublicListViewCopyItem* item = Item("MiXeD", "GeNrE", "ArTiSt", "AlBuM");
  EXPECT_FALSE(item->search_keys_ready);
  PublicListViewCopy copy;
  copy.Append(item);
  EXPECT_TRUE(item->search_keys_ready);
  EXPECT_EQ(item->title_lower, "mixed");
  EXPECT_EQ(item->genre_lower, "genre");
  EXPECT_EQ(item->artist_lower, "artist");
  EXPECT_EQ(item->album_lower, "album");
  // The shown texts keep their case.
  EXPECT_EQ(copy.Item(0).title, "MiXeD");
  EXPECT_TRUE(MatchesSearch(copy.Item(0), "xed"));
  EXPECT_FALSE(MatchesSearch(copy.Item(0), "XeD"));  // wants a lowered text
}

TEST(SearchMatchTest, SnapshotOwnsAndClearsItsItems) {
  PublicListViewCopy copy = Copy();
  EXPECT_EQ(copy.GetCount(), 4u);
  EXPECT_EQ(copy.Item(2).title, "Paranoid");
  copy.Clear();
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_TRUE(SearchPublicListViewCopy(copy, "").empty());
}

TEST(FilterValuesTest, AllFirstThenDistinctTextsInFirstOccurrenceOrder) {
  const struct {
    const char* name;
    std::vector<std::string> texts;
    std::vector<std::string> rows;
  } kCases[] = {
      {"case-distinct duplicates", {"Rock", "Pop", "Rock", "rock"},
       {"(All)", "Rock", "Pop", "rock"}},
      {"empty value is a row, once", {"", "Jazz", ""}, {"(All)", "", "Jazz"}},
      {"a value spelled (All) adds nothing", {"(All)", "Soul", "(all)"},
       {"(All)", "Soul", "(all)"}},
      {"no rows", {}, {"(All)"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    FilterValueCollector values;
    for (const std::string& text : c.texts) values.Add(wxString::FromUTF8(text));
    std::vector<std::string> rows;
    for (const wxString& row : values.values()) rows.push_back(row.utf8_string());
    EXPECT_EQ(rows, c.rows);
  }
}

TEST(FilterValuesTest, MatchesOneFieldAsAWholeStringInAnyCase) {
  PublicListViewCopy copy;
  copy.Append(Item("One", "Rock", "Stones", "Sticky"));
  copy.Append(Item("Two", "Pop", "Stones", "Tattoo"));
  copy.Append(Item("Three", "rock", "Who", "Tommy"));
  copy.Append(Item("Four", "", "Rock", ""));
  copy.Append(Item("Five", "Rock and Roll", "Stones Band", "Sticky"));
  const struct {
    FilterField field;
    const char* chosen;
    std::vector<size_t> found;
  } kCases[] = {
      {FilterField::kGenre, "Rock", {0, 2}},        // not the artist "Rock"
      {FilterField::kGenre, "ROCK", {0, 2}},        // any case, whole string
      {FilterField::kGenre, "", {3}},               // the empty row
      {FilterField::kArtist, "Stones", {0, 1}},     // whatever the genre
      {FilterField::kArtist, "Rock", {3}},
      {FilterField::kAlbum, "sticky", {0, 4}},
      {FilterField::kAlbum, "Stick", {}},           // no substring match
      {FilterField::kGenre, "(All)", {0, 1, 2, 3, 4}},
      {FilterField::kAlbum, "(All)", {0, 1, 2, 3, 4}},
      {FilterField::kGenre, "(all)", {}},            // only the exact first row
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.chosen) + " in field " +
                 std::to_string(static_cast<int>(c.field)));
    EXPECT_EQ(FilterPublicListViewCopy(copy, c.field, c.chosen), c.found);
  }
}

}  // namespace
