#include "window/picture_icon_view.h"

#include <wx/dcbuffer.h>
#include <wx/listbase.h>
#include <wx/settings.h>

#include <algorithm>
#include <iterator>

namespace {

// Room around the largest thumbnail for the selection frame and focus mark.
const int kCellMargin = 8;
const int kFrameInset = 3;
const int kFrameRadius = 6;

}  // namespace

int PictureIconGrid::ColumnsFor(int width, int pitch_x) {
  if (pitch_x <= 0) return 1;
  return std::max(1, width / pitch_x);
}

long PictureIconGrid::DistanceFromRange(long item, long first, long end) {
  if (item < first) return first - item;
  if (item >= end) return item - end + 1;
  return 0;
}

long PictureIconGrid::ItemAt(long row, int column) const {
  if (row < 0 || column < 0 || column >= columns_) return -1;
  const long item = row * columns_ + column;
  return item < count_ ? item : -1;
}

void PictureIconGrid::ItemsInRows(long first_row, long end_row, long* first,
                                  long* end) const {
  *first = std::min(std::max(first_row, 0L) * columns_, count_);
  *end = std::max(*first, std::min(std::max(end_row, 0L) * columns_, count_));
}

long PictureIconGrid::ItemAtPoint(long first_row, const wxPoint& point) const {
  if (point.x < 0 || point.y < 0 || pitch_.x <= 0 || pitch_.y <= 0) return -1;
  return ItemAt(first_row + point.y / pitch_.y, point.x / pitch_.x);
}

wxRect PictureIconGrid::CellRect(long item, long first_row) const {
  return wxRect(ColumnOf(item) * pitch_.x,
                static_cast<int>((RowOf(item) - first_row) * pitch_.y),
                pitch_.x, pitch_.y);
}

PictureIconView::PictureIconView(wxWindow* parent, wxWindowID id,
                                 size_t max_thumbnails)
    : wxVScrolledWindow(parent, id, wxDefaultPosition, wxDefaultSize,
                        wxWANTS_CHARS | wxBORDER_NONE),
      grid_(wxSize(kThumbnailSize + 2 * kCellMargin,
                   kThumbnailSize + 2 * kCellMargin)),
      max_thumbnails_(max_thumbnails) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
  Bind(wxEVT_PAINT, &PictureIconView::OnPaint, this);
  Bind(wxEVT_SIZE, &PictureIconView::OnSize, this);
  Bind(wxEVT_LEFT_DOWN, &PictureIconView::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &PictureIconView::OnLeftDClick, this);
  Bind(wxEVT_RIGHT_DOWN, &PictureIconView::OnRightDown, this);
  Bind(wxEVT_MOUSEWHEEL, &PictureIconView::OnMouseWheel, this);
  Bind(wxEVT_KEY_DOWN, &PictureIconView::OnKeyDown, this);
  Bind(wxEVT_SET_FOCUS, &PictureIconView::OnFocus, this);
  Bind(wxEVT_KILL_FOCUS, &PictureIconView::OnFocus, this);
}

wxCoord PictureIconView::OnGetRowHeight(size_t) const {
  return grid_.pitch().y;
}

void PictureIconView::AppendItems(const std::vector<PictureIconViewData*>& data) {
  if (data.empty()) return;
  items_.insert(items_.end(), data.begin(), data.end());
  selected_.resize(items_.size(), false);
  grid_.SetItemCount(GetItemCount());
  SetRowCount(grid_.RowCount());
  Refresh();
}

void PictureIconView::DeleteAllItems() {
  // Swapped out rather than cleared, so a large roll gives its memory back.
  std::vector<PictureIconViewData*>().swap(items_);
  std::vector<bool>().swap(selected_);
  thumbnails_.clear();
  selected_count_ = 0;
  current_ = anchor_ = -1;
  grid_.SetItemCount(0);
  SetRowCount(0);
  Refresh();
}

PictureIconViewData* PictureIconView::GetItemData(long item) const {
  if (item < 0 || item >= GetItemCount()) return nullptr;
  return items_[item];
}

wxRect PictureIconView::GetItemRect(long item) const {
  if (item < 0 || item >= GetItemCount()) return wxRect();
  return grid_.CellRect(item, static_cast<long>(GetVisibleRowsBegin()));
}

