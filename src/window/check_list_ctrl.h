#ifndef PORTIVA_WINDOW_CHECK_LIST_CTRL_H
#define PORTIVA_WINDOW_CHECK_LIST_CTRL_H

#include <wx/dataview.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CheckListModel;

// A list whose rows carry a mark in column 0, over a virtual model, so that
// tens of thousands of rows cost one model reset instead of one toolkit row
// each. The marks' count and total size are kept as running totals. The
// derived list keeps its rows' contents in step with the marks.
class CheckListCtrl : public wxDataViewCtrl {
 public:
  struct ColumnSpec {
    enum Kind { kToggle, kBitmap, kText };
    const char* header;  // translated, except the toggle column's
    int width;           // fixed: an auto-sized column slows the toolkit down
    wxAlignment align;
    Kind kind;
  };

  ~CheckListCtrl() override;

  unsigned int GetItemCount() const;
  bool GetToggleValue(unsigned int row) const;
  // Announces the change, which raises the value-changed event.
  void SetToggleValue(bool value, unsigned int row);

  // Marks many rows at once: one repaint and no announcement per row, so
  // the caller refreshes the status hint once afterwards.
  void SetAllToggleValues(bool value);
  void InverseAllToggleValues();
  void SetToggleValues(const std::vector<unsigned int>& rows, bool value);

  unsigned int GetCheckedCount() const { return checked_count_; }
  uint64_t GetCheckedSize() const { return checked_size_; }

  unsigned int ItemToRow(const wxDataViewItem& item) const;
  wxDataViewItem RowToItem(unsigned int row) const;

  // Sets the column headers in the current language.
  void SetupString();
  // The column is at least this wide, whatever its header; keep makes it the
  // column's own least width, which a header can only widen.
  void SetColumnMinWidth(unsigned int index, int width, bool keep = true);

  // Rows appended or deleted while a batch is open reach the toolkit at
  // once, with one model reset, when it closes.
  class AppendBatch {
   public:
    explicit AppendBatch(CheckListCtrl* list);
    ~AppendBatch();
    AppendBatch(const AppendBatch&) = delete;
    AppendBatch& operator=(const AppendBatch&) = delete;

   private:
    CheckListCtrl* list_;
  };

  // Called after the user or the program changed one row's mark.
  std::function<void(unsigned int row, bool checked)> check_changed_;

 protected:
  CheckListCtrl(wxWindow* parent, wxWindowID id, const ColumnSpec* columns,
                size_t column_count);

  // The derived list has appended its row's contents; its mark follows.
  void AppendMark(bool checked);
  // The derived list has dropped its rows' contents.
  void ClearMarks();
  // Column 1 and up of an existing row.
  virtual void GetCell(wxVariant& value, unsigned int row, unsigned int column) const = 0;
  virtual uint64_t RowSize(unsigned int row) const = 0;

 private:
  friend class CheckListModel;
  bool StoreMark(unsigned int row, bool value);

  const ColumnSpec* columns_;
  std::vector<int> min_widths_;
  size_t column_count_;
  CheckListModel* model_;
  int batch_depth_;
  unsigned int checked_count_;
  uint64_t checked_size_;
};

#endif
