#include "window/base/zl_button.h"

#include <wx/dcclient.h>

wxIMPLEMENT_DYNAMIC_CLASS(ZLButton, wxControl);

wxBEGIN_EVENT_TABLE(ZLButton, wxControl)
  EVT_PAINT(ZLButton::OnPaint)
  EVT_ERASE_BACKGROUND(ZLButton::OnEraseBackground)
  EVT_SET_FOCUS(ZLButton::OnFocusChanged)
  EVT_KILL_FOCUS(ZLButton::OnFocusChanged)
  EVT_ENTER_WINDOW(ZLButton::OnEnterWindow)
  EVT_LEAVE_WINDOW(ZLButton::OnLeaveWindow)
  EVT_LEFT_DOWN(ZLButton::OnLeftDown)
  EVT_LEFT_UP(ZLButton::OnLeftUp)
wxEND_EVENT_TABLE()

ZLButton::ZLButton()
    : background_(nullptr),
      normal_(nullptr),
      hover_(nullptr),
      pressed_(nullptr),
      focus_(nullptr),
      disabled_(nullptr),
      state_(0) {}

ZLButton::ZLButton(wxBitmap* background, wxBitmap* normal, wxBitmap* hover,
                   wxBitmap* pressed, wxWindow* parent, int id,
                   const wxPoint& pos, wxBitmap* focus, wxBitmap* disabled)
    : background_(background),
      normal_(normal),
      hover_(hover),
      pressed_(pressed),
      focus_(focus),
      disabled_(disabled),
      state_(0) {
  Create(parent, id, pos);
}

ZLButton::~ZLButton() {
  delete normal_;
  delete hover_;
  delete pressed_;
  delete focus_;
  delete disabled_;
}

bool ZLButton::Create(wxWindow* parent, int id, const wxPoint& pos) {
  wxSize size = normal_ && normal_->IsOk() ? normal_->GetSize()
                                           : wxDefaultSize;
  return wxControl::Create(parent, id, pos, size, wxBORDER_NONE,
                           wxDefaultValidator, wxControlNameStr);
}

wxSize ZLButton::DoGetBestSize() const {
  if (!normal_ || !normal_->IsOk()) return wxSize(0, 0);
  return normal_->GetSize();
}

bool ZLButton::Enable(bool enable) {
  bool changed = wxControl::Enable(enable);
  RepaintNow();
  return changed;
}

void ZLButton::RepaintNow() {
  Refresh();
  Update();
}

void ZLButton::Click() {
  wxCommandEvent event(wxEVT_BUTTON, GetId());
  event.SetEventObject(this);
  ProcessWindowEvent(event);
}

void ZLButton::OnEnterWindow(wxMouseEvent& event) {
  state_ = 1;
  RepaintNow();
  event.Skip();
}

void ZLButton::OnLeaveWindow(wxMouseEvent& event) {
  state_ = 0;
  RepaintNow();
  event.Skip();
}

void ZLButton::OnLeftDown(wxMouseEvent& event) {
  state_ = 2;
  RepaintNow();
  event.Skip();
}

void ZLButton::OnLeftUp(wxMouseEvent& event) {
  // Entering again after a press resets the state to hover, so only a
  // press released without leaving the button clicks.
  if (state_ == 2) Click();
  state_ = 1;
  RepaintNow();
  event.Skip();
}

void ZLButton::OnFocusChanged(wxFocusEvent& event) {
  RepaintNow();
  event.Skip();
}

void ZLButton::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (normal_ && normal_->IsOk()) dc.DrawBitmap(*normal_, 0, 0, true);
  wxBitmap* over = nullptr;
  if (IsEnabled()) {
    if (state_ == 1)
      over = hover_;
    else if (state_ == 2)
      over = pressed_;
    else if (state_ == 0 && HasFocus())
      over = focus_;
  } else {
    over = disabled_;
  }
  if (over && over->IsOk()) dc.DrawBitmap(*over, 0, 0, true);
}

void ZLButton::OnEraseBackground(wxEraseEvent& event) {
  wxWindow* parent = GetParent();
  if (!background_ || !background_->IsOk() || !parent) {
    event.Skip();
    return;
  }
  const wxRect rect(GetPosition(), GetSize());
  if (event.GetDC()) {
    background_piece_.PaintTiled(event.GetDC(), background_,
                                 parent->GetSize(), rect);
  } else {
    wxClientDC dc(this);
    background_piece_.PaintTiled(&dc, background_, parent->GetSize(), rect);
  }
}
