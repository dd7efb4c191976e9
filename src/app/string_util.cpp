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

size_t Utf8Length(wxUniChar::value_type v) {
  if (v < 0x80) return 1;
  if (v < 0x800) return 2;
  if (v < 0x10000) return 3;
  return 4;
}

// The name cut at a character boundary so that name + tail fits a file
// name of the file system.
wxString FitName(const wxString& name, const wxString& tail) {
  const size_t kMaxBytes = 255;
  const size_t tail_bytes = tail.utf8_str().length();
  if (tail_bytes >= kMaxBytes) return name;
  return StringUtil::CutToBytes(name, kMaxBytes - tail_bytes);
}

}  // namespace

wxString StringUtil::CutToBytes(const wxString& text, size_t max_bytes) {
  size_t bytes = 0;
  size_t chars = 0;
  for (wxUniChar c : text) {
    const size_t length = Utf8Length(c.GetValue());
    if (bytes + length > max_bytes) return text.Left(chars);
    bytes += length;
    ++chars;
  }
  return text;
}

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
