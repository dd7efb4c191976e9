#include "window/base/dh_bitmap_button.h"

#include <wx/brush.h>
#include <wx/dcclient.h>
#include <wx/pen.h>

wxIMPLEMENT_DYNAMIC_CLASS(DhBitmapButton, wxControl);

wxBEGIN_EVENT_TABLE(DhBitmapButton, wxControl)
  EVT_PAINT(DhBitmapButton::OnPaint)
  EVT_ENTER_WINDOW(DhBitmapButton::OnEnter)
  EVT_LEAVE_WINDOW(DhBitmapButton::OnLeave)
  EVT_LEFT_DOWN(DhBitmapButton::OnDown)
  EVT_LEFT_DCLICK(DhBitmapButton::OnDClick)
  EVT_LEFT_UP(DhBitmapButton::OnUp)
wxEND_EVENT_TABLE()

DhBitmapButton::DhBitmapButton()
    : normal_bitmap_(nullptr),
      down_bitmap_(nullptr),
      enter_bitmap_(nullptr),
      disable_bitmap_(nullptr),
      has_background_(false),
      mouse_(this) {}

DhBitmapButton::DhBitmapButton(wxWindow* parent, int id, const wxPoint& pos,
                               const wxSize& size, long style,
                               const wxValidator& validator)
    : DhBitmapButton() {
  Create(parent, id, pos, size, style, validator);
}

DhBitmapButton::~DhBitmapButton() {
  delete normal_bitmap_;
  delete down_bitmap_;
  delete enter_bitmap_;
}

bool DhBitmapButton::Create(wxWindow* parent, int id, const wxPoint& pos,
                            const wxSize& size, long style,
                            const wxValidator& validator) {
  normal_bitmap_ = nullptr;
  down_bitmap_ = nullptr;
  enter_bitmap_ = nullptr;
  disable_bitmap_ = nullptr;
  if (!wxControl::Create(parent, id, pos, size, style, validator,
                         wxControlNameStr))
    return false;
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  has_background_ = false;
  return true;
}

namespace {
void ReplaceOwned(wxBitmap*& slot, wxBitmap* bitmap) {
  if (slot != bitmap) delete slot;
  slot = bitmap;
}
}  // namespace

DhBitmapButton* DhBitmapButton::set_normal_bitmap(wxBitmap* bitmap) {
  ReplaceOwned(normal_bitmap_, bitmap);
  return this;
}

DhBitmapButton* DhBitmapButton::set_down_bitmap(wxBitmap* bitmap) {
  ReplaceOwned(down_bitmap_, bitmap);
  return this;
}

DhBitmapButton* DhBitmapButton::set_enter_bitmap(wxBitmap* bitmap) {
  ReplaceOwned(enter_bitmap_, bitmap);
  return this;
}

DhBitmapButton* DhBitmapButton::set_disable_bitmap(wxBitmap* bitmap) {
  disable_bitmap_ = bitmap;
  return this;
}

void DhBitmapButton::set_background(const wxBitmap& background) {
  background_ = background;
  has_background_ = true;
}

bool DhBitmapButton::SetBackgroundColour(const wxColour& colour) {
  has_background_ = false;
  return wxControl::SetBackgroundColour(colour);
}

wxSize DhBitmapButton::DoGetBestSize() const { return GetSize(); }

void DhBitmapButton::OnEnter(wxMouseEvent&) { mouse_.Enter(); }

void DhBitmapButton::OnLeave(wxMouseEvent&) { mouse_.Leave(); }

void DhBitmapButton::OnDown(wxMouseEvent&) { mouse_.Down(); }

void DhBitmapButton::OnDClick(wxMouseEvent&) { mouse_.DoubleClick(); }

void DhBitmapButton::OnUp(wxMouseEvent&) { mouse_.Up(); }

bool DhBitmapButton::Enable(bool enable) {
  mouse_.SetEnabled(enable);
  return wxControl::Enable(enable);
}

bool DhBitmapButton::Disable() { return Enable(false); }

void DhBitmapButton::DrawBackground(wxDC* dc) {
  if (has_background_) {
    if (background_.IsOk()) dc->DrawBitmap(background_, 0, 0, true);
    return;
  }
  const wxColour colour = GetBackgroundColour();
  dc->SetBrush(wxBrush(colour, wxBRUSHSTYLE_SOLID));
  dc->SetPen(wxPen(colour, 1, wxPENSTYLE_SOLID));
  const wxSize size = GetSize();
  dc->DrawRectangle(0, 0, size.x, size.y);
}

void DhBitmapButton::DrawExistBitmap(wxDC* dc, wxBitmap* first,
                                     wxBitmap* second) {
  wxBitmap* bitmap = first ? first : second;
  if (bitmap && bitmap->IsOk()) dc->DrawBitmap(*bitmap, 0, 0, true);
}

void DhBitmapButton::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  DrawBackground(&dc);
  switch (mouse_.state()) {
    case kEntered:
      if (enter_bitmap_) {
        DrawExistBitmap(&dc, enter_bitmap_, normal_bitmap_);
      } else {
        // A missing hover picture is marked, over the normal one.
        DrawExistBitmap(&dc, normal_bitmap_, nullptr);
        const wxSize best = GetBestSize();
        dc.SetPen(*wxRED_PEN);
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(0, 0, best.x, best.y);
      }
      break;
    case kDown:
    case kDownAgain:
      DrawExistBitmap(&dc, down_bitmap_, normal_bitmap_);
      break;
    case kDisabled:
      DrawExistBitmap(&dc, disable_bitmap_, normal_bitmap_);
      break;
    default:
      DrawExistBitmap(&dc, normal_bitmap_, nullptr);
      break;
  }
}
