#include <gtest/gtest.h>
#include <plist/plist.h>

#include <string>

#include "device/device_record.h"
#include "device_image_fixture.h"

namespace {

using testsupport::Dict;

TEST(DeviceRecord, ReadsValuesAndTreatsMissingOrWrongKindsAsEmpty) {
  plist_t dict = Dict({{"title", "Caf\xc3\xa9"}, {"genre", ""}}, {{"size", 1234}});
  plist_dict_set_item(dict, "time", plist_new_string("not a number"));
  plist_dict_set_item(dict, "artist", plist_new_uint(7));

  EXPECT_EQ(record::String(dict, "title"), wxString::FromUTF8("Caf\xc3\xa9"));
  EXPECT_EQ(record::String(dict, "genre"), "");
  EXPECT_EQ(record::String(dict, "missing"), "");
  EXPECT_EQ(record::String(dict, "artist"), "");  // a number, not text
  EXPECT_EQ(record::UInt(dict, "size"), 1234u);
  EXPECT_EQ(record::UInt(dict, "time"), 0u);  // text, not a number
  EXPECT_EQ(record::UInt(dict, "missing"), 0u);
  EXPECT_TRUE(record::Has(dict, "genre"));
  EXPECT_FALSE(record::Has(dict, "album"));
  EXPECT_EQ(record::Array(dict, "title"), nullptr);
  plist_free(dict);
}

// A string node as a property-list file delivers it, bytes unchecked.
plist_t StringFromXml(const std::string& bytes) {
  const std::string xml = "<plist version=\"1.0\"><string>" + bytes + "</string></plist>";
  plist_t node = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &node);
  return node;
}

TEST(DeviceRecord, StringsAreReadAsWellFormedUtf8) {
  const wxString bad(wxUniChar(0xfffd));
  const struct {
    const char* name;
    std::string bytes;
    wxString expected;
  } cases[] = {
      {"plain", "Harbour Songs", "Harbour Songs"},
      {"empty", "", ""},
      {"non-ASCII", "Caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x8e\xb5",
       wxString::FromUTF8("Caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x8e\xb5")},
      {"largest code point", "\xf4\x8f\xbf\xbf", wxString(wxUniChar(0x10ffff))},
      // Read as if the key were missing; libplist itself would assert.
      {"embedded NUL", std::string("ab\0cd", 5), ""},
      {"invalid byte", "a\xff" "b", "a" + bad + "b"},
      {"cut sequence", "x\xe2\x82y", "x" + bad + "y"},
      {"cut at the end", "x\xe2\x82", "x" + bad},
      {"stray continuation", "\x80" "a", bad + "a"},
      {"overlong two bytes", "\xc0\x80", bad + bad},
      {"overlong three bytes", "\xe0\x80\xaf", bad + bad + bad},
      {"surrogate", "\xed\xa0\x80", bad + bad + bad},
      {"above U+10FFFF", "\xf4\x90\x80\x80", bad + bad + bad + bad},
      {"five bytes", "\xf8\x88\x80\x80\x80", bad + bad + bad + bad + bad},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    plist_t node = StringFromXml(c.bytes);
    ASSERT_NE(node, nullptr);
    uint64_t length = 0;
    plist_get_string_ptr(node, &length);
    ASSERT_EQ(length, c.bytes.size());  // the node holds the bytes unchanged
    EXPECT_EQ(record::StringValue(node), c.expected);
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "title", node);
    EXPECT_EQ(record::String(dict, "title"), c.expected);
    plist_free(dict);
  }

  // Not a string at all.
  plist_t number = plist_new_uint(5);
  plist_t data = plist_new_data("abc", 3);
  EXPECT_EQ(record::StringValue(number), "");
  EXPECT_EQ(record::StringValue(data), "");
  EXPECT_EQ(record::StringValue(nullptr), "");
  plist_free(number);
  plist_free(data);
}

TEST(DeviceRecord, NullAndNonDictionaryNodesAreNeverDereferenced) {
  plist_t array = plist_new_array();
  plist_t text = plist_new_string("x");
  for (plist_t node : {static_cast<plist_t>(nullptr), array, text}) {
    EXPECT_EQ(record::String(node, "title"), "");
    EXPECT_EQ(record::UInt(node, "size"), 0u);
    EXPECT_FALSE(record::Has(node, "item"));
    EXPECT_EQ(record::Items(node), nullptr);
    EXPECT_EQ(record::Number(node), 0u);
  }
  EXPECT_EQ(record::ArraySize(nullptr), 0u);
  EXPECT_EQ(record::ArraySize(text), 0u);
  EXPECT_EQ(record::ArrayItem(array, 0), nullptr);
  EXPECT_EQ(record::GroupCount(nullptr), 0u);
  plist_free(array);
  plist_free(text);
}

TEST(DeviceRecord, CountsOfFlatAndGroupedLists) {
  plist_t flat = testsupport::FlatList({Dict({{"title", "a"}}), Dict({{"title", "b"}})});
  EXPECT_EQ(record::Number(flat), 2u);
  EXPECT_EQ(record::ArraySize(record::Items(flat)), 2u);
  // Only the low 32 bits of "number" are the count.
  plist_dict_set_item(flat, "number", plist_new_uint(0x100000005ULL));
  EXPECT_EQ(record::Number(flat), 5u);

  plist_t books = testsupport::ArrayOf(
      {testsupport::Group("catalog", "Novels",
                          {Dict({{"title", "x"}}), Dict({{"title", "y"}}),
                           Dict({{"title", "z"}})}),
       testsupport::Group("catalog", "Empty", {})});
  EXPECT_EQ(record::GroupCount(books), 2u);
  plist_t empty = record::ArrayItem(books, 1);
  EXPECT_EQ(record::String(empty, "catalog"), "Empty");
  EXPECT_EQ(record::Number(empty), 0u);
  EXPECT_EQ(record::ArraySize(record::Items(empty)), 0u);
  plist_free(flat);
  plist_free(books);
}

TEST(DeviceRecord, PictureNames) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"/DCIM/100APPLE/IMG_0001.JPG", "IMG_0001"},
      {"\\DCIM\\100APPLE\\IMG_0002.png", "IMG_0002"},
      {"/DCIM/archive.tar.gz", "archive.tar"},
      {"/DCIM/NOEXT", "NOEXT"},
      {"/DCIM/.hidden", ".hidden"},
      {"plain.heic", "plain"},
      {"/DCIM/trailing.", "trailing"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(record::PictureName(c.path), c.name) << c.path;
}

TEST(DeviceRecord, VoiceMemoNameFallsBackToTitle) {
  plist_t both = Dict({{"name", "Meeting"}, {"title", "20240517 140322"}});
  plist_t unnamed = Dict({{"name", ""}, {"title", "20240518 090000"}});
  plist_t no_name = Dict({{"title", "Only title"}});
  EXPECT_EQ(record::VoiceMemoName(both), "Meeting");
  EXPECT_EQ(record::VoiceMemoName(unnamed), "20240518 090000");
  EXPECT_EQ(record::VoiceMemoName(no_name), "Only title");
  plist_free(both);
  plist_free(unnamed);
  plist_free(no_name);
}

}  // namespace
