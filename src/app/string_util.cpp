#include "app/string_util.h"

#include <sys/stat.h>

#include <wx/filename.h>

#include "app/app_util.h"

namespace {

// Anything at the path takes the name: a file, a folder, a link (even a
// dangling one), which an exclusive creation there would fail on.
bool Taken(const wxString& path) {
  struct stat st;
  return lstat(path.utf8_str(), &st) == 0;
}

size_t Utf8Bytes(const wxString& text) { return text.utf8_str().length(); }

// The name cut at a character boundary so that name + tail fits a file
// name of the file system.
wxString FitName(const wxString& name, const wxString& tail) {
  const size_t kMaxBytes = 255;
  const size_t tail_bytes = Utf8Bytes(tail);
  if (tail_bytes >= kMaxBytes) return name;
  wxString fitted = name;
  while (!fitted.empty() && Utf8Bytes(fitted) + tail_bytes > kMaxBytes) fitted.RemoveLast();
  return fitted;
}

}  // namespace

// A backslash is an ordinary character of a name here, so the path is
// taken as it is.
wxString StringUtil::GetNewFilePath(const wxString& path) {
  if (!Taken(path)) return path;

  wxString name;
  wxString ext;
  wxFileName::SplitPath(path, nullptr, &name, &ext, wxPATH_UNIX);
  wxString dir = AppUtil::CutBeforeLastSlash(path);
  for (int i = 1;; ++i) {
    const wxString tail = wxString::Format("(%d).", i) + ext;
    wxString candidate = dir + "/" + FitName(name, tail) + tail;
    if (!Taken(candidate)) return candidate;
  }
}