long PictureIconView::HitTest(const wxPoint& client_point, int& flags) const {
  const wxSize client = GetClientSize();
  long item = -1;
  if (client_point.x < client.x && client_point.y < client.y)
    item = grid_.ItemAtPoint(static_cast<long>(GetVisibleRowsBegin()), client_point);
  flags = item < 0 ? wxLIST_HITTEST_NOWHERE : wxLIST_HITTEST_ONITEM;
  return item;
}

long PictureIconView::FullRowsInView() const {
  return std::max(1, GetClientSize().y / grid_.pitch().y);
}

void PictureIconView::EnsureVisible(long item) {
  if (item < 0 || item >= GetItemCount()) return;
  const long row = grid_.RowOf(item);
  const long first = static_cast<long>(GetVisibleRowsBegin());
  if (row < first)
    ScrollToRow(row);
  else if (row >= first + FullRowsInView())
    ScrollToRow(row - FullRowsInView() + 1);
}

long PictureIconView::GetTopItem() const {
  if (items_.empty()) return 0;
  return std::min(static_cast<long>(GetVisibleRowsBegin()) * grid_.columns(),
                  GetItemCount() - 1);
}

void PictureIconView::GetVisibleRange(long* first, long* end) const {
  // Counted from the client height: the scroll helper's own end counts a
  // row more when the rows fill the height exactly.
  const long first_row = static_cast<long>(GetVisibleRowsBegin());
  const int height = std::max(0, GetClientSize().y);
  const long rows = (height + grid_.pitch().y - 1) / grid_.pitch().y;
  grid_.ItemsInRows(first_row, first_row + rows, first, end);
}

void PictureIconView::RefreshItem(long item) {
  if (item < 0 || item >= GetItemCount()) return;
  long first, end;
  GetVisibleRange(&first, &end);
  if (item < first || item >= end) return;
  RefreshRect(GetItemRect(item), false);
}

void PictureIconView::SetPlaceholder(const wxBitmap& bitmap) {
  placeholder_ = bitmap;
  Refresh();
}

void PictureIconView::SetItemThumbnail(long item, const wxBitmap& bitmap) {
  if (item < 0 || item >= GetItemCount() || !bitmap.IsOk()) return;
  thumbnails_[item] = bitmap;
  RefreshItem(item);
  while (thumbnails_.size() > max_thumbnails_) {
    long first, end;
    GetVisibleRange(&first, &end);
    auto low = thumbnails_.begin();
    auto high = std::prev(thumbnails_.end());
    const long low_distance = PictureIconGrid::DistanceFromRange(low->first, first, end);
    const long high_distance = PictureIconGrid::DistanceFromRange(high->first, first, end);
    auto drop = high_distance >= low_distance ? high : low;
    const long dropped = drop->first;
    thumbnails_.erase(drop);
    RefreshItem(dropped);
    if (thumbnail_dropped_) thumbnail_dropped_(dropped);
  }
}

bool PictureIconView::HasItemThumbnail(long item) const {
  return thumbnails_.count(item) != 0;
}

bool PictureIconView::IsSelected(long item) const {
  return item >= 0 && item < GetItemCount() && selected_[item];
}

bool PictureIconView::SetMark(long item, bool on) {
  if (item < 0 || item >= GetItemCount() || selected_[item] == on) return false;
  selected_[item] = on;
  selected_count_ += on ? 1 : -1;
  RefreshItem(item);
  return true;
}

void PictureIconView::Select(long item, bool on) {
  if (SetMark(item, on))
    SendListEvent(on ? wxEVT_LIST_ITEM_SELECTED : wxEVT_LIST_ITEM_DESELECTED, item);
}

long PictureIconView::GetNextSelected(long after) const {
  if (selected_count_ == 0) return -1;
  for (long item = std::max(after + 1, 0L); item < GetItemCount(); ++item)
    if (selected_[item]) return item;
  return -1;
}

void PictureIconView::SelectAll() {
  selected_.assign(items_.size(), true);
  selected_count_ = GetItemCount();
  Refresh();
}

void PictureIconView::DeselectAll() {
  selected_.assign(items_.size(), false);
  selected_count_ = 0;
  Refresh();
}

void PictureIconView::InvertSelection() {
  selected_.flip();
  selected_count_ = GetItemCount() - selected_count_;
  Refresh();
}

