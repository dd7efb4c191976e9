#ifndef PORTIVA_APP_STRING_UTIL_H
#define PORTIVA_APP_STRING_UTIL_H

#include <wx/string.h>

class StringUtil {
 public:
  // The wished path when nothing is there, otherwise the first free
  // "name(i).ext" beside it, the name cut so that it still fits a file
  // name. Anything at a path takes it (file, folder, link), since the
  // export creates its files exclusively; backslashes are kept.
  static wxString GetNewFilePath(const wxString& path);
  // The text cut to at most max_bytes bytes of UTF-8 at a character boundary.
  static wxString CutToBytes(const wxString& text, size_t max_bytes);
};

#endif
