#include "export/do_export_device_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <wx/filefn.h>
#include <wx/intl.h>

#include <map>
#include <vector>

#include "app/app_data.h"
#include "app/file_util.h"
#include "app/my_event.h"
#include "app/string_util.h"
#include "app/trace.h"
#include "device/communication.h"
#include "device/device_record.h"
#include "epub_maker.h"
#include "export/export_plan.h"

namespace {

// A name can be taken by someone else between the free-name test and the
// exclusive creation; the export then looks for another so many times.
const int kCreateAttempts = 8;

bool Exists(const wxString& path) {
  struct stat st;
  return lstat(path.utf8_str(), &st) == 0;
}

// The worker's own state, reached by the device library's callback, which
// has no user pointer of its own.
struct ExportJob {
  uint64_t generation = 0;
  EventTarget* target = nullptr;
  uint64_t done_before = 0;  // bytes of the items already done
  uint64_t total = 0;        // bytes of the whole request, as far as known
  uint64_t item_size = 0;    // the current item's part of total
};

thread_local ExportJob* t_job = nullptr;

// The current device's handle, as detection left it.
Device* CurrentDevice() {
  wxMutexLocker lock(AppData::current_device_list_lock_);
  const DeviceContext* context = CurrentDeviceContext(AppData::current_device_list_);
  return context ? context->device : nullptr;
}

// Why a copy off the device failed, as far as the computer's side can tell.
wxString CopyFailureReason(const wxString& folder, uint64_t size) {
  struct statvfs fs;
  if (statvfs(folder.utf8_str(), &fs) == 0) {
    const uint64_t free_bytes = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
    if (free_bytes < size || free_bytes < (1u << 20)) return _("the disk is full");
  }
  return _("the device did not hand over the file");
}

// A fresh folder of the worker's own beside the target, for a book's
// directory; empty when none could be made.
wxString MakeStagingDirectory(const wxString& folder) {
  std::string pattern = (folder + "/.book-export-XXXXXX").utf8_string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) return wxString();
  return wxString::FromUTF8(buffer.data());
}

// Writes a new file exclusively; false when the name is taken or the
// write fails (nothing is left then).
bool WriteNewFile(const wxString& path, const std::string& contents, bool* taken) {
  *taken = false;
  const wxScopedCharBuffer name = path.utf8_str();
  const int fd = open(name.data(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    *taken = errno == EEXIST;
    return false;
  }
  size_t written = 0;
  bool ok = true;
  while (ok && written < contents.size()) {
    const ssize_t n = write(fd, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) written += static_cast<size_t>(n);
  }
  if (close(fd) != 0) ok = false;
  if (!ok) unlink(name.data());
  return ok;
}

// The playlist files of a request, one per playlist in order of first
// appearance.
struct PlaylistFile {
  wxString name;
  std::vector<PlaylistEntry> entries;
};

}  // namespace

bool ExportStopped(uint64_t generation) {
  return AppData::stop_export_device_file_ || AppData::export_generation_ != generation;
}

std::atomic<int> DoExportDeviceFile::running_(0);
void (*DoExportDeviceFile::name_chosen_)(const wxString&) = nullptr;

int DoExportDeviceFile::RunningCount() { return running_; }

DoExportDeviceFile::DoExportDeviceFile(ExportCatalogInfo* request, uint64_t generation,
                                       EventTarget* target)
    : wxThread(wxTHREAD_DETACHED), request_(request), generation_(generation), target_(target) {
  ++running_;
}

DoExportDeviceFile::~DoExportDeviceFile() {
  delete request_;
  --running_;
}

int DoExportFileCallback(uint64_t total, uint64_t done, uint8_t state, void*) {
  Trace("DoExportFileCallback");
  ExportJob* job = t_job;
  if (!job || ExportStopped(job->generation)) return -1;
  // The file's own size replaces what the records said of it.
  if (total != job->item_size) {
    job->total = job->total - job->item_size + total;
    job->item_size = total;
  }
  ExportProgress progress;
  progress.step = ExportProgressStep(total, done, state);
  progress.done = job->done_before + (done < total ? done : total);
  progress.total = job->total;
  AppData::stop_export_device_file_lock_.Unlock();
  HandshakeEvent* event = new HandshakeEvent(kThreadUpdateProgressStep);
  event->SetInt(progress.step);
  event->SetExtraLong(static_cast<long>(job->generation));
  event->SetPayload<ExportProgress>(progress);
  AskGuiAndWait(AppData::update_current_progress_step_lock_,
                AppData::update_current_progress_step_cond_, job->target, event);
  AppData::stop_export_device_file_lock_.Lock();
  return ExportStopped(job->generation) ? -1 : 0;
}

