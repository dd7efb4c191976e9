#include <gtest/gtest.h>
#include <plist/plist.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/category_table.h"
#include "app/zl_app_path.h"
#include "settings/option_data.h"
#include "test_support.h"

namespace {

const char* const kFolderNames[] = {
    "/Music",      "/Movies",    "/TV Shows",    "/Podcasts",
    "/Audiobooks", "/Books",     "/Ringtones",   "/Playlists",
    "/Voice Memos", "/Camera Roll", "/Photos"};

class OptionDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test starts as a first start: no per-user folders at all.
    wxString docs = ZLAppPath::GetDocumentsDir();
    wxFileName::Rmdir(docs + "/Velmorant files", wxPATH_RMDIR_RECURSIVE);
    wxFileName::Rmdir(docs + "/Velmorant", wxPATH_RMDIR_RECURSIVE);
    OptionData::data_ = OptionConfig();
  }

  void WriteOptions(const std::string& body) {
    testsupport::WriteFile(
        ZLAppPath::GetOptionsFilePath().utf8_string(),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n" + body + "\n</plist>\n");
  }

  static std::vector<wxString> Folders() {
    std::vector<wxString> folders;
    for (const CategoryInfo& category : kCategories)
      folders.push_back(OptionData::data_.*category.folder);
    return folders;
  }
};

TEST_F(OptionDataTest, FirstStartCreatesDefaultFoldersAndNoFile) {
  ASSERT_TRUE(OptionData::Init());
  EXPECT_TRUE(OptionData::data_.select_folder);
  EXPECT_TRUE(OptionData::data_.show_finished);
  wxString data = ZLAppPath::GetDataDir();
  std::vector<wxString> folders = Folders();
  ASSERT_EQ(folders.size(), 11u);
  for (size_t i = 0; i < folders.size(); ++i) {
    EXPECT_EQ(folders[i], data + kFolderNames[i]);
    EXPECT_TRUE(wxDirExists(folders[i])) << folders[i];
  }
  EXPECT_FALSE(wxFileExists(ZLAppPath::GetOptionsFilePath()));
}

TEST_F(OptionDataTest, PartialFileKeepsTheOtherFlagAndEmptiesFolders) {
  WriteOptions("<dict><key>select-folder</key><false/></dict>");
  ASSERT_TRUE(OptionData::Init());
  EXPECT_FALSE(OptionData::data_.select_folder);
  EXPECT_TRUE(OptionData::data_.show_finished);
  for (const wxString& folder : Folders()) EXPECT_TRUE(folder.empty());
}

TEST_F(OptionDataTest, ValuesOfTheWrongTypeAreNotTaken) {
  WriteOptions(
      "<dict><key>select-folder</key><string>false</string>"
      "<key>show-finished</key><integer>0</integer>"
      "<key>music-path</key><integer>7</integer>"
      "<key>movie-path</key><string>/films</string></dict>");
  ASSERT_TRUE(OptionData::Init());
  EXPECT_TRUE(OptionData::data_.select_folder);
  EXPECT_TRUE(OptionData::data_.show_finished);
  EXPECT_EQ(OptionData::data_.music_path, "");
  EXPECT_EQ(OptionData::data_.movie_path, "/films");
}

TEST_F(OptionDataTest, DamagedFolderStringsAreReadSafely) {
  const wxString bad(wxUniChar(0xfffd));
  const struct {
    const char* key;
    std::string bytes;
    wxString OptionConfig::*field;
    wxString expected;
  } cases[] = {
      // A NUL byte inside: as if the key were missing.
      {"music-path", std::string("/media/a\0b", 10), &OptionConfig::music_path, ""},
      {"movie-path", "/films/\xff", &OptionConfig::movie_path, "/films/" + bad},
      {"tv-show-path", "/tv/\xed\xa0\x80", &OptionConfig::tv_show_path,
       "/tv/" + bad + bad + bad},
      {"photo-path", "/fotos/J\xc3\xb6rg", &OptionConfig::photo_path,
       wxString::FromUTF8("/fotos/J\xc3\xb6rg")},
  };
  std::string body = "<dict>";
  for (const auto& c : cases)
    body += std::string("<key>") + c.key + "</key><string>" + c.bytes + "</string>";
  WriteOptions(body + "</dict>");
  ASSERT_TRUE(OptionData::Init());
  for (const auto& c : cases)
    EXPECT_EQ(OptionData::data_.*c.field, c.expected) << c.key;
  EXPECT_EQ(OptionData::data_.podcast_path, "");  // missing, for comparison
}

