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
uint64_t AppData::export_generation_ = 0;

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
}  // namespace

bool AppData::Init() {
  return true;
}

void BumpPictureGenerations() {
  {
    wxMutexLocker lock(AppData::load_camera_roll_picture_count_lock_);
    ++AppData::load_camera_roll_picture_count_;
  }
  {
    wxMutexLocker lock(AppData::load_photo_picture_count_lock_);
    ++AppData::load_photo_picture_count_;
  }
}

// Lives on the waiting worker's stack; read and written under the pair's
// mutex only.
struct HandshakeEvent::Ticket {
  bool answered = false;
  bool by_handler = false;
};

HandshakeEvent::HandshakeEvent(int id) : wxThreadEvent(wxEVT_THREAD, id) {}

HandshakeEvent::HandshakeEvent(const HandshakeEvent& other)
    : wxThreadEvent(other) {}

HandshakeEvent::~HandshakeEvent() {
  if (!lock_) return;
  wxMutexLocker locker(*lock_);
  AnswerLocked(false);
}

void HandshakeEvent::Attach(Ticket* ticket, wxMutex* lock, wxCondition* cond) {
  ticket_ = ticket;
  lock_ = lock;
  cond_ = cond;
}

void HandshakeEvent::AnswerLocked(bool by_handler) {
  if (ticket_) {
    ticket_->answered = true;
    ticket_->by_handler = by_handler;
    // Every waiter on the pair wakes and looks at its own ticket.
    cond_->Broadcast();
  }
  ticket_ = nullptr;
  lock_ = nullptr;
  cond_ = nullptr;
}

bool AskGuiAndWait(wxMutex& lock, wxCondition& cond, EventTarget* target,
                   HandshakeEvent* event) {
  if (!target) {
    delete event;
    return false;
  }
  HandshakeEvent::Ticket ticket;
  wxMutexLocker locker(lock);
  event->Attach(&ticket, &lock, &cond);
  // The answer is the ticket, not the wake-up, so it cannot be lost while
  // the mutex is let go here; and should the target be gone, the event
  // answers itself as it is destroyed, which needs this mutex.
  lock.Unlock();
  target->Queue(event);
  lock.Lock();
  while (!ticket.answered) cond.Wait();
  return ticket.by_handler;
}

HandshakeReply::HandshakeReply(wxMutex& lock, wxCondition& cond,
                               wxEvent& event, Order order)
    : lock_(lock),
      cond_(cond),
      request_(dynamic_cast<HandshakeEvent*>(&event)),
      order_(order) {
  lock_.Lock();
}

HandshakeReply::~HandshakeReply() {
  if (request_ && request_->lock_ == &lock_) {
    request_->ticket_->answered = true;
    request_->ticket_->by_handler = true;
    request_->ticket_ = nullptr;
    request_->lock_ = nullptr;
    request_->cond_ = nullptr;
  }
  if (order_ == kSignalThenUnlock) {
    cond_.Broadcast();
    lock_.Unlock();
  } else {
    lock_.Unlock();
    cond_.Broadcast();
  }
}
