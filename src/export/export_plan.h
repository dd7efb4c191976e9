#ifndef PORTIVA_EXPORT_EXPORT_PLAN_H
#define PORTIVA_EXPORT_EXPORT_PLAN_H

#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

// The rules by which an export turns items into files, apart from any
// window: names, folders, progress arithmetic and the final report.

// Longest file name most Linux file systems take, in bytes.
const size_t kMaxFileNameBytes = 255;

// One path component made from a device's text: the characters file
// systems refuse become "_" (MakeFileName), and so do control characters;
// a name of dots alone (".", "..") has its dots turned into "_", an empty
// name becomes "_", and a name too long for the file system is cut at a
// character boundary. The result never leads out of its folder.
wxString ExportSafeName(const wxString& name);

// The exported file's name: the title as a safe name, followed by "." and
// the extension of the device path's last component, as on the device, when
// that component holds a "."; an empty title takes the device file's own
// name. The whole fits kMaxFileNameBytes, the extension kept.
wxString ExportFileName(const wxString& title, const wxString& device_path);

// A book stored on the device as a directory: a path ending in ".epub" in
// any case.
bool IsBookDirectoryPath(const wxString& device_path);

// The folder an item goes into: folder_name has its trailing white space
// stripped in place; empty, the export folder itself, else the export
// folder with the name made safe below it.
wxString ExportTargetFolder(const wxString& export_folder, wxString& folder_name);

// "Exporting 2 of 3 files: " (the singular wording for a request of one)
// followed by the title, in the current language.
wxString ExportProgressText(int index, int count, const wxString& title);

// Step of the current file on the 0 to 10000 scale of a progress report;
// a report of nothing out of nothing is step 0.
int ExportProgressStep(uint64_t total, uint64_t done, uint8_t state);
// The value the progress dialog shows for a step: 10000 as 9999, so that the
// dialog does not reach its end, anything out of range as 0.
int ShownProgressValue(int step);

// The overall line under the progress text: "3.00MB of 12.00MB" and, once a
// rate is known, the speed and the time left.
wxString ExportOverallText(uint64_t done, uint64_t total, long elapsed_ms);

// The export folder of a category code: its folder option, or the
// category's default folder under the data folder when the option is empty.
// Empty for a code without a folder.
wxString ExportFolderForCategory(int category);
// Creates the folder with its parents; true when it is a folder afterwards.
bool EnsureFolder(const wxString& folder);

// One item the export could not write, and why.
struct ExportFailure {
  wxString title;
  wxString reason;
};

// What an export did, carried by its completion.
struct ExportReport {
  int exported = 0;
  int total = 0;
  std::vector<ExportFailure> failures;
};

// The completion message: the finished question when everything was
// exported; otherwise how many of how many were, the failures named (the
// first ten of them), and the question when ask is set.
wxString ExportReportText(const ExportReport& report, bool ask);

// One entry of a playlist file: the exported file relative to the folder
// the playlist file lies in, and its title.
struct PlaylistEntry {
  wxString relative_path;
  wxString title;
};

// An extended M3U playlist in UTF-8.
std::string PlaylistFileText(const std::vector<PlaylistEntry>& entries);

#endif
