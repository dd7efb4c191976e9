#include "app/app_util.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

wxString AppUtil::CutBeforeLastSlash(const wxString& path) {
  int pos = path.Find('/', true);
  if (pos == wxNOT_FOUND) return wxString();
  return path.Left(pos);
}

wxString AppUtil::ResolveProgramPath(const wxString& argv0) {
  wxString path = argv0;
  path.Replace("\\", "/");
  if (path.empty()) return path;
  if (!path.Contains("/")) {
    // Started through PATH: find the directory it came from.
    wxString search;
    if (wxGetEnv("PATH", &search)) {
      wxStringTokenizer dirs(search, ":");
      while (dirs.HasMoreTokens()) {
        wxString dir = dirs.GetNextToken();
        if (dir.empty()) continue;
        wxFileName candidate(dir, path);
        if (candidate.FileExists() && candidate.IsFileExecutable()) {
          candidate.MakeAbsolute();
          wxString found = candidate.GetFullPath();
          found.Replace("\\", "/");
          return found;
        }
      }
    }
    return path;
  }
  wxFileName name(path);
  name.MakeAbsolute();
  name.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
  wxString full = name.GetFullPath();
  full.Replace("\\", "/");
  return full;
}

wxString AppUtil::GetProgramPath() {
  wxString argv0;
  if (wxTheApp && wxTheApp->argc > 0) argv0 = wxTheApp->argv[0];
  return ResolveProgramPath(argv0);
}

wxString AppUtil::getAppRunDirectory() {
  return CutBeforeLastSlash(GetProgramPath());
}

wxString AppUtil::getInstallDirectory() {
  return CutBeforeLastSlash(getAppRunDirectory());
}
