#include <gtest/gtest.h>
#include <wx/filefn.h>

#include "app/string_util.h"
#include "app/zl_string_helper.h"
#include "test_support.h"

namespace {

struct TextCase {
  const char* input;
  const char* expected;
};

TEST(MakeFileName, ReplacesRefusedCharactersInPlace) {
  const TextCase cases[] = {
      {"AC/DC: Live?", "AC_DC_ Live_"},
      {"a\\b|c>d<e?f*g\"h:i\tj", "a_b_c_d_e_f_g_h_i_j"},
      {" .keep. dots and blanks. ", " .keep. dots and blanks. "},
      {"CON", "CON"},
      {"", ""},
      {"Caf\xc3\xa9 \xc3\x9cmlaut/1", "Caf\xc3\xa9 \xc3\x9cmlaut_1"},
  };
  for (const TextCase& c : cases) {
    wxString name = wxString::FromUTF8(c.input);
    wxString result = ZLStringHelper::MakeFileName(name);
    EXPECT_EQ(result, wxString::FromUTF8(c.expected)) << c.input;
    EXPECT_EQ(name, result) << "argument changed too: " << c.input;
  }
}

TEST(GetTimeFromMilliseconds, FormatsWithoutLeadingZeros) {
  const struct {
    unsigned long long ms;
    const char* expected;
  } cases[] = {
      {0, "0:0:0"},
      {999, "0:0:0"},
      {59999, "0:0:59"},
      {60000, "0:1:0"},
      {3723000, "1:2:3"},
      {86400000, "24:0:0"},
      {360000000000ULL, "100000:0:0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZLStringHelper::GetTimeFromMilliseconds(c.ms), c.expected)
        << c.ms;
}

TEST(GetCapacityFromBytes, UsesBinaryUnitsAndTwoDecimals) {
  const struct {
    unsigned long long bytes;
    const char* expected;
  } cases[] = {
      {0, "0KB"},
      {1, "0.00KB"},
      {1536, "1.50KB"},
      {1048575, "1024.00KB"},
      {1048576, "1.00MB"},
      {1073741823ULL, "1024.00MB"},
      {1073741824ULL, "1.00GB"},
      {16000000000ULL, "14.90GB"},
      {1099511627776ULL, "1024.00GB"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZLStringHelper::GetCapacityFromBytes(c.bytes), c.expected)
        << c.bytes;
}

class GetNewFilePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = wxString::FromUTF8(testsupport::MakeTempDir("newpath"));
  }
  void Touch(const wxString& name) {
    testsupport::WriteFile((dir_ + "/" + name).utf8_string(), "x");
  }
  wxString dir_;
};

TEST_F(GetNewFilePathTest, FreePathComesBackWithForwardSlashes) {
  wxString wished = dir_ + "/Song.mp3";
  wxString backslashed = wished;
  backslashed.Replace("/", "\\");
  EXPECT_EQ(StringUtil::GetNewFilePath(wished), wished);
  EXPECT_EQ(StringUtil::GetNewFilePath(backslashed), wished);
}

TEST_F(GetNewFilePathTest, CountsUpBehindTheNameBeforeTheLastDot) {
  Touch("Song.mp3");
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/Song.mp3"),
            dir_ + "/Song(1).mp3");
  Touch("Song(1).mp3");
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/Song.mp3"),
            dir_ + "/Song(2).mp3");

  Touch("live.at.home.wav");
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/live.at.home.wav"),
            dir_ + "/live.at.home(1).wav");

  Touch("README");
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/README"),
            dir_ + "/README(1).");
}

TEST_F(GetNewFilePathTest, BackslashedExistingPathGetsACounter) {
  Touch("Song.mp3");
  wxString backslashed = dir_ + "/Song.mp3";
  backslashed.Replace("/", "\\");
  EXPECT_EQ(StringUtil::GetNewFilePath(backslashed), dir_ + "/Song(1).mp3");
}

TEST_F(GetNewFilePathTest, ADirectoryOfTheSameNameDoesNotCount) {
  ASSERT_TRUE(wxMkdir(dir_ + "/Album.mp3"));
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/Album.mp3"),
            dir_ + "/Album.mp3");
}

}  // namespace
