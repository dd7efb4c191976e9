#include "window/base/zl_menu_bar.h"

#include <wx/dcclient.h>
#include <wx/utils.h>

#include "window/base/gtk/zl_popup_menu.h"

wxIMPLEMENT_DYNAMIC_CLASS(ZLMenuBar, wxPanel);

wxBEGIN_EVENT_TABLE(ZLMenuBar, wxPanel)
  EVT_PAINT(ZLMenuBar::OnPaint)
  EVT_MENU_CLOSE(ZLMenuBar::OnMenuClose)
wxEND_EVENT_TABLE()

ZLMenuBar* ZLMenuBar::menu_bar_ = nullptr;
wxTimer* ZLMenuBar::hook_ = nullptr;
int ZLMenuBar::current_id_ = -1;
int ZLMenuBar::next_id_ = -1;

namespace {

// How often the pointer is read while a popup is open: quick enough that
// switching menus feels immediate.
const int kPointerWatchMs = 20;

// Whether the press that closes a popup from outside also reaches the
// window under the pointer. A GTK popup consumes that press, so a press on
// the open menu's own button leaves nothing for the bar to swallow.
const bool kPopupPassesClosingPress = false;

class PointerWatch : public wxTimer {
 public:
  void Notify() override { ZLMenuBar::MessageHookProc(); }
};

}  // namespace

ZLMenuBar::ZLMenuBar()
    : background_(nullptr), state_(0), next_x_(0), next_y_(0),
      tracking_(false), open_button_(nullptr) {}

ZLMenuBar::ZLMenuBar(wxBitmap* background, wxWindow* parent, int id,
                     const wxPoint& pos, long style)
    : background_(nullptr), state_(0), next_x_(0), next_y_(0),
      tracking_(false), open_button_(nullptr) {
  Create(background, parent, id, pos, style);
}

ZLMenuBar::~ZLMenuBar() {
  if (menu_bar_ == this) menu_bar_ = nullptr;
  delete background_;
}

bool ZLMenuBar::Create(wxBitmap* background, wxWindow* parent, int id,
                       const wxPoint& pos, long) {
  state_ = 0;
  if (background_ != background) delete background_;
  background_ = background;
  next_x_ = 0;
  next_y_ = 0;
  return wxPanel::Create(parent, id, pos, wxDefaultSize,
                         wxTAB_TRAVERSAL | wxBORDER_NONE);
}

void ZLMenuBar::AppendMenuButton(int id, wxMenu* menu, const wxString& caption,
                                 const wxColour& normal_colour,
                                 const wxColour& current_colour) {
  ZlMenuButton* button =
      new ZlMenuButton(menu, caption, background_, this, id, normal_colour,
                       current_colour, wxPoint(next_x_, next_y_),
                       wxBORDER_NONE);
  const wxSize size = button->GetSize();
  next_x_ += size.GetWidth();
  SetSize(next_x_, size.GetHeight());
  buttons_.push_back(button);
  Bind(wxEVT_BUTTON, &ZLMenuBar::OnPress, this, id);
}

void ZLMenuBar::ClearAllMenu() {
  next_x_ = 0;
  next_y_ = 0;
  for (ZlMenuButton* button : buttons_) {
    Unbind(wxEVT_BUTTON, &ZLMenuBar::OnPress, this, button->GetId());
    if (tracking_) {
      // Out of sight and out of reach of its id, so that lookups find the
      // buttons that replace it.
      button->Hide();
      button->SetId(wxID_NONE);
      retired_.push_back(button);
    } else {
      button->Destroy();
    }
  }
  buttons_.clear();
}

void ZLMenuBar::DestroyRetired() {
  if (tracking_) return;
  for (ZlMenuButton* button : retired_) button->Destroy();
  retired_.clear();
}

int ZLMenuBar::PointerTest(const wxPoint& screen_point) const {
  for (ZlMenuButton* button : buttons_) {
    const wxRect area(button->GetScreenPosition(), button->GetSize());
    if (area.Contains(screen_point)) return button->GetId();
  }
  return -1;
}

