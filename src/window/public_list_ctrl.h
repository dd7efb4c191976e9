#ifndef PORTIVA_WINDOW_PUBLIC_LIST_CTRL_H
#define PORTIVA_WINDOW_PUBLIC_LIST_CTRL_H

#include <wx/dataview.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "window/public_list_view_copy.h"

class PublicListModel;

// The media list: eight fixed-width columns over a virtual model whose rows
// refer to shared items, so that refilling tens of thousands of rows costs
// one model reset instead of one toolkit row each.
class PublicListCtrl : public wxDataViewCtrl {
 public:
  enum Column {
    kCheckColumn = 0,
    kTypeColumn,
    kTitleColumn,
    kTimeColumn,
    kSizeColumn,
    kGenreColumn,
    kArtistColumn,
    kAlbumColumn,
    kColumnCount
  };

  // The widest text the size column shows.
  static const char kWidestSizeText[];

  PublicListCtrl(wxWindow* parent, wxWindowID id);
  ~PublicListCtrl() override;

  unsigned int GetItemCount() const;
  bool GetToggleValue(unsigned int row) const;
  void SetToggleValue(bool value, unsigned int row);
  // Columns 2 to 7; empty for the others and for rows out of range.
  wxString GetTextValue(unsigned int row, unsigned int column) const;
  wxBitmap GetIcon(unsigned int row) const;
  // The row's data; the row must exist.
  const PublicListViewData& GetRowData(unsigned int row) const;
  // The item the row shows; the row must exist.
  const PublicListViewCopyItem& GetRowItem(unsigned int row) const;

  // Appends a row showing the item, marked as the item is.
  void AppendItem(PublicListViewCopyItemPtr item);
  // Inside an open batch the toolkit hears of it when the batch closes,
  // so that emptying and refilling costs one model reset.
  void DeleteAllItems();
  // Appends one row per snapshot position, unmarked as the snapshot
  // items are, with a single model reset.
  void AppendSnapshotRows(const PublicListViewCopy& copy,
                          const std::vector<size_t>& positions);
  // The item the snapshot keeps for a row: the row's own item, or a copy
  // when the row's mark differs from it.
  PublicListViewCopyItemPtr SnapshotItem(unsigned int row) const;

  // Rows appended while a batch is open reach the toolkit at once when it
  // closes.
  class AppendBatch {
   public:
    explicit AppendBatch(PublicListCtrl* list);
    ~AppendBatch();
    AppendBatch(const AppendBatch&) = delete;
    AppendBatch& operator=(const AppendBatch&) = delete;

   private:
    PublicListCtrl* list_;
  };

  // Marks many rows at once: one repaint and no announcement per row, so
  // the caller refreshes the status hint once afterwards.
  void SetAllToggleValues(bool value);
  void InverseAllToggleValues();
  void SetToggleValues(const std::vector<unsigned int>& rows, bool value);

  // Running totals of the marked rows, kept on every change.
  unsigned int GetCheckedCount() const { return checked_count_; }
  uint64_t GetCheckedSize() const { return checked_size_; }

  unsigned int ItemToRow(const wxDataViewItem& item) const;
  wxDataViewItem RowToItem(unsigned int row) const;

  // Called after the user or the program changed one row's mark.
  std::function<void(unsigned int row, bool checked)> check_changed_;

  void SetupString();

 private:
  friend class PublicListModel;
  // Sets a row's mark and keeps the totals; false when it was already so.
  bool StoreMark(unsigned int row, bool value);

  PublicListModel* model_;
  int batch_depth_;
  unsigned int checked_count_;
  uint64_t checked_size_;
};

#endif
