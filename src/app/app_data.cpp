#include "app/app_data.h"

namespace {
// Constructed before and so destroyed after every other static of the
// shared state: the service object goes last.
struct DeviceServiceRelease {
  ~DeviceServiceRelease();
} g_device_service_release;
}  // namespace

// Definition order is construction order: keep it as the lock table reads.
PodDeviceService* AppData::device_service_ = CreatePodDeviceService();
PublicListViewCopy AppData::public_list_view_copy_;
CurrentDeviceList AppData::current_device_list_;

wxMutex AppData::current_device_list_lock_;

wxMutex AppData::load_camera_roll_picture_count_lock_;
int AppData::load_camera_roll_picture_count_ = 0;
wxMutex AppData::load_camera_roll_picture_begin_lock_;
wxCondition AppData::load_camera_roll_picture_begin_cond_(
    AppData::load_camera_roll_picture_begin_lock_);
wxMutex AppData::load_camera_roll_picture_end_lock_;
wxCondition AppData::load_camera_roll_picture_end_cond_(
    AppData::load_camera_roll_picture_end_lock_);

wxMutex AppData::load_photo_picture_count_lock_;
int AppData::load_photo_picture_count_ = 0;
wxMutex AppData::load_photo_picture_begin_lock_;
wxCondition AppData::load_photo_picture_begin_cond_(
    AppData::load_photo_picture_begin_lock_);
wxMutex AppData::load_photo_picture_end_lock_;
wxCondition AppData::load_photo_picture_end_cond_(
    AppData::load_photo_picture_end_lock_);

wxMutex AppData::stop_export_device_file_lock_;
bool AppData::stop_export_device_file_ = false;

wxMutex AppData::update_current_export_file_lock_;
wxCondition AppData::update_current_export_file_cond_(
    AppData::update_current_export_file_lock_);
wxMutex AppData::update_current_progress_step_lock_;
wxCondition AppData::update_current_progress_step_cond_(
    AppData::update_current_progress_step_lock_);
wxMutex AppData::export_complete_lock_;
wxCondition AppData::export_complete_cond_(AppData::export_complete_lock_);

namespace {
DeviceServiceRelease::~DeviceServiceRelease() {
  FreePodDeviceService(AppData::device_service_);
  AppData::device_service_ = nullptr;
}
// Whether the GUI has answered the request now pending on a pair. Read and
// written under the pair's own mutex; it keeps a spurious wake-up from
// letting a worker run on while the GUI still uses its request record.
struct PendingAnswer {
  wxCondition* cond;
  bool answered;
};

PendingAnswer g_answers[] = {
    {&AppData::load_camera_roll_picture_begin_cond_, false},
    {&AppData::load_camera_roll_picture_end_cond_, false},
    {&AppData::load_photo_picture_begin_cond_, false},
    {&AppData::load_photo_picture_end_cond_, false},
    {&AppData::update_current_export_file_cond_, false},
    {&AppData::update_current_progress_step_cond_, false},
    {&AppData::export_complete_cond_, false},
};

bool* AnsweredFlag(wxCondition& cond) {
  for (PendingAnswer& answer : g_answers)
    if (answer.cond == &cond) return &answer.answered;
  return nullptr;
}
}  // namespace

bool AppData::Init() {
  public_list_view_copy_.DeleteContents(true);
  return true;
}

bool AskGuiAndWait(wxMutex& lock, wxCondition& cond, wxEvtHandler* target,
                   wxThreadEvent* event) {
  if (!target) {
    delete event;
    return false;
  }
  bool* answered = AnsweredFlag(cond);
  wxMutexLocker locker(lock);
  if (answered) *answered = false;
  target->QueueEvent(event);
  // The handler cannot take the mutex before this wait releases it, so its
  // signal cannot come too early.
  do {
    cond.Wait();
  } while (answered && !*answered);
  return true;
}

HandshakeReply::HandshakeReply(wxMutex& lock, wxCondition& cond, Order order)
    : lock_(lock), cond_(cond), order_(order) {
  lock_.Lock();
}

HandshakeReply::~HandshakeReply() {
  if (bool* answered = AnsweredFlag(cond_)) *answered = true;
  if (order_ == kSignalThenUnlock) {
    cond_.Signal();
    lock_.Unlock();
  } else {
    lock_.Unlock();
    cond_.Signal();
  }
}
