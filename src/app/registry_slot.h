#ifndef PORTIVA_APP_REGISTRY_SLOT_H
#define PORTIVA_APP_REGISTRY_SLOT_H

#include <wx/event.h>
#include <wx/tracker.h>

class wxWindow;

// Where a worker queues its events.
class EventTarget {
 public:
  virtual ~EventTarget() {}
  // Takes ownership of the event; false (and the event deleted) when there
  // is nobody to deliver it to.
  virtual bool Queue(wxEvent* event) = 0;
};

// One entry of the window registry: a non-owning pointer that empties
// itself when its object is destroyed, so nobody is left holding a
// dangling one. Written and cleared on the GUI thread; the pointer is
// guarded by one lock shared by all slots, so that a worker can queue an
// event to the object without racing its destruction.
class RegistrySlotBase : public wxTrackerNode, public EventTarget {
 public:
  RegistrySlotBase() {}
  ~RegistrySlotBase() override;
  RegistrySlotBase(const RegistrySlotBase&) = delete;
  RegistrySlotBase& operator=(const RegistrySlotBase&) = delete;

  bool Queue(wxEvent* event) override;

 protected:
  // window is the object as a window when it is one, else null.
  void Set(void* pointer, wxEvtHandler* handler, wxWindow* window);
  void* Get() const;

 private:
  void OnObjectDestroy() override;
  void Clear(wxEvtHandler* handler);
  void Untrack();

  void* pointer_ = nullptr;
  wxEvtHandler* handler_ = nullptr;
};

namespace registry_detail {
inline wxWindow* AsWindow(wxWindow* window) { return window; }
inline wxWindow* AsWindow(...) { return nullptr; }
}  // namespace registry_detail

template <class T>
class RegistrySlot : public RegistrySlotBase {
 public:
  RegistrySlot& operator=(T* object) {
    Set(object, object, registry_detail::AsWindow(object));
    return *this;
  }
  T* get() const { return static_cast<T*>(Get()); }
  operator T*() const { return get(); }
  T* operator->() const { return get(); }
};

#endif
