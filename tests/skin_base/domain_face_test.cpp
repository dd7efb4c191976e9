#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include <wx/settings.h>

#include "common/domain_face.h"
#include "test_support.h"

namespace {

class DomainFaceTest : public ::testing::Test {
 protected:
  void SetUp() override { gFaceConfigMap->clear(); }

  int Load(const std::string& xml) {
    std::string path = testsupport::MakeTempDir("face") + "/face.xml";
    testsupport::WriteFile(path, xml);
    path_ = path;
    return DomainFace::LoadFace(wxString::FromUTF8(path));
  }

  static wxRect At(const char* key) {
    auto it = gFaceConfigMap->find(key);
    return it == gFaceConfigMap->end() || !it->second ? wxRect(-9, -9, -9, -9)
                                                       : *it->second;
  }

  std::string path_;
};

TEST_F(DomainFaceTest, OnlyElementsWithAttributesGetEntries) {
  EXPECT_EQ(Load("<face><menu><text-normal-colour x=\"255\" y=\"128\" "
                 "width=\"0\"/></menu></face>"),
            0);
  ASSERT_EQ(gFaceConfigMap->size(), 1u);
  EXPECT_EQ(At("/face/menu/text-normal-colour"), wxRect(255, 128, 0, 0));
  EXPECT_EQ(DomainFace::GetColour(kFaceMenuTextNormalColour),
            wxColour(255, 128, 0));
}

TEST_F(DomainFaceTest, AttributeValuesAndNames) {
  Load("<face>"
       "<a height=\"7\"/>"
       "<b size=\"9\"/>"
       "<c x=\"12px\" y=\"px\" width=\" -3\"/>"
       "<d x=\"300\" y=\"256\" width=\"-1\"/>"
       "<e X=\"5\" height=\"1\" size=\"2\"/>"
       "</face>");
  EXPECT_EQ(At("/face/a"), wxRect(0, 0, 0, 7));
  EXPECT_EQ(At("/face/b"), wxRect(0, 0, 0, 9));
  EXPECT_EQ(At("/face/c"), wxRect(12, 0, -3, 0));
  // Upper-case X is not "x"; it falls to height, and the last one wins.
  EXPECT_EQ(At("/face/e"), wxRect(0, 0, 0, 2));
  // Colours take the low eight bits.
  EXPECT_EQ(DomainFace::GetColour("/face/d"), wxColour(44, 0, 255));
}

TEST_F(DomainFaceTest, LaterDuplicatesWinAndKeysAreCaseSensitive) {
  Load("<Face><menu><text-normal-colour x=\"1\"/></menu></Face>");
  EXPECT_FALSE(DomainFace::Has(kFaceMenuTextNormalColour));
  Load("<face><titlebar><titletext-colour x=\"1\" y=\"2\" width=\"3\"/>"
       "</titlebar><titlebar><titletext-colour x=\"4\" y=\"5\" width=\"6\"/>"
       "</titlebar></face>");
  EXPECT_EQ(DomainFace::GetColour(kFaceTitleTextColour), wxColour(4, 5, 6));
}

TEST_F(DomainFaceTest, MissingFileAndEmptyFile) {
  EXPECT_EQ(DomainFace::LoadFace("/nonexistent/face.xml"), -1);
  EXPECT_TRUE(gFaceConfigMap->empty());
  EXPECT_EQ(Load(""), 0);
  EXPECT_TRUE(gFaceConfigMap->empty());
}

TEST_F(DomainFaceTest, SyntaxErrorIsReportedWithLineAndPathAndKeepsEarlierKeys) {
  testing::internal::CaptureStderr();
  int result = Load(
      "<face>\n"
      "<menu><text-normal-colour x=\"1\"/></menu>\n"
      "<titlebar><titletext-colour x=\"2\"/></titlebar>\n"
      "<broken x=\"1\" <>\n"
      "<after x=\"3\"/>\n"
      "</face>\n");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, 0);
  EXPECT_NE(err.find(" at line 4 ->" + path_ + "\n"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line only: " << err;
  EXPECT_TRUE(DomainFace::Has(kFaceMenuTextNormalColour));
  EXPECT_TRUE(DomainFace::Has(kFaceTitleTextColour));
  EXPECT_FALSE(DomainFace::Has("/face/after"));
}

TEST_F(DomainFaceTest, MissingKeysReadAsSafeDefaults) {
  EXPECT_EQ(DomainFace::GetColour(kFaceMenuTextCurrentColour), *wxBLACK);
  EXPECT_EQ(DomainFace::GetRect(kFaceExportButtonCrop), wxRect(0, 0, 0, 0));
  wxFont font = DomainFace::GetFont(kFaceExportButtonFont);
  EXPECT_TRUE(font.IsOk());
  EXPECT_GT(font.GetPointSize(), 0);
  // Reading never inserts an empty entry.
  EXPECT_TRUE(gFaceConfigMap->empty());

  Load("<face><base-button><export-button-crop x=\"34\" y=\"7\" width=\"4\">"
       "<font height=\"14\"/></export-button-crop></base-button></face>");
  EXPECT_EQ(DomainFace::GetFont(kFaceExportButtonFont).GetPointSize(), 14);
  EXPECT_EQ(DomainFace::GetRect(kFaceExportButtonCrop), wxRect(34, 7, 4, 0));
}

TEST(ShippedFace, HoldsTheSixKeys) {
  gFaceConfigMap->clear();
  ASSERT_EQ(DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                                 "/Themes/face.xml"),
            0);
  for (const char* key :
       {kFaceMenuTextNormalColour, kFaceMenuTextCurrentColour,
        kFaceExportButtonCrop, kFaceExportButtonFont,
        kFaceExportButtonTextColour, kFaceTitleTextColour})
    EXPECT_TRUE(DomainFace::Has(key)) << key;
}

}  // namespace

