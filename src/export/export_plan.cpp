#include "export/export_plan.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include "app/category_table.h"
#include "app/string_util.h"
#include "app/zl_app_path.h"
#include "app/zl_string_helper.h"
#include "settings/option_data.h"

namespace {

size_t Utf8Bytes(const wxString& text) { return text.utf8_str().length(); }

// The refused characters and every control character as "_".
wxString CleanChars(const wxString& text) {
  wxString name = text;
  ZLStringHelper::MakeFileName(name);
  wxString clean;
  clean.reserve(name.length());
  for (wxUniChar c : name) {
    const wxUniChar::value_type v = c.GetValue();
    const bool control = v < 0x20 || (v >= 0x7F && v < 0xA0) || v == 0x2028 || v == 0x2029;
    clean += control ? wxUniChar('_') : c;
  }
  return clean;
}

bool OnlyDots(const wxString& name) {
  if (name.empty()) return false;
  for (wxUniChar c : name)
    if (c != '.') return false;
  return true;
}

// A clean, non-empty component of at most max_bytes bytes.
wxString SafeComponent(const wxString& text, size_t max_bytes) {
  wxString name = CleanChars(text);
  if (OnlyDots(name)) name = wxString(name.length(), '_');
  if (name.empty()) name = "_";
  return StringUtil::CutToBytes(name, max_bytes);
}

}  // namespace

wxString ExportSafeName(const wxString& name) {
  return SafeComponent(name, kMaxFileNameBytes);
}

wxString ExportFileName(const wxString& title, const wxString& device_path) {
  const wxString last = device_path.AfterLast('/');
  const bool has_extension = last.Contains(".");
  wxString extension;
  if (has_extension) extension = CleanChars(last.AfterLast('.'));
  // An absurd extension is not worth keeping whole: the title comes first.
  if (Utf8Bytes(extension) > 32) extension = StringUtil::CutToBytes(extension, 32);
  wxString stem = title;
  if (stem.empty()) stem = has_extension ? last.BeforeLast('.') : last;
  const size_t room = kMaxFileNameBytes - (has_extension ? Utf8Bytes(extension) + 1 : 0);
  wxString name = SafeComponent(stem, room);
  if (has_extension) name += "." + extension;
  return name;
}

bool IsBookDirectoryPath(const wxString& device_path) {
  return device_path.Lower().EndsWith(".epub");
}

wxString ExportTargetFolder(const wxString& export_folder, wxString& folder_name) {
  folder_name.Trim(true);
  if (folder_name.empty()) return export_folder;
  return export_folder + "/" + ExportSafeName(folder_name);
}

wxString ExportProgressText(int index, int count, const wxString& title) {
  const wxString wording = count > 1 ? _("Exporting %d of %d files: ")
                                     : _("Exporting %d of %d file: ");
  return wxString::Format(wording, index, count) + title;
}

int ExportProgressStep(uint64_t total, uint64_t done, uint8_t state) {
  if (state == 1) return 10000;
  if (state != 0 || total == 0) return 0;
  // Wide enough for any file size.
  return static_cast<int>(static_cast<unsigned __int128>(done) * 10000u / total);
}

int ShownProgressValue(int step) {
  if (step == 10000) return 9999;
  if (step < 0 || step > 10000) return 0;
  return step;
}

wxString ExportOverallText(uint64_t done, uint64_t total, long elapsed_ms) {
  if (total < done) total = done;
  wxString text = wxString::Format(_("%s of %s"), ZLStringHelper::GetCapacityFromBytes(done),
                                   ZLStringHelper::GetCapacityFromBytes(total));
  if (elapsed_ms < 1000 || done == 0) return text;
  const uint64_t rate = static_cast<uint64_t>(static_cast<double>(done) * 1000.0 / elapsed_ms);
  if (rate == 0) return text;
  text += ", " + wxString::Format(_("%s/s"), ZLStringHelper::GetCapacityFromBytes(rate));
  const uint64_t left = (total - done + rate - 1) / rate;
  wxString clock;
  if (left >= 3600)
    clock = wxString::Format("%llu:%02llu:%02llu", static_cast<unsigned long long>(left / 3600),
                             static_cast<unsigned long long>(left / 60 % 60),
                             static_cast<unsigned long long>(left % 60));
  else
    clock = wxString::Format("%llu:%02llu", static_cast<unsigned long long>(left / 60),
                             static_cast<unsigned long long>(left % 60));
  return text + ", " + wxString::Format(_("%s left"), clock);
}

wxString ExportFolderForCategory(int category) {
  const CategoryInfo* info = FindCategory(category);
  if (!info) return wxString();
  wxString folder = OptionData::data_.*info->folder;
  // An empty option would put the export at the root of the file system.
  if (folder.empty()) folder = ZLAppPath::GetDataDir() + info->default_folder;
  return folder;
}

bool EnsureFolder(const wxString& folder) {
  if (folder.empty()) return false;
  if (wxDirExists(folder)) return true;
  wxFileName::Mkdir(folder, 0777, wxPATH_MKDIR_FULL);
  return wxDirExists(folder);
}

wxString ExportReportText(const ExportReport& report, bool ask) {
  const wxString question = _("Would you like to open the export folder now?");
  if (report.failures.empty() && report.exported == report.total)
    return _("Export finished! Would you like to open the export folder now?");
  wxString text = wxString::Format(
      wxPLURAL("Exported %d of %d file.", "Exported %d of %d files.", report.total),
      report.exported, report.total);
  if (!report.failures.empty()) {
    text += "\n\n" + wxString(_("These could not be exported:"));
    const size_t kShown = 10;
    for (size_t i = 0; i < report.failures.size() && i < kShown; ++i) {
      const ExportFailure& failure = report.failures[i];
      text += "\n" + ZLStringHelper::MakeOneLine(failure.title, 80) + ": " + failure.reason;
    }
    if (report.failures.size() > kShown)
      text += "\n" + wxString::Format(_("and %d more"),
                                      static_cast<int>(report.failures.size() - kShown));
  }
  if (ask) text += "\n\n" + question;
  return text;
}

std::string PlaylistFileText(const std::vector<PlaylistEntry>& entries) {
  std::string text = "#EXTM3U\n";
  for (const PlaylistEntry& entry : entries) {
    text += "#EXTINF:-1," + ZLStringHelper::MakeOneLine(entry.title, 512).utf8_string() + "\n";
    // A line that begins with "#" would read as a comment.
    const wxString path =
        entry.relative_path.StartsWith("#") ? "./" + entry.relative_path : entry.relative_path;
    text += path.utf8_string() + "\n";
  }
  return text;
}
