#include "window/public_list_ctrl.h"

#include <wx/intl.h>

#include <algorithm>
#include <utility>

#include "window/base/gtk/zl_renderer_size.h"

namespace {

const char kCheckHeader[] = "\xe2\x88\x9a";  // the square-root sign

struct ColumnSpec {
  const char* header;  // translated, except the check column's
  int width;
  wxAlignment align;
};

// Fixed widths keep the toolkit's list in its fixed-height mode.
const ColumnSpec kColumns[PublicListCtrl::kColumnCount] = {
    {kCheckHeader, 50, wxALIGN_CENTER},
    {wxTRANSLATE("Type"), 50, wxALIGN_CENTER},
    {wxTRANSLATE("Title"), 150, wxALIGN_LEFT},
    {wxTRANSLATE("Time"), 60, wxALIGN_CENTER},
    {wxTRANSLATE("Size"), 55, wxALIGN_CENTER},
    {wxTRANSLATE("Genres"), 80, wxALIGN_LEFT},
    {wxTRANSLATE("Artists"), 100, wxALIGN_LEFT},
    {wxTRANSLATE("Albums"), 150, wxALIGN_LEFT},
};

wxString TextOf(const PublicListViewCopyItem& item, unsigned int column) {
  switch (column) {
    case PublicListCtrl::kTitleColumn: return item.title;
    case PublicListCtrl::kTimeColumn: return item.TimeText();
    case PublicListCtrl::kSizeColumn: return item.SizeText();
    case PublicListCtrl::kGenreColumn: return item.genre;
    case PublicListCtrl::kArtistColumn: return item.artist;
    case PublicListCtrl::kAlbumColumn: return item.album;
    default: return wxString();
  }
}

}  // namespace

const char PublicListCtrl::kWidestSizeText[] = "1023.99MB";

class PublicListModel : public wxDataViewVirtualListModel {
 public:
  struct Row {
    PublicListViewCopyItemPtr item;
    bool checked;
  };

  explicit PublicListModel(PublicListCtrl* owner)
      : wxDataViewVirtualListModel(0), owner_(owner) {}

  unsigned int GetColumnCount() const override {
    return PublicListCtrl::kColumnCount;
  }
  wxString GetColumnType(unsigned int column) const override {
    if (column == PublicListCtrl::kCheckColumn) return "bool";
    if (column == PublicListCtrl::kTypeColumn) return "wxBitmap";
    return "string";
  }

  void GetValueByRow(wxVariant& value, unsigned int row,
                     unsigned int column) const override {
    if (row >= rows_.size()) return;
    const Row& r = rows_[row];
    if (column == PublicListCtrl::kCheckColumn)
      value = r.checked;
    else if (column == PublicListCtrl::kTypeColumn)
      value << r.item->icon;
    else
      value = TextOf(*r.item, column);
  }

  bool SetValueByRow(const wxVariant& value, unsigned int row,
                     unsigned int column) override {
    if (row >= rows_.size() || column != PublicListCtrl::kCheckColumn)
      return false;
    owner_->StoreMark(row, value.GetBool());
    if (owner_->check_changed_) owner_->check_changed_(row, rows_[row].checked);
    return true;
  }

  std::vector<Row> rows_;

 private:
  PublicListCtrl* owner_;
};

PublicListCtrl::PublicListCtrl(wxWindow* parent, wxWindowID id)
    : wxDataViewCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                     wxDV_MULTIPLE | wxDV_ROW_LINES),
      model_(new PublicListModel(this)),
      batch_depth_(0),
      checked_count_(0),
      checked_size_(0) {
  AssociateModel(model_);
  model_->DecRef();  // the control holds it now

  const int flags = wxDATAVIEW_COL_RESIZABLE;  // and never sortable
  AppendColumn(new wxDataViewColumn(
      wxString::FromUTF8(kColumns[0].header),
      new wxDataViewToggleRenderer("bool", wxDATAVIEW_CELL_ACTIVATABLE,
                                   kColumns[0].align),
      kCheckColumn, kColumns[0].width, wxALIGN_CENTER, flags));
  AppendColumn(new wxDataViewColumn(
      wxString(),
      new wxDataViewBitmapRenderer("wxBitmap", wxDATAVIEW_CELL_INERT,
                                   kColumns[1].align),
      kTypeColumn, kColumns[1].width, wxALIGN_CENTER, flags));
  for (unsigned int column = kTitleColumn; column < kColumnCount; ++column) {
    wxDataViewTextRenderer* renderer = new wxDataViewTextRenderer(
        "string", wxDATAVIEW_CELL_INERT,
        kColumns[column].align | wxALIGN_CENTER_VERTICAL);
    // The size texts run to "1023.99MB": the column is as wide as that,
    // whatever the font, so that no size shows cut off.
    const int width =
        column == kSizeColumn
            ? std::max(kColumns[column].width, GetTextExtent(kWidestSizeText).x + 12)
            : kColumns[column].width;
    AppendColumn(new wxDataViewColumn(wxString(), renderer, column, width,
                                      wxALIGN_CENTER, flags));
  }
  SetupString();
}

