#include <gtest/gtest.h>
#include <wx/filefn.h>

#include <string>

#include "app/zl_app_path.h"
#include "settings/domain_language.h"
#include "test_support.h"

namespace {

TEST(LanguageFile, ReadsTheLeadingCodeOfItsFirstEightBytes) {
  const struct {
    std::string text;
    int code;
  } kCases[] = {
      {"58", 58},
      {"89", 89},
      {"   89xyz", 89},   // blanks before, letters after
      {"\t112", 112},
      {"only letters", 0},  // the system's own language
      {"", 0},
      {"0", 0},
      {"46\n", 46},
      {"12345678", 0},      // no such language
      {"99", 0},
      {"0000000089", 0},    // the ninth and tenth bytes are not read
      {"       47", 0},     // the digits lie past the eighth byte
      {"-58", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DomainLanguage::ParseLanguageCode(c.text), c.code);
  }
}

TEST(LanguageFile, AMissingFileIsWrittenWithTheDefault) {
  const wxString path = ZLAppPath::GetLanguageFilePath();
  if (wxFileExists(path)) wxRemoveFile(path);
  EXPECT_EQ(DomainLanguage::ReadLanguageFile(), 58);
  EXPECT_EQ(testsupport::ReadFile(path.utf8_string()), "58");
  DomainLanguage::SetDefaultLanguage(110);
  EXPECT_EQ(testsupport::ReadFile(path.utf8_string()), "110");
  EXPECT_EQ(DomainLanguage::ReadLanguageFile(), 110);
  // An unknown code is not rewritten: the system language is used.
  testsupport::WriteFile(path.utf8_string(), "777");
  EXPECT_EQ(DomainLanguage::ReadLanguageFile(), 0);
  EXPECT_EQ(testsupport::ReadFile(path.utf8_string()), "777");
}

TEST(LanguageFile, EachCodeHasItsToolkitLanguage) {
  const struct {
    int code;
    wxLanguage language;
  } kCases[] = {
      {46, wxLANGUAGE_CHINESE_SIMPLIFIED}, {47, wxLANGUAGE_CHINESE_TRADITIONAL},
      {58, wxLANGUAGE_ENGLISH_US},         {80, wxLANGUAGE_FRENCH},
      {89, wxLANGUAGE_GERMAN},             {110, wxLANGUAGE_ITALIAN},
      {112, wxLANGUAGE_JAPANESE},          {0, wxLANGUAGE_DEFAULT},
      {175, wxLANGUAGE_DEFAULT},  // the toolkit's own number for English is no code here
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(DomainLanguage::ToWxLanguage(c.code), c.language);
  }
}

}  // namespace
