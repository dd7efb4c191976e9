#include "window/do_load_picture.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include "app/app_data.h"
#include "app/my_event.h"
#include "app/trace.h"
#include "app/zl_app_path.h"
#include "common/thumbnail_decoder.h"
#include "device/communication.h"
#include "device/do_detect_device.h"
#include "tool_util.h"

const PictureCategory kCameraRollPictures = {
    "camera roll",
    kThreadCameraRollBegin,
    kThreadCameraRollEnd,
    AppData::load_camera_roll_picture_count_lock_,
    AppData::load_camera_roll_picture_count_,
    AppData::load_camera_roll_picture_begin_lock_,
    AppData::load_camera_roll_picture_begin_cond_,
    AppData::load_camera_roll_picture_end_lock_,
    AppData::load_camera_roll_picture_end_cond_,
    "/camera-roll",
    1,
};

const PictureCategory kPhotoPictures = {
    "photo",
    kThreadPhotoBegin,
    kThreadPhotoEnd,
    AppData::load_photo_picture_count_lock_,
    AppData::load_photo_picture_count_,
    AppData::load_photo_picture_begin_lock_,
    AppData::load_photo_picture_begin_cond_,
    AppData::load_photo_picture_end_lock_,
    AppData::load_photo_picture_end_cond_,
    "/photo",
    3,
};

namespace {

const int kExportAttempts = 3;
const char kThumbnailSuffix[] = ".thumb.png";

}  // namespace

wxString PictureCachePath(const wxString& device_id, const PictureCategory& category,
                          int32_t index, const wxString& device_path) {
  const wxString name = device_path.AfterLast('/');
  return ZLAppPath::GetTemporaryDir() + "/" + SafeDirectoryName(device_id) +
         category.cache_subdir + "/" + wxString::Format("%d_", index) +
         SafeDirectoryName(name);
}

bool IsVideoPath(const wxString& device_path) {
  static const char* const kVideo[] = {"mov", "mp4", "m4v", "3gp", "avi"};
  const wxString name = device_path.AfterLast('/');
  if (!name.Contains(".")) return false;
  const wxString extension = name.AfterLast('.').Lower();
  for (const char* video : kVideo)
    if (extension == video) return true;
  return false;
}

std::atomic<int> DoLoadPicture::running_(0);

int DoLoadPicture::RunningCount() { return running_; }

DoLoadPicture::DoLoadPicture(const PictureCategory& category, int32_t generation,
                             EventTarget* target)
    : wxThread(wxTHREAD_DETACHED),
      category_(category),
      generation_(generation),
      target_(target) {
  ++running_;
}

// A detached loader is deleted when its thread ends.
DoLoadPicture::~DoLoadPicture() { --running_; }

wxThread::ExitCode DoLoadPicture::Entry() {
  Trace(wxString("Entry DoLoadPicture::Entry() ") + category_.name);
  while (true) {
    {
      wxMutexLocker lock(category_.count_lock);
      if (category_.count != generation_) break;
    }
    LoadPictureInfo info;
    info.generation = generation_;
    HandshakeEvent* ask = new HandshakeEvent(category_.begin_id);
    ask->SetPayload<LoadPictureInfo*>(&info);
    // Unanswered: the navigation pane is gone, the program is ending.
    if (!AskGuiAndWait(category_.begin_lock, category_.begin_cond, target_, ask)) break;
    bool wait = false;
    {
      wxMutexLocker lock(category_.count_lock);
      if (category_.count != generation_ || info.all_shown) break;
      // Only thumbnails dropped out of view are left.
      wait = info.no_more;
      if (!wait) LoadOnePictureFromDevice(info);
    }
    if (wait) {
      // Look again in a while, in case they scroll back; a new device
      // choice never waits for this.
      wxMilliSleep(100);
      continue;
    }
    HandshakeEvent* done = new HandshakeEvent(category_.end_id);
    done->SetPayload<LoadPictureInfo*>(&info);
    if (!AskGuiAndWait(category_.end_lock, category_.end_cond, target_, done)) break;
  }
  Trace(wxString("Leave DoLoadPicture::Entry() ") + category_.name);
  return nullptr;
}

void DoLoadPicture::LoadOnePictureFromDevice(LoadPictureInfo& info) {
  wxMutexLocker lock(AppData::current_device_list_lock_);
  const DeviceContext* current = CurrentDeviceContext(AppData::current_device_list_);
  if (!current || !current->device) return;
  const DeviceContext& context = *current;

  const wxString target =
      PictureCachePath(context.id, category_, info.index, info.path);
  // The decoded thumbnail is what the cache keeps of a picture: a camera
  // roll copied whole would fill the disk.
  const wxString thumbnail = target + kThumbnailSuffix;
  std::unique_ptr<wxImage> image(new wxImage);
  if (info.reuse_cached && wxFileExists(thumbnail) &&
      DecodeThumbnail(std::string(thumbnail.utf8_str()), kThumbnailSize, image.get())) {
    info.image = std::move(image);
    info.loaded = true;
    return;
  }

  const wxString folder = wxFileName(target).GetPath();
  if (!wxDirExists(folder)) wxFileName::Mkdir(folder, 0777, wxPATH_MKDIR_FULL);
  if (wxFileExists(target)) wxRemoveFile(target);
  if (wxFileExists(thumbnail)) wxRemoveFile(thumbnail);
  if (IsVideoPath(info.path)) return;
  for (int attempt = 0; attempt < kExportAttempts && !wxFileExists(target); ++attempt)
    context.device->ExportFile(info.path.utf8_str(), target.utf8_str(), nullptr);
  if (!wxFileExists(target)) return;
  if (GetFileSizeByPath(target.utf8_str()) != 0 &&
      DecodeThumbnail(std::string(target.utf8_str()), kThumbnailSize, image.get()) &&
      image->IsOk()) {
    SaveThumbnailPng(*image, std::string(thumbnail.utf8_str()));
    info.image = std::move(image);
    info.loaded = true;
  }
  wxRemoveFile(target);
}
