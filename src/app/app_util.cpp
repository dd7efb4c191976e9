#include "app/app_util.h"

#include <stdlib.h>
#include <wx/app.h>
#include <wx/filename.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

wxString AppUtil::CutBeforeLastSlash(const wxString& path) {
  int pos = path.Find('/', true);
  if (pos == wxNOT_FOUND) return wxString();
  return path.Left(pos);
}

namespace {

// Through symbolic links to the program itself: a link on the command path
// (such as <prefix>/bin/portiva) leads to the installed tree, which holds
// the themes and catalogs. A path that does not exist stays as it is.
wxString FollowLinks(const wxString& path) {
  char* real = realpath(path.utf8_str(), nullptr);
  if (real == nullptr) return path;
  wxString resolved = wxString::FromUTF8(real);
  free(real);
  return resolved;
}

}  // namespace

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
          return FollowLinks(candidate.GetFullPath());
        }
      }
    }
    return path;
  }
  wxFileName name(path);
  name.MakeAbsolute();
  name.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
  return FollowLinks(name.GetFullPath());
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
