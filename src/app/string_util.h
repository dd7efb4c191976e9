#ifndef PORTIVA_APP_STRING_UTIL_H
#define PORTIVA_APP_STRING_UTIL_H

#include <wx/string.h>

class StringUtil {
 public:
  // The wished path when no file is there, otherwise the first free
  // "name(i).ext" beside it. Only files count as taken.
  static wxString GetNewFilePath(const wxString& path);
};

#endif
