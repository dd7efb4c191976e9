#include "app/zl_app_path.h"

#include <wx/filefn.h>
#include <wx/stdpaths.h>
#include <wx/thread.h>

#include "app/app_util.h"

const char kBrandName[] = "Velmorant";
const char kProductAlias[] = "Portiva";

wxString ZLAppPath::GetExecutionDir() {
  return AppUtil::CutBeforeLastSlash(AppUtil::GetProgramPath());
}

wxString ZLAppPath::GetAppDir() {
  return AppUtil::CutBeforeLastSlash(GetExecutionDir());
}

wxString ZLAppPath::GetUrlFilePath() { return GetAppDir() + "/option.cfg"; }

wxString ZLAppPath::GetDocumentsDir() {
  // The toolkit reads the environment into one shared buffer; detection
  // asks from its worker while the GUI thread may ask too.
  static wxMutex lock;
  wxString dir;
  {
    wxMutexLocker locker(lock);
    dir = wxStandardPaths::Get().GetDocumentsDir();
  }
  dir.Replace("\\", "/");
  return dir;
}

wxString ZLAppPath::MakeLevels(const wxString& base, const wxString* levels,
                               size_t count) {
  wxString path = base;
  for (size_t i = 0; i < count; ++i) {
    path += "/" + levels[i];
    if (!wxDirExists(path)) wxMkdir(path, 0777);
  }
  return path;
}

wxString ZLAppPath::GetTemporaryDir() {
  const wxString levels[] = {wxString(kBrandName) + " files", GetProductAlias()};
  return MakeLevels(GetDocumentsDir(), levels, 2);
}

wxString ZLAppPath::GetDataDir() {
  const wxString levels[] = {wxString(kBrandName), GetProductAlias()};
  return MakeLevels(GetDocumentsDir(), levels, 2);
}

namespace {
const char kLanguageFileName[] = "language.txt";
const char kOptionsDirName[] = "options";
}  // namespace

bool ZLAppPath::IsOwnTemporaryEntry(const wxString& name) {
  return name == kLanguageFileName || name == kOptionsDirName;
}

wxString ZLAppPath::GetLanguageFilePath() {
  return GetTemporaryDir() + "/" + kLanguageFileName;
}

wxString ZLAppPath::GetOptionsFilePath() {
  const wxString levels[] = {kOptionsDirName};
  return MakeLevels(GetTemporaryDir(), levels, 1) + "/options.xml";
}

wxString ZLAppPath::GetProductAlias() {
  wxString alias = kProductAlias;
  alias.Replace("/", " ");
  alias.Replace("+", " ");
  return alias;
}

wxString ZLAppPath::GetWholeProductAlias() { return GetProductAlias(); }
