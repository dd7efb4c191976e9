#include "window/filter_list_ctrl.h"

class FilterListModel : public wxDataViewVirtualListModel {
 public:
  FilterListModel() : wxDataViewVirtualListModel(0) {}

  unsigned int GetColumnCount() const override { return 1; }
  wxString GetColumnType(unsigned int) const override { return "string"; }
  void GetValueByRow(wxVariant& value, unsigned int row,
                     unsigned int column) const override {
    if (row < texts_.size() && column == 0) value = texts_[row];
  }
  bool SetValueByRow(const wxVariant&, unsigned int, unsigned int) override {
    return false;
  }

  std::vector<wxString> texts_;
};

FilterListCtrl::FilterListCtrl(wxWindow* parent, wxWindowID id, int column_width)
    : wxDataViewCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                     wxDV_ROW_LINES | wxDV_SINGLE),
      model_(new FilterListModel) {
  AssociateModel(model_);
  model_->DecRef();  // the control holds it now
  // A fixed width keeps the toolkit's list in its fixed-height mode.
  AppendTextColumn(wxString(), 0, wxDATAVIEW_CELL_INERT, column_width,
                   wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE);
}

FilterListCtrl::~FilterListCtrl() {}

unsigned int FilterListCtrl::GetItemCount() const {
  return static_cast<unsigned int>(model_->texts_.size());
}

wxString FilterListCtrl::GetTextValue(unsigned int row, unsigned int column) const {
  if (row >= model_->texts_.size() || column != 0) return wxString();
  return model_->texts_[row];
}

void FilterListCtrl::AppendItem(const wxString& text) {
  model_->texts_.push_back(text);
  model_->RowAppended();
}

void FilterListCtrl::AppendItems(const std::vector<wxString>& texts) {
  model_->texts_.insert(model_->texts_.end(), texts.begin(), texts.end());
  model_->Reset(static_cast<unsigned int>(model_->texts_.size()));
}

void FilterListCtrl::DeleteAllItems() {
  model_->texts_.clear();
  model_->Reset(0);
}

int FilterListCtrl::GetSelectedRow() const {
  wxDataViewItem item = GetSelection();
  if (!item.IsOk()) return wxNOT_FOUND;
  const unsigned int row = model_->GetRow(item);
  return row < model_->texts_.size() ? static_cast<int>(row) : wxNOT_FOUND;
}

void FilterListCtrl::SelectRow(unsigned int row) {
  if (row < model_->texts_.size()) Select(model_->GetItem(row));
}

wxDataViewItem FilterListCtrl::RowToItem(unsigned int row) const {
  return model_->GetItem(row);
}
