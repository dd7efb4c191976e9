#ifndef PORTIVA_WINDOW_PICTURE_ICON_VIEW_H
#define PORTIVA_WINDOW_PICTURE_ICON_VIEW_H

#include <wx/bitmap.h>
#include <wx/gdicmn.h>
#include <wx/vscroll.h>

#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include "window/picture_icon_view_data.h"

// The arithmetic of a grid of equal cells filled row by row, left to right.
// Rows are counted from the first one; coordinates are relative to the top
// left corner of a given first row, as the view draws it.
class PictureIconGrid {
 public:
  explicit PictureIconGrid(const wxSize& pitch) : pitch_(pitch) {}

  // As many whole cells as fit, but never none.
  static int ColumnsFor(int width, int pitch_x);
  // How far an item lies outside [first, end): 0 inside it.
  static long DistanceFromRange(long item, long first, long end);

  void SetColumns(int columns) { columns_ = columns < 1 ? 1 : columns; }
  void SetItemCount(long count) { count_ = count < 0 ? 0 : count; }
  int columns() const { return columns_; }
  long item_count() const { return count_; }
  const wxSize& pitch() const { return pitch_; }

  long RowCount() const { return (count_ + columns_ - 1) / columns_; }
  long RowOf(long item) const { return item / columns_; }
  int ColumnOf(long item) const { return static_cast<int>(item % columns_); }
  // -1 when the cell holds no item.
  long ItemAt(long row, int column) const;
  // The items of rows [first_row, end_row) as [first, end), clipped to the
  // items there are.
  void ItemsInRows(long first_row, long end_row, long* first, long* end) const;
  // The item whose cell holds the point, -1 for none.
  long ItemAtPoint(long first_row, const wxPoint& point) const;
  wxRect CellRect(long item, long first_row) const;

 private:
  wxSize pitch_;
  int columns_ = 1;
  long count_ = 0;
};

// A grid of picture thumbnails that only draws the rows in view and holds a
// bounded number of thumbnails, so a camera roll of tens of thousands of
// pictures costs a few bytes per picture. Its calls follow wxListView's.
class PictureIconView : public wxVScrolledWindow {
 public:
  // The largest thumbnail a cell shows.
  static const int kThumbnailSize = 100;

  PictureIconView(wxWindow* parent, wxWindowID id, size_t max_thumbnails = 3000);

  wxSize GetItemSpacing() const { return grid_.pitch(); }
  int GetColumnCount() const { return grid_.columns(); }

  long GetItemCount() const { return static_cast<long>(items_.size()); }
  // One layout and one repaint for all of them.
  void AppendItems(const std::vector<PictureIconViewData*>& data);
  // Forgets items, selection and thumbnails; the data stays the owner's.
  void DeleteAllItems();
  PictureIconViewData* GetItemData(long item) const;

  // The item's cell in client coordinates.
  wxRect GetItemRect(long item) const;
  long HitTest(const wxPoint& client_point, int& flags) const;
  void EnsureVisible(long item);
  long GetTopItem() const;
  // The items of the rows in view, partly shown ones included, as
  // [first, end).
  void GetVisibleRange(long* first, long* end) const;
  void RefreshItem(long item);

  // Drawn for items without a thumbnail of their own.
  void SetPlaceholder(const wxBitmap& bitmap);
  // Holding one more than the bound drops the thumbnail farthest from the
  // rows in view; thumbnail_dropped_ hears of it.
  void SetItemThumbnail(long item, const wxBitmap& bitmap);
  bool HasItemThumbnail(long item) const;
  size_t GetThumbnailCount() const { return thumbnails_.size(); }
  std::function<void(long item)> thumbnail_dropped_;

  bool IsSelected(long item) const;
  // Sends a selected or deselected event when the item's state changes.
  void Select(long item, bool on = true);
  long GetFirstSelected() const { return GetNextSelected(-1); }
  long GetNextSelected(long after) const;
  long GetSelectedItemCount() const { return selected_count_; }
  // Bulk changes: one repaint and no event per item.
  void SelectAll();
  void DeselectAll();
  void InvertSelection();

  // The item with the keyboard focus, -1 for none.
  long GetFocusedItem() const { return current_; }

 private:
  wxCoord OnGetRowHeight(size_t row) const override;

  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftDClick(wxMouseEvent& event);
  void HandleLeftClick(const wxMouseEvent& event, long item);
  void OnRightDown(wxMouseEvent& event);
  void OnMouseWheel(wxMouseEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnFocus(wxFocusEvent& event);

  void DrawItem(wxDC& dc, long item, const wxRect& cell);
  void Relayout();
  long FullRowsInView() const;
  void SetCurrent(long item);
  // Sets one item's mark without announcing it; true when it changed.
  bool SetMark(long item, bool on);
  // Marks only [from, to] (either order) and, unless adding, clears the
  // rest, announcing each change.
  void SelectRange(long from, long to, bool adding);
  void SendListEvent(wxEventType type, long item, const wxPoint& point = wxPoint());
  // Moves the focus as a key does, selecting as the modifiers say.
  void MoveCurrent(long item, bool shift, bool control);

  PictureIconGrid grid_;
  std::vector<PictureIconViewData*> items_;
  std::vector<bool> selected_;
  long selected_count_ = 0;
  long current_ = -1;
  long anchor_ = -1;
  int wheel_rotation_ = 0;  // what is left of a notch

  size_t max_thumbnails_;
  // Ordered, so the farthest from any range is at one of the ends.
  std::map<long, wxBitmap> thumbnails_;
  wxBitmap placeholder_;
};

#endif
