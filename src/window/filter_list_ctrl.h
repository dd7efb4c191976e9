#ifndef PORTIVA_WINDOW_FILTER_LIST_CTRL_H
#define PORTIVA_WINDOW_FILTER_LIST_CTRL_H

#include <wx/dataview.h>

#include <vector>

class FilterListModel;

// One filter list above the media list: a single text column over a
// virtual model, so that thousands of distinct artists or albums reach the
// toolkit with one model reset instead of one row each.
class FilterListCtrl : public wxDataViewCtrl {
 public:
  FilterListCtrl(wxWindow* parent, wxWindowID id, int column_width);
  ~FilterListCtrl() override;

  unsigned int GetItemCount() const;
  // The row's text; empty for column 1 and up and for rows out of range.
  wxString GetTextValue(unsigned int row, unsigned int column = 0) const;
  void AppendItem(const wxString& text);
  // Appends the texts in order with a single model reset.
  void AppendItems(const std::vector<wxString>& texts);
  void DeleteAllItems();
  // The selected row, or wxNOT_FOUND.
  int GetSelectedRow() const;
  void SelectRow(unsigned int row);
  wxDataViewItem RowToItem(unsigned int row) const;

 private:
  FilterListModel* model_;
};

#endif
