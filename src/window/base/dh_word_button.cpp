#include "window/base/dh_word_button.h"

#include <wx/brush.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/pen.h>

#include <algorithm>
#include <cstring>

#include "common/image_util.h"

wxIMPLEMENT_DYNAMIC_CLASS(DhWordButton, wxControl);

wxBEGIN_EVENT_TABLE(DhWordButton, wxControl)
  EVT_PAINT(DhWordButton::OnPaint)
  EVT_ENTER_WINDOW(DhWordButton::OnEnter)
  EVT_LEAVE_WINDOW(DhWordButton::OnLeave)
  EVT_LEFT_DOWN(DhWordButton::OnDown)
  EVT_LEFT_DCLICK(DhWordButton::OnDClick)
  EVT_LEFT_UP(DhWordButton::OnUp)
wxEND_EVENT_TABLE()

namespace {

// A piece of the full height of source. Pictures with alpha are cut with
// their alpha kept: a piece blitted into a bitmap of the screen's depth
// would lose it and leave its transparent pixels undefined.
wxBitmap CutPiece(wxBitmap& source, int x, int width) {
  const int height = source.GetHeight();
  if (width <= 0 || height <= 0 || x < 0 || x + width > source.GetWidth())
    return wxBitmap();
  if (source.HasAlpha())
    return source.GetSubBitmap(wxRect(x, 0, width, height));
  return ImageUtil::GetBackgroundImageFromPosition(source, x, 0, width,
                                                   height);
}

void CutThree(wxBitmap& picture, int left_width, int middle_width,
              wxBitmap* pieces) {
  wxBitmap source = GetBitmapWithAlpha(picture);
  const int width = source.GetWidth();
  const int left = std::min(std::max(left_width, 0), width);
  const int middle = std::min(std::max(middle_width, 0), width - left);
  pieces[0] = CutPiece(source, 0, left);
  pieces[1] = CutPiece(source, left, middle);
  pieces[2] = CutPiece(source, left + middle, width - left - middle);
  pieces[3] = wxBitmap();
}

wxBitmap TransparentBitmap(int width, int height) {
  wxImage image(width, height);
  image.InitAlpha();
  memset(image.GetAlpha(), 0, static_cast<size_t>(width) * height);
  return wxBitmap(image, -1);
}

}  // namespace

DhWordButton::DhWordButton()
    : text_y_(0),
      mouse_(this),
      background_mode_(DhWordButtonBgColour),
      text_x_(0) {}

DhWordButton::~DhWordButton() {}

bool DhWordButton::Create(wxWindow* parent, int id, const wxPoint& pos) {
  background_mode_ = DhWordButtonBgColour;
  text_x_ = 0;
  text_y_ = 0;
  if (!wxControl::Create(parent, id, pos, wxDefaultSize, wxBORDER_NONE,
                         wxDefaultValidator, wxControlNameStr))
    return false;
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  return true;
}

void DhWordButton::SetStatusBitmap(wxBitmap& normal, int left_width,
                                   int middle_width, wxBitmap& enter,
                                   wxBitmap& down) {
  wxASSERT_MSG(normal.IsOk(), "normal.IsOk()");
  if (!normal.IsOk()) return;
  CutThree(normal, left_width, middle_width, normal_bitmap_);
  if (enter.IsOk()) CutThree(enter, left_width, middle_width, enter_bitmap_);
  if (down.IsOk()) CutThree(down, left_width, middle_width, down_bitmap_);
}

void DhWordButton::SetBackgroundMode(const wxBitmap& background,
                                     DhWordButtonBgMode mode) {
  background_[0] = background;
  background_[1] = wxBitmap();
  background_rect_ = wxRect();
  background_mode_ = mode;
}

bool DhWordButton::SetBackgroundColour(const wxColour& colour) {
  background_mode_ = DhWordButtonBgColour;
  return wxControl::SetBackgroundColour(colour);
}

void DhWordButton::SetText(const wxString& text, const wxFont& font) {
  text_ = text;
  SetFont(font);
  wxASSERT_MSG(normal_bitmap_[0].IsOk(), "normal_bitmap_[0].IsOk()");
  if (!normal_bitmap_[0].IsOk()) return;
  CalcTextX();
  CalcTextY();
  normal_bitmap_[3] =
      DrawDestBitmap(normal_bitmap_[0], normal_bitmap_[1], normal_bitmap_[2]);
  if (normal_bitmap_[3].IsOk()) {
    SetSize(normal_bitmap_[3].GetSize());
    InvalidateBestSize();
    disable_bitmap_ =
        wxBitmap(normal_bitmap_[3].ConvertToImage().ConvertToDisabled(100));
  }
  if (enter_bitmap_[0].IsOk())
    enter_bitmap_[3] =
        DrawDestBitmap(enter_bitmap_[0], enter_bitmap_[1], enter_bitmap_[2]);
  if (down_bitmap_[0].IsOk())
    down_bitmap_[3] =
        DrawDestBitmap(down_bitmap_[0], down_bitmap_[1], down_bitmap_[2]);
  Refresh();
}

void DhWordButton::CalcTextX() { text_x_ = normal_bitmap_[0].GetWidth(); }

void DhWordButton::CalcTextY() {}

