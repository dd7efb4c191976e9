#ifndef PORTIVA_SETTINGS_DOMAIN_LANGUAGE_H
#define PORTIVA_SETTINGS_DOMAIN_LANGUAGE_H

// The language file: the interface language chosen last.
class DomainLanguage {
 public:
  // Writes the code as the whole language file.
  static void SetDefaultLanguage(int language);
};

#endif
