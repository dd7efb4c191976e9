#ifndef PORTIVA_APP_ZL_APP_PATH_H
#define PORTIVA_APP_ZL_APP_PATH_H

#include <wx/string.h>

// Per-user working directories and files, and the product's names. Every
// directory is computed afresh and created on demand.
class ZLAppPath {
 public:
  ZLAppPath() {}
  ~ZLAppPath() {}

  static wxString GetExecutionDir();
  static wxString GetAppDir();
  static wxString GetUrlFilePath();

  static wxString GetTemporaryDir();
  static wxString GetDataDir();
  static wxString GetLanguageFilePath();
  // Whether name is one of the program's own entries in the temporary
  // directory, which no device directory may take.
  static bool IsOwnTemporaryEntry(const wxString& name);
  static wxString GetOptionsFilePath();

  static wxString GetProductAlias();
  static wxString GetWholeProductAlias();

  // The user's documents directory with "/" separators.
  static wxString GetDocumentsDir();

 private:
  // base + "/" + each level in turn, creating the missing ones.
  static wxString MakeLevels(const wxString& base, const wxString* levels,
                             size_t count);
};

extern const char kBrandName[];
extern const char kProductAlias[];

#endif
