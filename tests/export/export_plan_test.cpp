#include <gtest/gtest.h>
#include <wx/filefn.h>

#include <string>

#include "app/zl_app_path.h"
#include "export/export_plan.h"
#include "settings/option_data.h"
#include "test_support.h"

namespace {

size_t Bytes(const wxString& text) { return text.utf8_str().length(); }

TEST(ExportPlanTest, SafeNamesNeverLeadOutOfTheirFolder) {
  const struct {
    wxString name;
    wxString safe;
  } kCases[] = {
      {"Road Trip", "Road Trip"},
      {".", "_"},
      {"..", "__"},
      {"...", "___"},
      {"/etc/passwd", "_etc_passwd"},
      {"a/../../b", "a_.._.._b"},
      {"back\\slash", "back_slash"},
      {wxString::FromUTF8("line\nbreak\x01\x7f"), "line_break__"},
      {wxString::FromUTF8("para\xe2\x80\xa9sep"), "para_sep"},
      {"", "_"},
      {".hidden", ".hidden"},
      {"AC/DC: Live?", "AC_DC_ Live_"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name.utf8_string());
    EXPECT_EQ(ExportSafeName(c.name), c.safe);
  }
  // Too long for a file name: cut at a character boundary, never half of
  // a three-byte letter.
  const wxString long_name(wxUniChar(0x65E5), 100);  // 300 bytes
  const wxString cut = ExportSafeName(long_name);
  EXPECT_EQ(Bytes(cut), 255u);
  EXPECT_EQ(cut, wxString(wxUniChar(0x65E5), 85));
}

TEST(ExportPlanTest, FileNamesKeepTheDevicesExtension) {
  const struct {
    wxString title;
    wxString path;
    wxString name;
  } kCases[] = {
      {"Song", "/iTunes/F01/ABCD.mp3", "Song.mp3"},
      {"Song", "/iTunes/F01/ABCD.MP3", "Song.MP3"},
      {"Song", "/iTunes/F01/ABCD", "Song"},            // no extension
      {"Song", "/iTunes/F01/ABCD.", "Song."},          // a trailing "."
      {"Song", "/iTunes/F.01/ABCD", "Song"},           // dots of a folder do not count
      {"Song", "/a/b.tar.gz", "Song.gz"},
      {"..", "/m/x.mp3", "__.mp3"},
      {"/etc/passwd", "/m/x.mp3", "_etc_passwd.mp3"},
      {"", "/m/Track 7.m4a", "Track 7.m4a"},           // no title: the device's name
      {"", "/m/", "_"},
      {"Song", "/m/x.m\tp3", "Song.m_p3"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE((c.title + " " + c.path).utf8_string());
    EXPECT_EQ(ExportFileName(c.title, c.path), c.name);
  }
  // A title too long for the file system keeps its extension.
  const wxString name = ExportFileName(wxString('x', 400), "/m/x.flac");
  EXPECT_EQ(Bytes(name), 255u);
  EXPECT_TRUE(name.EndsWith("x.flac"));
}

TEST(ExportPlanTest, TargetFoldersAndBooks) {
  wxString folder_name = "Road Trip  \t";
  EXPECT_EQ(ExportTargetFolder("/x/Playlists", folder_name), "/x/Playlists/Road Trip");
  EXPECT_EQ(folder_name, "Road Trip");  // stripped in place
  wxString blank = "   ";
  EXPECT_EQ(ExportTargetFolder("/x/Playlists", blank), "/x/Playlists");
  wxString up = "..";
  EXPECT_EQ(ExportTargetFolder("/x/Books", up), "/x/Books/__");

  EXPECT_TRUE(IsBookDirectoryPath("/Books/Novel.epub"));
  EXPECT_TRUE(IsBookDirectoryPath("/Books/Novel.EPUB"));
  EXPECT_FALSE(IsBookDirectoryPath("/Books/Novel.pdf"));
  EXPECT_FALSE(IsBookDirectoryPath("/Books/epub"));
}

TEST(ExportPlanTest, ProgressTextsAndSteps) {
  EXPECT_EQ(ExportProgressText(1, 1, "Song"), "Exporting 1 of 1 file: Song");
  EXPECT_EQ(ExportProgressText(2, 3, "Two"), "Exporting 2 of 3 files: Two");

  const struct {
    uint64_t total, done;
    uint8_t state;
    int step;
  } kSteps[] = {
      {1000, 0, 0, 0},
      {1000, 250, 0, 2500},
      {3, 1, 0, 3333},                       // truncated
      {0, 0, 0, 0},                          // nothing out of nothing
      {1000, 1000, 1, 10000},
      {0, 0, 1, 10000},
      {1000, 500, 7, 0},                     // an unknown state
      {UINT64_MAX, UINT64_MAX / 2, 0, 4999},  // no overflow
  };
  for (const auto& s : kSteps) {
    SCOPED_TRACE(std::to_string(s.total) + " " + std::to_string(s.done));
    EXPECT_EQ(ExportProgressStep(s.total, s.done, s.state), s.step);
  }
  EXPECT_EQ(ShownProgressValue(0), 0);
  EXPECT_EQ(ShownProgressValue(9999), 9999);
  EXPECT_EQ(ShownProgressValue(10000), 9999);
  EXPECT_EQ(ShownProgressValue(10001), 0);
  EXPECT_EQ(ShownProgressValue(-1), 0);
}

TEST(ExportPlanTest, OverallLineGivesSpeedAndTimeLeftOnceKnown) {
  EXPECT_EQ(ExportOverallText(1048576, 4194304, 500), "1.00MB of 4.00MB");
  EXPECT_EQ(ExportOverallText(1048576, 4194304, 2000), "1.00MB of 4.00MB, 512.00KB/s, 0:06 left");
  EXPECT_EQ(ExportOverallText(0, 4194304, 5000), "0KB of 4.00MB");
  // A total that the records under-stated never runs backwards.
  EXPECT_EQ(ExportOverallText(2048, 1024, 0), "2.00KB of 2.00KB");
  EXPECT_EQ(ExportOverallText(1024, 1024ull * 1024 * 1024 * 8, 1000).AfterLast(','),
            " 2330:10:07 left");
}

TEST(ExportPlanTest, CompletionTellsWhatFailed) {
  ExportReport all;
  all.exported = all.total = 3;
  EXPECT_EQ(ExportReportText(all, true),
            "Export finished! Would you like to open the export folder now?");

  ExportReport some;
  some.total = 3;
  some.exported = 2;
  some.failures.push_back({"Broken\nSong", "the device did not hand over the file"});
  EXPECT_EQ(ExportReportText(some, false),
            wxString::FromUTF8("Exported 2 of 3 files.\n\nThese could not be exported:\n"
                               "Broken\xe2\x86\xb5Song: the device did not hand over the file"));
  EXPECT_TRUE(ExportReportText(some, true).EndsWith(
      "\n\nWould you like to open the export folder now?"));

  ExportReport many;
  many.total = 12;
  for (int i = 0; i < 12; ++i) many.failures.push_back({wxString::Format("T%d", i), "r"});
  const wxString text = ExportReportText(many, false);
  EXPECT_TRUE(text.StartsWith("Exported 0 of 12 files."));
  EXPECT_TRUE(text.Contains("\nT9: r\nand 2 more"));
  EXPECT_FALSE(text.Contains("T10"));

  ExportReport one;
  one.total = 1;
  one.failures.push_back({"Solo", "r"});
  EXPECT_TRUE(ExportReportText(one, false).StartsWith("Exported 0 of 1 file."));
}

TEST(ExportPlanTest, AnEmptyFolderOptionFallsBackToTheDefaultFolder) {
  const OptionConfig saved = OptionData::data_;
  OptionData::data_.music_path = "";
  EXPECT_EQ(ExportFolderForCategory(1), ZLAppPath::GetDataDir() + "/Music");
  OptionData::data_.playlist_path = "/some/where";
  EXPECT_EQ(ExportFolderForCategory(10), "/some/where");  // one playlist
  EXPECT_EQ(ExportFolderForCategory(0), "");
  OptionData::data_ = saved;

  const wxString deep = wxString::FromUTF8(testsupport::MakeTempDir("folders")) + "/a/b\\c/d";
  EXPECT_TRUE(EnsureFolder(deep));
  EXPECT_TRUE(wxDirExists(deep));
  EXPECT_FALSE(EnsureFolder(""));
}

TEST(ExportPlanTest, PlaylistFileListsEntriesInOrder) {
  EXPECT_EQ(PlaylistFileText({{"Road/One.mp3", "One"}, {"Road/Two(1).m4a", "Two\nLines"}}),
            "#EXTM3U\n#EXTINF:-1,One\nRoad/One.mp3\n#EXTINF:-1,Two\xe2\x86\xb5Lines\n"
            "Road/Two(1).m4a\n");
  EXPECT_EQ(PlaylistFileText({{"#1 Hits/One.mp3", "One"}}),
            "#EXTM3U\n#EXTINF:-1,One\n./#1 Hits/One.mp3\n");
}

}  // namespace