void PictureIconView::SelectRange(long from, long to, bool adding) {
  const long low = std::min(from, to);
  const long high = std::max(from, to);
  if (!adding) {
    // Walks only the marked items, so clearing a large selection costs
    // what it changes.
    for (long item = GetNextSelected(-1); item >= 0; item = GetNextSelected(item)) {
      if (item >= low && item <= high) {
        item = high;
        continue;
      }
      SetMark(item, false);
      SendListEvent(wxEVT_LIST_ITEM_DESELECTED, item);
    }
  }
  if (low < 0) return;
  for (long item = low; item <= high && item < GetItemCount(); ++item)
    if (SetMark(item, true)) SendListEvent(wxEVT_LIST_ITEM_SELECTED, item);
}

void PictureIconView::SendListEvent(wxEventType type, long item, const wxPoint& point) {
  wxListEvent event(type, GetId());
  event.SetEventObject(this);
  event.m_itemIndex = item;
  event.m_item.m_itemId = item;
  if (PictureIconViewData* data = GetItemData(item))
    event.m_item.m_data = reinterpret_cast<wxUIntPtr>(data);
  event.m_pointDrag = point;
  GetEventHandler()->ProcessEvent(event);
}

void PictureIconView::SetCurrent(long item) {
  if (item == current_) return;
  const long old = current_;
  current_ = item;
  RefreshItem(old);
  RefreshItem(item);
}

void PictureIconView::MoveCurrent(long item, bool shift, bool control) {
  if (shift) {
    if (anchor_ < 0) anchor_ = current_ < 0 ? item : current_;
    SetCurrent(item);
    SelectRange(anchor_, item, control);
  } else if (control) {
    SetCurrent(item);
  } else {
    SetCurrent(item);
    anchor_ = item;
    SelectRange(item, item, false);
  }
  EnsureVisible(item);
}

void PictureIconView::Relayout() {
  const int columns = PictureIconGrid::ColumnsFor(GetClientSize().x, grid_.pitch().x);
  if (columns == grid_.columns()) return;
  // Keeps the picture at the top left in view across the change.
  const long top = GetTopItem();
  grid_.SetColumns(columns);
  SetRowCount(grid_.RowCount());
  if (!items_.empty()) ScrollToRow(grid_.RowOf(top));
  Refresh();
}

void PictureIconView::OnSize(wxSizeEvent& event) {
  Relayout();
  event.Skip();
}

void PictureIconView::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  if (items_.empty()) return;
  // Only the rows the damaged area crosses.
  const wxRect damaged = GetUpdateRegion().GetBox();
  const int pitch_y = grid_.pitch().y;
  const long first_row = static_cast<long>(GetVisibleRowsBegin());
  long first, end;
  grid_.ItemsInRows(first_row + std::max(0, damaged.y) / pitch_y,
                    first_row + std::max(0, damaged.GetBottom()) / pitch_y + 1,
                    &first, &end);
  for (long item = first; item < end; ++item) {
    const wxRect cell = grid_.CellRect(item, first_row);
    if (cell.Intersects(damaged)) DrawItem(dc, item, cell);
  }
}

void PictureIconView::DrawItem(wxDC& dc, long item, const wxRect& cell) {
  if (selected_[item]) {
    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    dc.SetPen(wxPen(highlight));
    dc.SetBrush(wxBrush(highlight));
    dc.DrawRoundedRectangle(wxRect(cell).Deflate(kFrameInset), kFrameRadius);
  }
  auto held = thumbnails_.find(item);
  const wxBitmap& bitmap = held != thumbnails_.end() ? held->second : placeholder_;
  if (bitmap.IsOk()) {
    wxDCClipper clip(dc, cell);
    dc.DrawBitmap(bitmap, cell.x + (cell.width - bitmap.GetWidth()) / 2,
                  cell.y + (cell.height - bitmap.GetHeight()) / 2, true);
  }
  if (item == current_ && HasFocus()) {
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT), 1,
                    wxPENSTYLE_DOT));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(wxRect(cell).Deflate(1));
  }
}

void PictureIconView::OnLeftDown(wxMouseEvent& event) {
  SetFocus();
  int flags;
  HandleLeftClick(event, HitTest(event.GetPosition(), flags));
}

