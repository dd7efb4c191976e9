#ifndef PORTIVA_WINDOW_PICTURE_LIST_CTRL_H
#define PORTIVA_WINDOW_PICTURE_LIST_CTRL_H

#include <wx/bitmap.h>

#include <vector>

#include "window/check_list_ctrl.h"

// What the export and the check-mark sums read of a picture list row.
struct PictureListViewData {
  uint64_t size = 0;  // bytes
  wxString path;      // on the device
};

// A picture category as a list: mark, type icon, name, date and size.
class PictureListCtrl : public CheckListCtrl {
 public:
  enum Column {
    kCheckColumn = 0,
    kTypeColumn,
    kTitleColumn,
    kTimeColumn,
    kSizeColumn,
    kColumnCount
  };

  // icon: the category's picture shown in every row.
  PictureListCtrl(wxWindow* parent, wxWindowID id, const wxBitmap& icon);
  ~PictureListCtrl() override;

  // Appends an unmarked row.
  void AppendRow(const wxString& name, const wxString& time, uint64_t size,
                 const wxString& path);
  void DeleteAllItems();
  // Columns 2 to 4; empty for the others and for rows out of range.
  wxString GetTextValue(unsigned int row, unsigned int column) const;
  // The row's data; the row must exist.
  const PictureListViewData& GetRowData(unsigned int row) const;

 protected:
  void GetCell(wxVariant& value, unsigned int row, unsigned int column) const override;
  uint64_t RowSize(unsigned int row) const override;

 private:
  struct Row {
    PictureListViewData data;
    wxString name;
    wxString time;
  };
  wxBitmap icon_;
  std::vector<Row> rows_;
};

#endif
