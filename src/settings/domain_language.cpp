#include "settings/domain_language.h"

#include <wx/string.h>

#include <cctype>

#include "app/file_util.h"
#include "app/zl_app_path.h"

const int DomainLanguage::match_la_[kLanguageCount] = {89, 58, 80, 110, 112, 46, 47};

namespace {

const struct {
  int code;
  wxLanguage language;
} kWxLanguages[] = {
    {89, wxLANGUAGE_GERMAN},
    {58, wxLANGUAGE_ENGLISH_US},
    {80, wxLANGUAGE_FRENCH},
    {110, wxLANGUAGE_ITALIAN},
    {112, wxLANGUAGE_JAPANESE},
    {46, wxLANGUAGE_CHINESE_SIMPLIFIED},
    {47, wxLANGUAGE_CHINESE_TRADITIONAL},
};

}  // namespace

void DomainLanguage::SetDefaultLanguage(int language) {
  WriteFileWhole(ZLAppPath::GetLanguageFilePath(), std::to_string(language));
}

int DomainLanguage::ReadLanguageFile() {
  std::string text;
  // Anything but a regular file reads as missing.
  if (!ReadRegularFile(ZLAppPath::GetLanguageFilePath(), &text)) {
    SetDefaultLanguage(kDefaultLanguage);
    return kDefaultLanguage;
  }
  return ParseLanguageCode(text);
}

int DomainLanguage::ParseLanguageCode(const std::string& text) {
  const std::string head = text.substr(0, 8);
  size_t i = 0;
  while (i < head.size() && (head[i] == ' ' || head[i] == '\t')) ++i;
  long code = 0;
  bool digits = false;
  for (; i < head.size() && isdigit(static_cast<unsigned char>(head[i])); ++i) {
    code = code * 10 + (head[i] - '0');
    digits = true;
  }
  if (!digits) return 0;
  return IsKnownLanguage(static_cast<int>(code)) ? static_cast<int>(code) : 0;
}

bool DomainLanguage::IsKnownLanguage(int language) {
  for (int code : match_la_)
    if (code == language) return true;
  return false;
}

wxLanguage DomainLanguage::ToWxLanguage(int language) {
  for (const auto& entry : kWxLanguages)
    if (entry.code == language) return entry.language;
  return wxLANGUAGE_DEFAULT;
}