wxThread::ExitCode DoExportDeviceFile::Entry() {
  Trace("Entry DoExportDeviceFile::Entry()");
  wxMutex& stop_lock = AppData::stop_export_device_file_lock_;
  {
    wxMutexLocker lock(stop_lock);
    if (ExportStopped(generation_)) return 0;
  }
  ExportJob job;
  job.generation = generation_;
  job.target = target_;
  for (const auto& item : request_->items) job.total += item->size;
  t_job = &job;
  struct Reset {
    ~Reset() { t_job = nullptr; }
  } reset;

  Device* device = CurrentDevice();
  const bool playlists = request_->category == kCategoryPlaylists ||
                         request_->category == kCategoryPlaylist;
  std::vector<PlaylistFile> playlist_files;
  std::map<wxString, size_t> playlist_index;

  ExportReport report;
  const int count = static_cast<int>(request_->items.size());
  report.total = count;
  wxString last_folder;
  for (int i = 1; i <= count; ++i) {
    ExportItemInfo& item = *request_->items[i - 1];
    stop_lock.Lock();
    if (ExportStopped(generation_)) {
      stop_lock.Unlock();
      return 0;
    }
    const wxString text = ExportProgressText(i, count, item.title);
    stop_lock.Unlock();

    HandshakeEvent* announce = new HandshakeEvent(kThreadUpdateCurrentExportFile);
    announce->SetString(text);
    announce->SetExtraLong(static_cast<long>(generation_));
    // Unanswered: the tool bar is gone, the program is ending.
    if (!AskGuiAndWait(AppData::update_current_export_file_lock_,
                       AppData::update_current_export_file_cond_, target_, announce))
      return 0;

    wxMutexLocker lock(stop_lock);
    if (ExportStopped(generation_)) return 0;
    job.item_size = item.size;

    const wxString folder = ExportTargetFolder(request_->export_folder, item.folder_name);
    if (!wxDirExists(folder)) wxMkdir(folder, 0777);
    last_folder = folder;
    wxString written;  // the file made for the item, empty when it failed
    wxString reason;
    if (!wxDirExists(folder)) {
      reason = _("its folder could not be created");
    } else if (!device) {
      reason = _("the device is not connected");
    } else {
      bool as_file = true;
      if (IsBookDirectoryPath(item.path)) {
        const wxString name = ExportFileName(item.title, item.path.BeforeLast('.') + ".epub");
        const wxString staging = MakeStagingDirectory(folder);
        if (staging.empty()) {
          reason = _("its folder could not be written");
          as_file = false;
        } else {
          // A folder copy reports no progress to stop at: the stop lock is let
          // go meanwhile, so that closing the dialog never waits for it.
          stop_lock.Unlock();
          const int copied = device->ExportDirectory(item.path.utf8_str(), staging.utf8_str());
          stop_lock.Lock();
          if (ExportStopped(generation_)) {
            RemoveTree(staging);
            return 0;
          }
          // A book that is one file on the device is copied as that file.
          as_file = copied != POD_STATUS_OK;
          if (!as_file) {
            int packed = EPUB_STATUS_TARGET_EXISTS;
            for (int attempt = 0;
                 attempt < kCreateAttempts && packed == EPUB_STATUS_TARGET_EXISTS; ++attempt) {
              const wxString target = StringUtil::GetNewFilePath(folder + "/" + name);
              packed = CreateEpubFromDir((staging + "/").utf8_str(), target.utf8_str());
              if (packed == EPUB_STATUS_OK) written = target;
            }
            if (packed != EPUB_STATUS_OK) reason = _("the e-book could not be written");
          }
          RemoveTree(staging);
        }
      }
      if (as_file) {
        const wxString name = ExportFileName(item.title, item.path);
        for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
          const wxString target = StringUtil::GetNewFilePath(folder + "/" + name);
          if (name_chosen_) name_chosen_(target);
          const int copied =
              device->ExportFile(item.path.utf8_str(), target.utf8_str(), DoExportFileCallback);
          if (ExportStopped(generation_)) return 0;
          if (copied == POD_STATUS_OK) {
            written = target;
            break;
          }
          // The library leaves nothing behind when it fails, so whatever is
          // there now took the name meanwhile: try the next free one.
          if (!Exists(target)) {
            reason = CopyFailureReason(folder, item.size);
            break;
          }
        }
        if (written.empty() && reason.empty()) reason = _("no free file name was found");
      }
    }

    job.done_before += job.item_size;
    if (written.empty()) {
      report.failures.push_back({item.title, reason});
      continue;
    }
    ++report.exported;
    if (playlists && !item.folder_name.empty()) {
      auto found = playlist_index.find(item.folder_name);
      if (found == playlist_index.end()) {
        found = playlist_index.emplace(item.folder_name, playlist_files.size()).first;
        playlist_files.push_back({item.folder_name, {}});
      }
      playlist_files[found->second].entries.push_back(
          {ExportSafeName(item.folder_name) + "/" + written.AfterLast('/'), item.title});
    }
  }

  // Each exported playlist also as a playlist file beside its folder.
  for (const PlaylistFile& playlist : playlist_files) {
    const std::string text = PlaylistFileText(playlist.entries);
    const wxString name = ExportFileName(playlist.name, "playlist.m3u8");
    bool done = false;
    for (int attempt = 0; attempt < kCreateAttempts && !done; ++attempt) {
      bool taken = false;
      done = WriteNewFile(StringUtil::GetNewFilePath(request_->export_folder + "/" + name), text,
                          &taken);
      if (!taken) break;
    }
    if (!done)
      report.failures.push_back({playlist.name, _("its playlist file could not be written")});
  }

  {
    wxMutexLocker lock(stop_lock);
    if (ExportStopped(generation_)) return 0;
  }
  HandshakeEvent* complete = new HandshakeEvent(kThreadExportComplete);
  complete->SetString(last_folder);
  complete->SetExtraLong(static_cast<long>(generation_));
  complete->SetPayload<ExportReport*>(&report);
  AskGuiAndWait(AppData::export_complete_lock_, AppData::export_complete_cond_, target_,
                complete);
  Trace("Leave DoExportDeviceFile::Entry()");
  return 0;
}
