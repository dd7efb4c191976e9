#ifndef PORTIVA_APP_APP_UTIL_H
#define PORTIVA_APP_APP_UTIL_H

#include <wx/string.h>

// Directories of the installed program, derived from its own path.
class AppUtil {
 public:
  AppUtil() {}
  ~AppUtil() {}

  static wxString getAppRunDirectory();
  static wxString getInstallDirectory();

  // The program's own path: the first command-line argument made absolute
  // (looked up on PATH when it holds no "/"), with "\\" turned into "/".
  static wxString GetProgramPath();
  static wxString ResolveProgramPath(const wxString& argv0);

  // Everything before the last "/", without it; empty when there is none.
  static wxString CutBeforeLastSlash(const wxString& path);
};

#endif
