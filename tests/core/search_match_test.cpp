#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/public_list_view_copy.h"

namespace {

PublicListViewCopyItem* Item(const char* title, const char* genre,
                             const char* artist, const char* album) {
  PublicListViewCopyItem* item = new PublicListViewCopyItem;
  item->title = wxString::FromUTF8(title);
  item->genre = wxString::FromUTF8(genre);
  item->artist = wxString::FromUTF8(artist);
  item->album = wxString::FromUTF8(album);
  item->has_time_and_size = true;
  item->time_ms = 205000;          // "0:3:25"
  item->size = 4404019;            // "4.20MB"
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

TEST(SearchMatchTest, AnyScriptFoldsCaseAndNoMatchRunsAcrossTwoFields) {
  PublicListViewCopy copy;
  copy.Append(Item("\xc3\x84rger", "\xc3\x89t\xc3\xa9", "\xe5\xae\x87\xe5\xa4\x9a\xe7\x94\xb0",
                   "\xf0\x9f\x8e\xb5 Live"));
  copy.Append(Item("Day", "Pop", "Ann", "Best"));
  const struct {
    const char* text;
    std::vector<size_t> found;
  } kCases[] = {
      {"\xc3\xa4RGER", {0}},                   // "äRGER" finds "Ärger"
      {"\xc3\xa9T\xc3\x89", {0}},            // "éTÉ" finds "Été"
      {"\xe5\xa4\x9a", {0}},                  // a CJK character
      {"\xf0\x9f\x8e\xb5 live", {0}},        // beyond the basic plane
      {"daypop", {}},                        // title end and genre start
      {"pop", {1}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SearchPublicListViewCopy(copy, wxString::FromUTF8(c.text)), c.found);
  }
  EXPECT_EQ(FilterPublicListViewCopy(copy, FilterField::kGenre,
                                     wxString::FromUTF8("\xc3\xa9t\xc3\xa9")),
            std::vector<size_t>{0});
  EXPECT_TRUE(SearchPublicListViewCopy(copy, wxString("y\0p", 3)).empty());
}

TEST(SearchMatchTest, KeysAreMadeWhenTheItemJoinsTheSnapshot) {
  PublicListViewCopyItem* item = Item("MiXeD", "GeNrE", "ArTiSt", "AlBuM");
  EXPECT_FALSE(item->search_keys_ready);
  PublicListViewCopy copy;
  copy.Append(item);
  EXPECT_TRUE(item->search_keys_ready);
  EXPECT_EQ(item->LoweredField(0), "mixed");
  EXPECT_EQ(item->LoweredField(1), "genre");
  EXPECT_EQ(item->LoweredField(2), "artist");
  EXPECT_EQ(item->LoweredField(3), "album");
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
