#include "window/check_list_ctrl.h"

#include <algorithm>

#include <wx/intl.h>

#include "window/base/gtk/zl_renderer_size.h"

class CheckListModel : public wxDataViewVirtualListModel {
 public:
  explicit CheckListModel(CheckListCtrl* owner)
      : wxDataViewVirtualListModel(0), owner_(owner) {}

  unsigned int GetColumnCount() const override {
    return static_cast<unsigned int>(owner_->column_count_);
  }
  wxString GetColumnType(unsigned int column) const override {
    if (column >= owner_->column_count_) return "string";
    switch (owner_->columns_[column].kind) {
      case CheckListCtrl::ColumnSpec::kToggle: return "bool";
      case CheckListCtrl::ColumnSpec::kBitmap: return "wxBitmap";
      case CheckListCtrl::ColumnSpec::kText: break;
    }
    return "string";
  }

  void GetValueByRow(wxVariant& value, unsigned int row,
                     unsigned int column) const override {
    if (row >= marks_.size()) return;
    if (column == 0)
      value = marks_[row] != 0;
    else
      owner_->GetCell(value, row, column);
  }

  bool SetValueByRow(const wxVariant& value, unsigned int row,
                     unsigned int column) override {
    if (row >= marks_.size() || column != 0) return false;
    owner_->StoreMark(row, value.GetBool());
    if (owner_->check_changed_) owner_->check_changed_(row, marks_[row] != 0);
    return true;
  }

  std::vector<char> marks_;

 private:
  CheckListCtrl* owner_;
};

CheckListCtrl::CheckListCtrl(wxWindow* parent, wxWindowID id,
                             const ColumnSpec* columns, size_t column_count)
    : wxDataViewCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                     wxDV_MULTIPLE | wxDV_ROW_LINES),
      columns_(columns),
      column_count_(column_count),
      model_(new CheckListModel(this)),
      batch_depth_(0),
      checked_count_(0),
      checked_size_(0) {
  AssociateModel(model_);
  model_->DecRef();  // the control holds it now

  const int flags = wxDATAVIEW_COL_RESIZABLE;  // and never sortable
  for (unsigned int i = 0; i < column_count_; ++i) {
    const ColumnSpec& spec = columns_[i];
    wxDataViewRenderer* renderer = nullptr;
    wxString header;
    switch (spec.kind) {
      case ColumnSpec::kToggle:
        renderer = new wxDataViewToggleRenderer("bool", wxDATAVIEW_CELL_ACTIVATABLE,
                                                spec.align);
        header = wxString::FromUTF8(spec.header);
        break;
      case ColumnSpec::kBitmap:
        renderer = new wxDataViewBitmapRenderer("wxBitmap", wxDATAVIEW_CELL_INERT,
                                                spec.align);
        break;
      case ColumnSpec::kText:
        renderer = new wxDataViewTextRenderer("string", wxDATAVIEW_CELL_INERT,
                                              spec.align | wxALIGN_CENTER_VERTICAL);
        break;
    }
    AppendColumn(new wxDataViewColumn(header, renderer, i, spec.width,
                                      wxALIGN_CENTER, flags));
    min_widths_.push_back(spec.width);
  }
  SetupString();
}

CheckListCtrl::~CheckListCtrl() {}

void CheckListCtrl::SetupString() {
  for (unsigned int i = 0; i < column_count_; ++i)
    if (columns_[i].kind != ColumnSpec::kToggle)
      if (wxDataViewColumn* column = GetColumn(i)) {
        const wxString title = wxGetTranslation(columns_[i].header);
        column->SetTitle(title);
        // A longer header in another language widens its column, with the
        // padding of a header cell.
        SetColumnMinWidth(i, std::max(min_widths_[i], GetTextExtent(title).x + 14), false);
      }
}

void CheckListCtrl::SetColumnMinWidth(unsigned int index, int width, bool keep) {
  if (index >= column_count_) return;
  if (keep) min_widths_[index] = width;
  if (wxDataViewColumn* column = GetColumn(index)) column->SetWidth(width);
}

unsigned int CheckListCtrl::GetItemCount() const {
  return static_cast<unsigned int>(model_->marks_.size());
}

bool CheckListCtrl::GetToggleValue(unsigned int row) const {
  return row < model_->marks_.size() && model_->marks_[row];
}

bool CheckListCtrl::StoreMark(unsigned int row, bool value) {
  char& mark = model_->marks_[row];
  if ((mark != 0) == value) return false;
  mark = value;
  if (value) {
    ++checked_count_;
    checked_size_ += RowSize(row);
  } else {
    --checked_count_;
    checked_size_ -= RowSize(row);
  }
  return true;
}

void CheckListCtrl::SetToggleValue(bool value, unsigned int row) {
  if (row >= model_->marks_.size()) return;
  StoreMark(row, value);
  model_->RowValueChanged(row, 0);
  if (check_changed_) check_changed_(row, value);
}

void CheckListCtrl::SetAllToggleValues(bool value) {
  const unsigned int rows = GetItemCount();
  for (unsigned int row = 0; row < rows; ++row) StoreMark(row, value);
  // Refreshing the control itself would leave the drawn rows as they were.
  ZLRedrawRows(this);
}

void CheckListCtrl::InverseAllToggleValues() {
  const unsigned int rows = GetItemCount();
  for (unsigned int row = 0; row < rows; ++row) StoreMark(row, !model_->marks_[row]);
  ZLRedrawRows(this);
}

void CheckListCtrl::SetToggleValues(const std::vector<unsigned int>& rows, bool value) {
  for (unsigned int row : rows)
    if (row < model_->marks_.size()) StoreMark(row, value);
  ZLRedrawRows(this);
}

unsigned int CheckListCtrl::ItemToRow(const wxDataViewItem& item) const {
  return model_->GetRow(item);
}

wxDataViewItem CheckListCtrl::RowToItem(unsigned int row) const {
  return model_->GetItem(row);
}

void CheckListCtrl::AppendMark(bool checked) {
  model_->marks_.push_back(0);
  const unsigned int row = GetItemCount() - 1;
  if (checked) StoreMark(row, true);
  if (batch_depth_ == 0) model_->RowAppended();
}

void CheckListCtrl::ClearMarks() {
  model_->marks_.clear();
  checked_count_ = 0;
  checked_size_ = 0;
  if (batch_depth_ == 0) model_->Reset(0);
}

CheckListCtrl::AppendBatch::AppendBatch(CheckListCtrl* list) : list_(list) {
  ++list_->batch_depth_;
}

CheckListCtrl::AppendBatch::~AppendBatch() {
  if (--list_->batch_depth_ == 0) list_->model_->Reset(list_->GetItemCount());
}