TEST_F(OptionDataTest, UnusableFilesLeaveTheDefaults) {
  const char* const bodies[] = {"this is not a property list", ""};
  for (const char* body : bodies) {
    testsupport::WriteFile(ZLAppPath::GetOptionsFilePath().utf8_string(),
                           body);
    ASSERT_TRUE(OptionData::Init());
    EXPECT_TRUE(OptionData::data_.show_finished) << body;
    EXPECT_EQ(OptionData::data_.music_path, ZLAppPath::GetDataDir() + "/Music")
        << body;
  }
}

TEST_F(OptionDataTest, TopLevelArrayKeepsFlagsAndEmptiesFolders) {
  WriteOptions("<array><string>x</string></array>");
  ASSERT_TRUE(OptionData::Init());
  EXPECT_TRUE(OptionData::data_.select_folder);
  EXPECT_TRUE(OptionData::data_.show_finished);
  for (const wxString& folder : Folders()) EXPECT_TRUE(folder.empty());
}

TEST_F(OptionDataTest, SaveWritesThirteenKeysInOrderAndRoundTrips) {
  ASSERT_TRUE(OptionData::Init());
  OptionData::data_.select_folder = false;
  OptionData::data_.show_finished = true;
  const wxString unusual =
      wxString::FromUTF8("/home/j\xc3\xb6rg/M\xc3\xbasica \xe6\x97\xa5\xe6\x9c\xac & <x>");
  OptionData::data_.music_path = unusual;
  OptionData::data_.photo_path = "/srv/photos";
  OptionData::SaveOptionConfigToFile();

  std::string xml =
      testsupport::ReadFile(ZLAppPath::GetOptionsFilePath().utf8_string());
  ASSERT_FALSE(xml.empty());
  EXPECT_NE(xml.find("<!DOCTYPE plist"), std::string::npos);
  EXPECT_NE(xml.find("<plist version=\"1.0\">"), std::string::npos);

  plist_t root = nullptr;
  plist_from_xml(xml.data(), xml.size(), &root);
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(plist_get_node_type(root), PLIST_DICT);
  std::vector<std::string> keys;
  plist_dict_iter it = nullptr;
  plist_dict_new_iter(root, &it);
  while (true) {
    char* key = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(root, it, &key, &value);
    if (!key) break;
    keys.push_back(key);
    free(key);
  }
  free(it);
  plist_free(root);
  const std::vector<std::string> expected = {
      "select-folder", "show-finished", "music-path", "movie-path",
      "tv-show-path", "podcast-path", "audiobook-path", "book-path",
      "ringtone-path", "playlist-path", "voice-memo-path",
      "camera-roll-path", "photo-path"};
  EXPECT_EQ(keys, expected);

  OptionData::data_ = OptionConfig();
  OptionData::FillOptionConfigFromFile();
  EXPECT_FALSE(OptionData::data_.select_folder);
  EXPECT_TRUE(OptionData::data_.show_finished);
  EXPECT_EQ(OptionData::data_.music_path, unusual);
  EXPECT_EQ(OptionData::data_.photo_path, "/srv/photos");
  EXPECT_EQ(OptionData::data_.movie_path, ZLAppPath::GetDataDir() + "/Movies");
}

}  // namespace