wxBitmap DhWordButton::DrawDestBitmap(wxBitmap& left, wxBitmap& middle,
                                      wxBitmap& right) {
  if (!left.IsOk()) return wxBitmap();
  const int text_width = GetTextExtent(text_).x;
  const int middle_height = middle.IsOk() ? middle.GetHeight() : 0;
  wxBitmap dest_center;
  if (text_width > 0 && middle_height > 0) {
    dest_center = middle.HasAlpha()
                      ? TransparentBitmap(text_width, middle_height)
                      : wxBitmap(text_width, middle_height, -1);
  }
  wxASSERT_MSG(dest_center.IsOk(), "dest_center.IsOk()");
  if (dest_center.IsOk()) DrawBrushBitmap(&dest_center, middle);

  const int left_width = left.GetWidth();
  const int right_width = right.IsOk() ? right.GetWidth() : 0;
  const int width = left_width + text_width + right_width;
  const int height = left.GetHeight();
  wxBitmap result = left.HasAlpha() ? TransparentBitmap(width, height)
                                    : wxBitmap(width, height, -1);
  wxMemoryDC dc(result);
  dc.DrawBitmap(left, 0, 0, true);
  if (dest_center.IsOk()) dc.DrawBitmap(dest_center, left_width, 0, true);
  if (right.IsOk()) dc.DrawBitmap(right, left_width + text_width, 0, true);
  dc.SelectObject(wxNullBitmap);
  return result;
}

void DhWordButton::AddTextToBitmap(wxBitmap& bitmap) {
  if (!bitmap.IsOk()) return;
  wxMemoryDC dc(bitmap);
  dc.SetFont(GetFont());
  dc.SetTextForeground(GetForegroundColour());
  dc.SetBackgroundMode(wxTRANSPARENT);
  dc.DrawText(text_, text_x_, text_y_);
  dc.SelectObject(wxNullBitmap);
}

void DhWordButton::DrawExistBitmap(wxDC& dc, const wxBitmap& first,
                                   const wxBitmap& second) {
  const wxBitmap& bitmap = first.IsOk() ? first : second;
  if (bitmap.IsOk()) dc.DrawBitmap(bitmap, 0, 0, true);
}

void DhWordButton::DrawBackground(wxDC& dc) {
  dc.SetPen(*wxTRANSPARENT_PEN);
  const wxPoint pos = GetPosition();
  const wxSize size = GetSize();
  switch (background_mode_) {
    case DhWordButtonBgCrop: {
      if (!background_[0].IsOk()) return;
      const wxRect button_rect(pos, size);
      if (button_rect != background_rect_ || !background_[1].IsOk()) {
        background_rect_ = button_rect;
        wxRect rect(pos.x, pos.y,
                    std::min(size.x, background_[0].GetWidth() - pos.x),
                    std::min(size.y, background_[0].GetHeight() - pos.y));
        wxASSERT_MSG(background_[0].GetHeight() >= (rect.y + rect.height),
                     "background_[0].GetHeight() >= (rect.y+rect.height)");
        wxASSERT_MSG(background_[0].GetWidth() >= (rect.x + rect.width),
                     "background_[0].GetWidth() >= (rect.x+rect.width)");
        // A button outside the picture has no background to show.
        if (rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0)
          background_[1] = ImageUtil::GetBackgroundImageFromPosition(
              background_[0], rect.x, rect.y, rect.width, rect.height);
        else
          background_[1] = wxBitmap();
      }
      break;
    }
    case DhWordButtonBgTile: {
      background_[1] = wxBitmap();
      if (!background_[0].IsOk() || size.x <= 0) return;
      const int strip_height = background_[0].GetHeight();
      const int height = std::min(size.y, strip_height - pos.y);
      if (pos.y < 0 || height <= 0) return;
      wxBitmap strip(size.x, strip_height, -1);
      DrawBrushBitmap(&strip, background_[0]);
      background_[1] = ImageUtil::GetBackgroundImageFromPosition(
          strip, 0, pos.y, size.x, height);
      break;
    }
    case DhWordButtonBgColour:
      dc.SetBrush(wxBrush(GetBackgroundColour(), wxBRUSHSTYLE_SOLID));
      dc.DrawRectangle(0, 0, size.x, size.y);
      return;
  }
  if (background_[1].IsOk()) dc.DrawBitmap(background_[1], 0, 0, true);
}

void DhWordButton::OnPaint(wxPaintEvent&) {
  wxBufferedPaintDC dc(this);
  DrawBackground(dc);
  switch (mouse_.state()) {
    case DhButtonState::kEntered:
      DrawExistBitmap(dc, enter_bitmap_[3], normal_bitmap_[3]);
      break;
    case DhButtonState::kDown:
    case DhButtonState::kDownAgain:
      DrawExistBitmap(dc, down_bitmap_[3], normal_bitmap_[3]);
      break;
    case DhButtonState::kDisabled:
      DrawExistBitmap(dc, disable_bitmap_, normal_bitmap_[3]);
      break;
    default:
      DrawExistBitmap(dc, normal_bitmap_[3], wxNullBitmap);
      break;
  }
  dc.SetFont(GetFont());
  dc.SetTextForeground(GetForegroundColour());
  dc.SetBackgroundMode(wxTRANSPARENT);
  dc.DrawText(text_, text_x_, text_y_);
}

wxSize DhWordButton::DoGetBestSize() const { return GetSize(); }

void DhWordButton::OnEnter(wxMouseEvent&) { mouse_.Enter(); }

void DhWordButton::OnLeave(wxMouseEvent&) { mouse_.Leave(); }

void DhWordButton::OnDown(wxMouseEvent&) { mouse_.Down(); }

void DhWordButton::OnDClick(wxMouseEvent&) { mouse_.DoubleClick(); }

void DhWordButton::OnUp(wxMouseEvent&) { mouse_.Up(); }

bool DhWordButton::Enable(bool enable) {
  mouse_.SetEnabled(enable);
  return wxControl::Enable(enable);
}

bool DhWordButton::Disable() { return Enable(false); }
