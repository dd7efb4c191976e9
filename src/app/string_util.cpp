#include "app/string_util.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include "app/app_util.h"

wxString StringUtil::GetNewFilePath(const wxString& path) {
  wxString wished = path;
  wished.Replace("\\", "/");
  if (!wxFileExists(wished)) return wished;

  wxString name;
  wxString ext;
  wxFileName::SplitPath(wished, nullptr, &name, &ext);
  wxString dir = AppUtil::CutBeforeLastSlash(wished);
  for (int i = 1;; ++i) {
    wxString candidate =
        dir + "/" + name + wxString::Format("(%d).", i) + ext;
    if (!wxFileExists(candidate)) return candidate;
  }
}
