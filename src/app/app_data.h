#ifndef PORTIVA_APP_APP_DATA_H
#define PORTIVA_APP_APP_DATA_H

#include <wx/event.h>
#include <wx/thread.h>

#include "app/registry_slot.h"
#include "device/device_context.h"
#include "pod_device_service.h"
#include "window/public_list_view_copy.h"

// Everything the GUI thread and the workers share. Lock order: a thumbnail
// begin or end lock before its count lock, a count lock before the device
// list lock; nobody holds two pairs' mutexes while waiting.
class AppData {
 public:
  static bool Init();

  static PodDeviceService* device_service_;
  static PublicListViewCopy public_list_view_copy_;
  static CurrentDeviceList current_device_list_;

  static wxMutex current_device_list_lock_;

  static wxMutex load_camera_roll_picture_count_lock_;
  static int load_camera_roll_picture_count_;
  static wxMutex load_camera_roll_picture_begin_lock_;
  static wxCondition load_camera_roll_picture_begin_cond_;
  static wxMutex load_camera_roll_picture_end_lock_;
  static wxCondition load_camera_roll_picture_end_cond_;

  static wxMutex load_photo_picture_count_lock_;
  static int load_photo_picture_count_;
  static wxMutex load_photo_picture_begin_lock_;
  static wxCondition load_photo_picture_begin_cond_;
  static wxMutex load_photo_picture_end_lock_;
  static wxCondition load_photo_picture_end_cond_;

  static wxMutex stop_export_device_file_lock_;
  static bool stop_export_device_file_;
  // Number of the export that may run, under the stop lock: a new export
  // takes the next one, so a stopped worker still inside the device
  // library never carries on once the next export has cleared the flag.
  static uint64_t export_generation_;

  static wxMutex update_current_export_file_lock_;
  static wxCondition update_current_export_file_cond_;
  static wxMutex update_current_progress_step_lock_;
  static wxCondition update_current_progress_step_cond_;
  static wxMutex export_complete_lock_;
  static wxCondition export_complete_cond_;
};

// Both thumbnail generations move on, so that every running loader stops
// at its next check (detection and a new device choice).
void BumpPictureGenerations();

// A request that a worker hands to the GUI thread and waits on. It carries
// its own answered flag, so several workers can wait on one pair and each
// wakes only for its own answer. An event destroyed unanswered (its target
// window went away, or no handler took it) answers itself as abandoned.
class HandshakeEvent : public wxThreadEvent {
 public:
  explicit HandshakeEvent(int id);
  HandshakeEvent(const HandshakeEvent& other);
  ~HandshakeEvent() override;

  // A copy never answers for the original.
  wxEvent* Clone() const override { return new HandshakeEvent(*this); }

 private:
  friend bool AskGuiAndWait(wxMutex&, wxCondition&, EventTarget*,
                            HandshakeEvent*);
  friend class HandshakeReply;
  struct Ticket;
  void Attach(Ticket* ticket, wxMutex* lock, wxCondition* cond);
  // Under the pair's mutex: marks the request answered and lets it go.
  void AnswerLocked(bool by_handler);

  Ticket* ticket_ = nullptr;
  wxMutex* lock_ = nullptr;
  wxCondition* cond_ = nullptr;
};

// Worker side of a hand-shake: queues the event to the target and blocks
// until the GUI has answered it. False when nobody answered: no target
// (the event is dropped at once), or the event was destroyed unhandled.
bool AskGuiAndWait(wxMutex& lock, wxCondition& cond, EventTarget* target,
                   HandshakeEvent* event);

// GUI side of a hand-shake: holds the pair's mutex for the handler's scope
// and answers the request when the scope ends, so that every path of the
// handler answers the waiting worker. A plain event carries no request and
// is not answered.
class HandshakeReply {
 public:
  enum Order { kSignalThenUnlock, kUnlockThenSignal };

  HandshakeReply(wxMutex& lock, wxCondition& cond, wxEvent& event,
                 Order order = kSignalThenUnlock);
  ~HandshakeReply();

  HandshakeReply(const HandshakeReply&) = delete;
  HandshakeReply& operator=(const HandshakeReply&) = delete;

 private:
  wxMutex& lock_;
  wxCondition& cond_;
  HandshakeEvent* request_;
  Order order_;
};

#endif