void PictureIconView::OnLeftDClick(wxMouseEvent& event) {
  // The toolkit sends this in place of the second press, so it is a click
  // as well.
  int flags;
  const long item = HitTest(event.GetPosition(), flags);
  HandleLeftClick(event, item);
  if (item >= 0 && !event.ControlDown() && !event.ShiftDown())
    SendListEvent(wxEVT_LIST_ITEM_ACTIVATED, item, event.GetPosition());
}

void PictureIconView::HandleLeftClick(const wxMouseEvent& event, long item) {
  if (item < 0) {
    if (!event.ControlDown()) SelectRange(-1, -1, false);
    return;
  }
  if (event.ShiftDown()) {
    if (anchor_ < 0) anchor_ = current_ < 0 ? item : current_;
    SetCurrent(item);
    SelectRange(anchor_, item, event.ControlDown());
  } else if (event.ControlDown()) {
    SetCurrent(item);
    anchor_ = item;
    Select(item, !IsSelected(item));
  } else {
    SetCurrent(item);
    anchor_ = item;
    SelectRange(item, item, false);
  }
}

void PictureIconView::OnRightDown(wxMouseEvent& event) {
  SetFocus();
  int flags;
  const long item = HitTest(event.GetPosition(), flags);
  // The menu acts on the selection, so it must include the item clicked.
  if (item >= 0 && !IsSelected(item)) {
    SetCurrent(item);
    anchor_ = item;
    SelectRange(item, item, false);
  }
  SendListEvent(wxEVT_LIST_ITEM_RIGHT_CLICK, item, event.GetPosition());
}

void PictureIconView::OnMouseWheel(wxMouseEvent& event) {
  // Scrolled here, a row per notch as rows are tall; the rotation is
  // taken out so the scroll helper, which sees the event after us, does
  // not scroll again, and the event is not skipped so the toolkit does not
  // move the scroll bar on its own either.
  const int rotation = event.GetWheelRotation();
  event.m_wheelRotation = 0;
  if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL || event.GetWheelDelta() <= 0)
    return;
  wheel_rotation_ += rotation;
  const int notches = wheel_rotation_ / event.GetWheelDelta();
  wheel_rotation_ -= notches * event.GetWheelDelta();
  if (notches == 0) return;
  if (event.IsPageScroll())
    ScrollRowPages(-notches);
  else
    ScrollRows(-notches);
}

void PictureIconView::OnKeyDown(wxKeyEvent& event) {
  const long count = GetItemCount();
  if (count == 0 || event.AltDown()) {
    event.Skip();
    return;
  }
  const bool control = event.ControlDown();
  const bool shift = event.ShiftDown();
  if (control && !shift && event.GetKeyCode() == 'A') {
    SelectAll();
    if (current_ < 0) SetCurrent(0);
    SendListEvent(wxEVT_LIST_ITEM_SELECTED, current_);
    return;
  }
  const long from = current_ < 0 ? 0 : current_;
  const long columns = grid_.columns();
  const long page = columns * FullRowsInView();
  long to;
  switch (event.GetKeyCode()) {
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
      to = from - 1;
      break;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
      to = from + 1;
      break;
    case WXK_UP:
    case WXK_NUMPAD_UP:
      to = from >= columns ? from - columns : from;
      break;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
      to = grid_.RowOf(from) + 1 < grid_.RowCount() ? from + columns : from;
      break;
    case WXK_PAGEUP:
    case WXK_NUMPAD_PAGEUP:
      to = from - page >= 0 ? from - page : grid_.ColumnOf(from);
      break;
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEDOWN:
      to = from + page;
      break;
    case WXK_HOME:
    case WXK_NUMPAD_HOME:
      to = 0;
      break;
    case WXK_END:
    case WXK_NUMPAD_END:
      to = count - 1;
      break;
    case WXK_SPACE:
      if (current_ >= 0 && control) Select(current_, !IsSelected(current_));
      return;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      if (current_ >= 0) SendListEvent(wxEVT_LIST_ITEM_ACTIVATED, current_);
      return;
    default:
      event.Skip();
      return;
  }
  MoveCurrent(std::max(0L, std::min(to, count - 1)), shift, control);
}

void PictureIconView::OnFocus(wxFocusEvent& event) {
  RefreshItem(current_);
  event.Skip();
}