PublicListCtrl::~PublicListCtrl() {}

void PublicListCtrl::SetupString() {
  for (unsigned int column = kTypeColumn; column < kColumnCount; ++column)
    if (wxDataViewColumn* header = GetColumn(column))
      header->SetTitle(wxGetTranslation(kColumns[column].header));
}

unsigned int PublicListCtrl::GetItemCount() const {
  return static_cast<unsigned int>(model_->rows_.size());
}

bool PublicListCtrl::GetToggleValue(unsigned int row) const {
  return row < model_->rows_.size() && model_->rows_[row].checked;
}

bool PublicListCtrl::StoreMark(unsigned int row, bool value) {
  PublicListModel::Row& r = model_->rows_[row];
  if (r.checked == value) return false;
  r.checked = value;
  if (value) {
    ++checked_count_;
    checked_size_ += r.item->size;
  } else {
    --checked_count_;
    checked_size_ -= r.item->size;
  }
  return true;
}

void PublicListCtrl::SetToggleValue(bool value, unsigned int row) {
  if (row >= model_->rows_.size()) return;
  StoreMark(row, value);
  model_->RowValueChanged(row, kCheckColumn);
  if (check_changed_) check_changed_(row, value);
}

void PublicListCtrl::SetAllToggleValues(bool value) {
  for (PublicListModel::Row& r : model_->rows_) r.checked = value;
  checked_count_ = 0;
  checked_size_ = 0;
  if (value) {
    checked_count_ = static_cast<unsigned int>(model_->rows_.size());
    for (const PublicListModel::Row& r : model_->rows_) checked_size_ += r.item->size;
  }
  ZLRedrawRows(this);
}

void PublicListCtrl::InverseAllToggleValues() {
  const unsigned int rows = GetItemCount();
  for (unsigned int row = 0; row < rows; ++row)
    StoreMark(row, !model_->rows_[row].checked);
  ZLRedrawRows(this);
}

void PublicListCtrl::SetToggleValues(const std::vector<unsigned int>& rows,
                                     bool value) {
  for (unsigned int row : rows)
    if (row < model_->rows_.size()) StoreMark(row, value);
  ZLRedrawRows(this);
}

unsigned int PublicListCtrl::ItemToRow(const wxDataViewItem& item) const {
  return model_->GetRow(item);
}

wxDataViewItem PublicListCtrl::RowToItem(unsigned int row) const {
  return model_->GetItem(row);
}

wxString PublicListCtrl::GetTextValue(unsigned int row, unsigned int column) const {
  if (row >= model_->rows_.size()) return wxString();
  return TextOf(*model_->rows_[row].item, column);
}

wxBitmap PublicListCtrl::GetIcon(unsigned int row) const {
  if (row >= model_->rows_.size()) return wxBitmap();
  return model_->rows_[row].item->icon;
}

const PublicListViewData& PublicListCtrl::GetRowData(unsigned int row) const {
  return *model_->rows_[row].item;
}

void PublicListCtrl::AppendItem(PublicListViewCopyItemPtr item) {
  if (!item) return;
  const bool checked = item->checked;
  if (checked) {
    ++checked_count_;
    checked_size_ += item->size;
  }
  model_->rows_.push_back({std::move(item), checked});
  if (batch_depth_ == 0) model_->RowAppended();
}

void PublicListCtrl::DeleteAllItems() {
  model_->rows_.clear();
  checked_count_ = 0;
  checked_size_ = 0;
  if (batch_depth_ == 0) model_->Reset(0);
}

void PublicListCtrl::AppendSnapshotRows(const PublicListViewCopy& copy,
                                        const std::vector<size_t>& positions) {
  AppendBatch batch(this);
  model_->rows_.reserve(model_->rows_.size() + positions.size());
  for (size_t position : positions)
    if (position < copy.GetCount()) AppendItem(copy.Shared(position));
}

const PublicListViewCopyItem& PublicListCtrl::GetRowItem(unsigned int row) const {
  return *model_->rows_[row].item;
}

PublicListViewCopyItemPtr PublicListCtrl::SnapshotItem(unsigned int row) const {
  if (row >= model_->rows_.size()) return nullptr;
  const PublicListModel::Row& r = model_->rows_[row];
  if (r.checked == r.item->checked) return r.item;
  PublicListViewCopyItemPtr copy = std::make_shared<PublicListViewCopyItem>(*r.item);
  copy->checked = r.checked;
  return copy;
}

PublicListCtrl::AppendBatch::AppendBatch(PublicListCtrl* list) : list_(list) {
  ++list_->batch_depth_;
}

PublicListCtrl::AppendBatch::~AppendBatch() {
  if (--list_->batch_depth_ == 0)
    list_->model_->Reset(static_cast<unsigned int>(list_->model_->rows_.size()));
}