int ZLMenuBar::InverseState() {
  const int old = state_;
  if (old == 0 || old == 1) state_ = 1 - old;
  return old;
}

void ZLMenuBar::OnPress(wxCommandEvent& event) {
  if (tracking_) {
    // A press that got past the popup's grab: act as if the pointer had
    // moved there, never open a second popup inside the first.
    next_id_ = event.GetId() == current_id_ ? -2 : event.GetId();
    CancelPopupMenu();
    return;
  }
  if (state_ == 0) {
    TrackPopupMenu(event.GetId());
    if (state_ == 0) {
      state_ = 1;
      return;
    }
  }
  if (state_ == 1) state_ = 0;
}

void ZLMenuBar::TrackPopupMenu(int id) {
  tracking_ = true;
  while (id >= 0) {
    menu_bar_ = this;
    current_id_ = id;
    ZlMenuButton* button = FindButton(id);
    if (!button || !button->menu()) {
      id = -1;
      break;
    }
    button->set_auto_change_state(false);
    button->MakeActivate();
    const wxPoint below(button->GetPosition().x,
                        button->GetPosition().y + button->GetSize().y + 1);

    open_button_ = button;
    InstallHook();
    // Where the pointer is now, so that a popup closed before the first
    // tick does not act on what the previous popup saw.
    TrackPopupMenuProc(wxGetMousePosition());
    PopupMenu(button->menu(), below);
    RemoveHook();
    open_button_ = nullptr;

    // The popup's loop runs the commands of the chosen entries, which may
    // have cleared the bar: the button is then retired, not destroyed, and
    // needs nothing back.
    if (FindButton(id) == button) {
      button->set_auto_change_state(true);
      button->MakeNormal();
    }
    id = next_id_;
  }
  tracking_ = false;
  // Still inside the press handler of a retired button: destroy them once
  // it has returned.
  if (!retired_.empty()) CallAfter(&ZLMenuBar::DestroyRetired);
  // -1: the pointer was last outside the buttons. -2: it was last over the
  // open menu's own button; where the press that closed the popup goes on
  // to that button, the state is kept so that OnPress swallows it.
  if (id == -1 || !kPopupPassesClosingPress) InverseState();
}

void ZLMenuBar::TrackPopupMenuProc(const wxPoint& screen_point) {
  const int id = PointerTest(screen_point);
  if (id == current_id_) {
    next_id_ = -2;
  } else if (id == -1) {
    next_id_ = -1;
  } else {
    next_id_ = id;
    CancelPopupMenu();
  }
}

void ZLMenuBar::MessageHookProc() {
  if (menu_bar_ && menu_bar_->tracking_)
    menu_bar_->TrackPopupMenuProc(wxGetMousePosition());
}

void ZLMenuBar::set_background(wxBitmap* background) {
  if (background_ != background) delete background_;
  background_ = background;
}

wxSize ZLMenuBar::DoGetBestSize() const { return GetSize(); }

void ZLMenuBar::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (background_ && background_->IsOk())
    dc.DrawBitmap(*background_, 0, 0, true);
}

void ZLMenuBar::OnMenuClose(wxMenuEvent& event) {
  // Stop watching as soon as the tracked popup is gone: a dialog opened by
  // one of its items runs inside the popup call and must not switch menus.
  if (hook_ && tracking_ && open_button_ &&
      event.GetMenu() == open_button_->menu())
    hook_->Stop();
  event.Skip();
}

ZlMenuButton* ZLMenuBar::FindButton(int id) const {
  for (ZlMenuButton* button : buttons_)
    if (button->GetId() == id) return button;
  return nullptr;
}

void ZLMenuBar::InstallHook() {
  RemoveHook();
  hook_ = new PointerWatch;
  hook_->Start(kPointerWatchMs);
}

void ZLMenuBar::RemoveHook() {
  if (!hook_) return;
  hook_->Stop();
  delete hook_;
  hook_ = nullptr;
}

void ZLMenuBar::CancelPopupMenu() {
  if (!menu_bar_ || !menu_bar_->open_button_) return;
  ZLCancelPopupMenu(menu_bar_->open_button_->menu());
}