namespace {

// Deep nesting costs memory in proportion to the file, not its square:
// 20,000 levels once copied the whole path into every level (gigabytes).
TEST_F(DomainFaceTest, DeepNestingStaysSmallAndKeepsShallowKeys) {
  std::string xml = "<face><menu><text-normal-colour x=\"9\"/></menu>";
  const int kDepth = 20000;
  for (int i = 0; i < kDepth; ++i) xml += "<deep-element-name x=\"1\">";
  for (int i = 0; i < kDepth; ++i) xml += "</deep-element-name>";
  xml += "<titlebar><titletext-colour x=\"7\"/></titlebar></face>";
  EXPECT_EQ(Load(xml), 0);
  EXPECT_EQ(DomainFace::GetColour(kFaceMenuTextNormalColour).Red(), 9);
  // The path is back at the root's level after the deep part.
  EXPECT_EQ(DomainFace::GetColour(kFaceTitleTextColour).Red(), 7);
  size_t key_bytes = 0;
  for (const auto& entry : *gFaceConfigMap) key_bytes += entry.first.length();
  EXPECT_LT(key_bytes, 64u * 1024u);
}

// A face file that is a named pipe or a folder is no face file: start-up
// must not wait on it.
TEST_F(DomainFaceTest, PipeOrFolderIsNoFaceFile) {
  const std::string dir = testsupport::MakeTempDir("face");
  ASSERT_EQ(mkfifo((dir + "/face.xml").c_str(), 0600), 0);
  EXPECT_EQ(DomainFace::LoadFace(wxString::FromUTF8(dir + "/face.xml")), -1);
  EXPECT_EQ(DomainFace::LoadFace(wxString::FromUTF8(dir)), -1);
  EXPECT_TRUE(gFaceConfigMap->empty());
}

// Font sizes the toolkit refuses or no caption can use keep the default.
TEST_F(DomainFaceTest, UnusableFontSizesKeepTheDefault) {
  const int default_size =
      wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetPointSize();
  for (const char* height : {"0", "-4", "2000000", "97"}) {
    gFaceConfigMap->clear();
    Load(std::string("<face><base-button><export-button-crop x=\"1\">"
                     "<font height=\"") + height +
         "\"/></export-button-crop></base-button></face>");
    wxFont font = DomainFace::GetFont(kFaceExportButtonFont);
    EXPECT_TRUE(font.IsOk()) << height;
    EXPECT_EQ(font.GetPointSize(), default_size) << height;
  }
}

}  // namespace
