#ifndef PORTIVA_WINDOW_PUBLIC_LIST_CTRL_H
#define PORTIVA_WINDOW_PUBLIC_LIST_CTRL_H

#include <wx/dataview.h>

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

  // Appends a row showing the item, marked as the item is.
  void AppendItem(PublicListViewCopyItemPtr item);
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

  // Called after the user or the program changed a row's mark; the status
  // hint's running totals plug in here.
  std::function<void(unsigned int row, bool checked)> check_changed_;

  void SetupString();

 private:
  friend class PublicListModel;
  PublicListModel* model_;
  int batch_depth_;
};

#endif
