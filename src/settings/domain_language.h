#ifndef PORTIVA_SETTINGS_DOMAIN_LANGUAGE_H
#define PORTIVA_SETTINGS_DOMAIN_LANGUAGE_H

#include <wx/language.h>

#include <cstddef>
#include <string>

// The interface languages and the language file, which keeps the one
// chosen last. The program's codes are those its language files and menu
// ids have always held; the toolkit's own numbers are used only where a
// locale is made.
class DomainLanguage {
 public:
  // Writes the code as the whole language file.
  static void SetDefaultLanguage(int language);
  // The code kept from the last run. No file: the default, written then;
  // a file that names no known language: 0, the system's own language.
  static int ReadLanguageFile();
  // The leading number of the first eight bytes (blanks before it allowed),
  // when it is one of the seven codes or 0; otherwise 0.
  static int ParseLanguageCode(const std::string& text);
  // The toolkit's language for a code; the system default for 0 and for
  // codes it does not know.
  static wxLanguage ToWxLanguage(int language);
  static bool IsKnownLanguage(int language);

  static const int kDefaultLanguage = 58;
  static const size_t kLanguageCount = 7;
  // German, English, French, Italian, Japanese, Simplified and
  // Traditional Chinese.
  static const int match_la_[kLanguageCount];
};

#endif
