#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <unistd.h>

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

TEST(GetCheckedHint, CountsFilesAndAddsTheTotalOnlyWhenThereIsOne) {
  const struct {
    long count;
    unsigned long long bytes;
    const char* expected;
  } cases[] = {
      {0, 0, ""},
      {1, 1048576, "Select 1 file, total 1.00MB"},
      {3, 3145728, "Select 3 files, total 3.00MB"},
      {2, 0, "Select 2 files"},  // books have no size
      {100000, 5ULL << 40, "Select 100000 files, total 5120.00GB"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZLStringHelper::GetCheckedHint(c.count, c.bytes), c.expected)
        << c.count;
}

TEST(MakeOneLine, ShowsLineBreaksAndControlCharactersInOneLine) {
  // U+21B5 return arrow, U+FFFD replacement character.
  const TextCase cases[] = {
      {"", ""},
      {"Demo iPhone", "Demo iPhone"},
      {"two\nlines", "two\xe2\x86\xb5lines"},
      {"dos\r\nline\n\n", "dos\xe2\x86\xb5line\xe2\x86\xb5\xe2\x86\xb5"},
      {"cr\rvt\vff\f", "cr\xe2\x86\xb5vt\xe2\x86\xb5" "ff\xe2\x86\xb5"},
      {"nel\xc2\x85ls\xe2\x80\xa8ps\xe2\x80\xa9",
       "nel\xe2\x86\xb5ls\xe2\x86\xb5ps\xe2\x86\xb5"},
      {"a\tb", "a b"},
      {"\x01x\x1f\x7f", "\xef\xbf\xbdx\xef\xbf\xbd\xef\xbf\xbd"},
      {"c1\xc2\x80\xc2\x9f", "c1\xef\xbf\xbd\xef\xbf\xbd"},
      // Printable text outside ASCII stays as it is.
      {"Caf\xc3\xa9\xc2\xa0\xe2\x80\xa6\xf0\x9f\x98\x80 & <b>",
       "Caf\xc3\xa9\xc2\xa0\xe2\x80\xa6\xf0\x9f\x98\x80 & <b>"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(ZLStringHelper::MakeOneLine(wxString::FromUTF8(c.input), 100),
              wxString::FromUTF8(c.expected))
        << c.input;
  }
}

TEST(MakeOneLine, CutsALongerTextAndEndsItWithAnEllipsis) {
  const struct {
    const char* input;
    size_t max_length;
    const char* expected;
  } cases[] = {
      {"abcde", 5, "abcde"},
      {"abcdef", 5, "abcd\xe2\x80\xa6"},
      {"ab", 1, "\xe2\x80\xa6"},
      {"a", 1, "a"},
      {"abc", 0, ""},
      {"ab\ncd", 3, "ab\xe2\x80\xa6"},
      {"ab\ncd", 4, "ab\xe2\x86\xb5\xe2\x80\xa6"},
      // A joined "\r\n" takes one place.
      {"ab\r\nc", 4, "ab\xe2\x86\xb5" "c"},
      // A character beyond the first plane counts once.
      {"\xf0\x9f\x98\x80\xf0\x9f\x98\x80x", 2,
       "\xf0\x9f\x98\x80\xe2\x80\xa6"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ZLStringHelper::MakeOneLine(wxString::FromUTF8(c.input),
                                          c.max_length),
              wxString::FromUTF8(c.expected))
        << c.input << " " << c.max_length;
  }

  const wxString huge(wxUniChar('n'), 1000000);
  const wxString line = ZLStringHelper::MakeOneLine(huge, kMaxShownTextLength);
  EXPECT_EQ(line.length(), kMaxShownTextLength);
  EXPECT_EQ(line.Last(), wxUniChar(0x2026));
  EXPECT_EQ(line.Left(kMaxShownTextLength - 1),
            huge.Left(kMaxShownTextLength - 1));
}

TEST(MakeWrappable, BreaksOnlyRunsLongerThanTheLimit) {
  // U+200B zero-width space.
  const struct {
    const char* input;
    size_t run_length;
    const char* expected;
  } cases[] = {
      {"", 3, ""},
      {"abc", 3, "abc"},
      {"abcd", 3, "abc\xe2\x80\x8b" "d"},
      {"abcdefg", 3, "abc\xe2\x80\x8b" "def\xe2\x80\x8bg"},
      {"ab cd ef", 3, "ab cd ef"},
      {"abc defgh", 3, "abc def\xe2\x80\x8bgh"},
      {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 2,
       "\xc3\xa9\xc3\xa9\xe2\x80\x8b\xc3\xa9\xc3\xa9"},
      {"abcd", 0, "abcd"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ZLStringHelper::MakeWrappable(wxString::FromUTF8(c.input),
                                            c.run_length),
              wxString::FromUTF8(c.expected))
        << c.input << " " << c.run_length;
  }
}

TEST(ShortenToWidth, KeepsTheLongestStartThatFitsWithTheEllipsis) {
  // Every character is 10 wide, the ellipsis too.
  auto width = [](const wxString& text) { return 10 * int(text.length()); };
  const struct {
    const char* input;
    int max_width;
    const char* expected;
  } cases[] = {
      {"Demo", 40, "Demo"},
      {"Demo", 100, "Demo"},
      {"Demo", 39, "De\xe2\x80\xa6"},
      {"Demo iPhone", 60, "Demo \xe2\x80\xa6"},
      {"Demo", 10, "\xe2\x80\xa6"},
      {"Demo", 9, ""},
      {"Demo", 0, ""},
      {"Demo", -5, ""},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ZLStringHelper::ShortenToWidth(wxString::FromUTF8(c.input),
                                             c.max_width, width),
              wxString::FromUTF8(c.expected))
        << c.input << " " << c.max_width;
  }

  // A wide ellipsis and narrow letters: as many letters as fit before it.
  auto uneven = [](const wxString& text) {
    int total = 0;
    for (wxUniChar c : text) total += c == wxUniChar(0x2026) ? 25 : 5;
    return total;
  };
  EXPECT_EQ(ZLStringHelper::ShortenToWidth("abcdefghij", 45, uneven),
            wxString::FromUTF8("abcd\xe2\x80\xa6"));
  // The measure is asked a few times, not once per character.
  int calls = 0;
  auto counted = [&](const wxString& text) {
    ++calls;
    return 10 * int(text.length());
  };
  const wxString long_text(wxUniChar('x'), kMaxShownTextLength);
  // 49 letters and the ellipsis are 500 wide.
  EXPECT_EQ(ZLStringHelper::ShortenToWidth(long_text, 505, counted),
            wxString(wxUniChar('x'), 49) + wxUniChar(0x2026));
  EXPECT_LE(calls, 12);
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

TEST_F(GetNewFilePathTest, FreePathComesBackAsItIs) {
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/Song.mp3"), dir_ + "/Song.mp3");
  // A backslash is part of a name here: "a\\b" is one folder, not two.
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/a\\b/Song.mp3"), dir_ + "/a\\b/Song.mp3");
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

  Touch("back\\slash.mp3");
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/back\\slash.mp3"),
            dir_ + "/back\\slash(1).mp3");
}

TEST_F(GetNewFilePathTest, AFolderOrALinkTakesTheNameToo) {
  ASSERT_TRUE(wxMkdir(dir_ + "/Album.mp3"));
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/Album.mp3"), dir_ + "/Album(1).mp3");
  ASSERT_EQ(symlink("/nonexistent/target", (dir_ + "/Dangling.mp3").utf8_str()), 0);
  EXPECT_EQ(StringUtil::GetNewFilePath(dir_ + "/Dangling.mp3"), dir_ + "/Dangling(1).mp3");
}

TEST_F(GetNewFilePathTest, ACounterNeverMakesTheNameTooLong) {
  // 250 bytes of two-byte letters: the counter takes the room of the last
  // letters, never half a letter.
  const wxString name(wxUniChar(0xE9), 125);
  Touch(name + ".mp3");
  const wxString free = StringUtil::GetNewFilePath(dir_ + "/" + name + ".mp3");
  const wxString last = free.AfterLast('/');
  EXPECT_LE(last.utf8_str().length(), 255u);
  EXPECT_TRUE(last.EndsWith("(1).mp3"));
  EXPECT_EQ(last, wxString(wxUniChar(0xE9), 124) + "(1).mp3");
}

}  // namespace
