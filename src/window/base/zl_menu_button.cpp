#include "window/base/zl_menu_button.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/settings.h>

#include "common/image_util.h"

wxIMPLEMENT_CLASS(ZlMenuButton, wxControl);

wxBEGIN_EVENT_TABLE(ZlMenuButton, wxControl)
  EVT_PAINT(ZlMenuButton::OnPaint)
  EVT_ENTER_WINDOW(ZlMenuButton::OnEnterWindow)
  EVT_LEAVE_WINDOW(ZlMenuButton::OnLeaveWindow)
  EVT_LEFT_DOWN(ZlMenuButton::OnLeftDown)
wxEND_EVENT_TABLE()

namespace {

void DrawCaption(wxBitmap* picture, const wxString& caption,
                 const wxFont& font, const wxColour& colour) {
  wxMemoryDC dc(*picture);
  dc.SetFont(font);
  dc.SetBackgroundMode(wxTRANSPARENT);
  dc.SetTextForeground(colour);
  dc.DrawText(caption, 0, 0);
  dc.SelectObject(wxNullBitmap);
}

}  // namespace

ZlMenuButton::ZlMenuButton(wxMenu* menu, const wxString& caption,
                           wxBitmap* tile, wxWindow* parent, int id,
                           const wxColour& normal_colour,
                           const wxColour& current_colour, const wxPoint& pos,
                           long style, const wxValidator& validator)
    : state_(0), auto_change_state_(true), background_(), menu_(menu) {
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  font.SetPointSize(10);

  int text_width = 0;
  int text_height = 0;
  {
    wxScreenDC dc;
    dc.SetFont(font);
    dc.GetTextExtent(caption, &text_width, &text_height);
  }

  const bool has_tile = tile && tile->IsOk() && tile->GetWidth() > 0 &&
                        tile->GetHeight() > 0;
  // Without a theme tile the button is still usable: the caption goes over
  // the system's menu bar colour, as high as the text.
  const int height = has_tile ? tile->GetHeight() : text_height;
  wxBitmap* normal = new wxBitmap(text_width + 16, height, -1);
  if (has_tile) {
    ImageUtil::FillBigBitmapWithSmallBitmap(normal, tile);
  } else {
    wxMemoryDC dc(*normal);
    dc.SetBackground(
        wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_MENUBAR)));
    dc.Clear();
    dc.SelectObject(wxNullBitmap);
  }
  // A copy of its own, not a shared reference: the captions differ.
  wxBitmap* current = new wxBitmap(
      normal->GetSubBitmap(wxRect(0, 0, normal->GetWidth(), height)));
  DrawCaption(normal, caption, font, normal_colour);
  DrawCaption(current, caption, font, current_colour);
  background_[kNormal] = normal;
  background_[kCurrent] = current;

  wxControl::Create(parent, id, pos, normal->GetSize(), style, validator,
                    wxControlNameStr);
  SetFont(font);
  SetLabel(caption);
}

ZlMenuButton::~ZlMenuButton() {
  for (int i = kNormal; i <= kDisabled; ++i) delete background_[i];
  delete menu_;
}

bool ZlMenuButton::Enable(bool enable) {
  const bool changed = wxControl::Enable(enable);
  Repaint();
  return changed;
}

void ZlMenuButton::MakeActivate() {
  state_ = 1;
  Repaint();
}

void ZlMenuButton::MakeNormal() {
  state_ = 0;
  Repaint();
}

wxBitmap* ZlMenuButton::background(int index) const {
  if (index < 0 || index >= kPictureCount) return nullptr;
  return background_[index];
}

void ZlMenuButton::set_background(int index, wxBitmap* bitmap) {
  if (index < 0 || index >= kPictureCount) return;
  if (index <= kDisabled && background_[index] != bitmap)
    delete background_[index];
  background_[index] = bitmap;
}

void ZlMenuButton::set_menu(wxMenu* menu) {
  if (menu_ != menu) delete menu_;
  menu_ = menu;
}

wxSize ZlMenuButton::DoGetBestSize() const {
  if (!background_[kNormal]) return wxSize(0, 0);
  return background_[kNormal]->GetSize();
}

void ZlMenuButton::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (background_[kNormal]) dc.DrawBitmap(*background_[kNormal], 0, 0, true);
  if (!IsEnabled()) {
    if (background_[kDisabled])
      dc.DrawBitmap(*background_[kDisabled], 0, 0, true);
  } else if (state_ == 1 && background_[kCurrent]) {
    dc.DrawBitmap(*background_[kCurrent], 0, 0, true);
  }
}

void ZlMenuButton::OnEnterWindow(wxMouseEvent&) {
  if (!auto_change_state_) return;
  state_ = 1;
  Repaint();
}

void ZlMenuButton::OnLeaveWindow(wxMouseEvent&) {
  if (!auto_change_state_) return;
  state_ = 0;
  Repaint();
}

void ZlMenuButton::OnLeftDown(wxMouseEvent&) {
  // A menu bar opens on the press, not on the release.
  wxCommandEvent press(wxEVT_BUTTON, GetId());
  press.SetEventObject(this);
  GetEventHandler()->ProcessEvent(press);
}

void ZlMenuButton::Repaint() {
  Refresh();
  Update();
}
