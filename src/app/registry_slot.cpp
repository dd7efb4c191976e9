#include "app/registry_slot.h"

#include <wx/thread.h>
#include <wx/window.h>

namespace {
// One lock for every slot: workers read two of them, rarely.
wxMutex& SlotLock() {
  static wxMutex lock;
  return lock;
}
}  // namespace

RegistrySlotBase::~RegistrySlotBase() { Untrack(); }

void RegistrySlotBase::Untrack() {
  wxEvtHandler* old = nullptr;
  {
    wxMutexLocker lock(SlotLock());
    old = handler_;
    pointer_ = nullptr;
    handler_ = nullptr;
  }
  if (old) old->RemoveNode(this);
}

void RegistrySlotBase::Set(void* pointer, wxEvtHandler* handler,
                           wxWindow* window) {
  Untrack();
  if (!handler) return;
  {
    wxMutexLocker lock(SlotLock());
    pointer_ = pointer;
    handler_ = handler;
  }
  handler->AddNode(this);
  // A window is cleared as its destruction begins, before its event
  // handler part goes away, so a worker never queues into a dying window.
  if (window) {
    window->Bind(wxEVT_DESTROY, [this, window](wxWindowDestroyEvent& event) {
      if (event.GetEventObject() == window) Clear(window);
      event.Skip();
    });
  }
}

void* RegistrySlotBase::Get() const {
  wxMutexLocker lock(SlotLock());
  return pointer_;
}

void RegistrySlotBase::Clear(wxEvtHandler* handler) {
  bool cleared = false;
  {
    wxMutexLocker lock(SlotLock());
    if (handler_ == handler) {
      pointer_ = nullptr;
      handler_ = nullptr;
      cleared = true;
    }
  }
  if (cleared) handler->RemoveNode(this);
}

void RegistrySlotBase::OnObjectDestroy() {
  // The tracked object is in its last destructor: it already dropped this
  // node, so only the pointer is forgotten.
  wxMutexLocker lock(SlotLock());
  pointer_ = nullptr;
  handler_ = nullptr;
}

bool RegistrySlotBase::Queue(wxEvent* event) {
  {
    wxMutexLocker lock(SlotLock());
    if (handler_) {
      handler_->QueueEvent(event);
      return true;
    }
  }
  // Deleted outside the slot lock: an unanswered hand-shake event takes
  // its pair's mutex as it goes, and GUI handlers holding that mutex read
  // slots.
  delete event;
  return false;
}
