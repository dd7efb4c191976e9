#ifndef PORTIVA_WINDOW_PUBLIC_LIST_CTRL_H
#define PORTIVA_WINDOW_PUBLIC_LIST_CTRL_H

#include <vector>

#include "window/check_list_ctrl.h"
#include "window/public_list_view_copy.h"

// The media list: eight fixed-width columns whose rows refer to shared
// snapshot items.
class PublicListCtrl : public CheckListCtrl {
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

 protected:
  void GetCell(wxVariant& value, unsigned int row, unsigned int column) const override;
  uint64_t RowSize(unsigned int row) const override;

 private:
  std::vector<PublicListViewCopyItemPtr> items_;
};

#endif
