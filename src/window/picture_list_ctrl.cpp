#include "window/picture_list_ctrl.h"

#include <wx/intl.h>

#include <algorithm>

#include "app/zl_string_helper.h"
#include "window/public_list_ctrl.h"

namespace {

typedef CheckListCtrl::ColumnSpec Spec;
const Spec kColumns[PictureListCtrl::kColumnCount] = {
    {"\xe2\x88\x9a", 50, wxALIGN_CENTER, Spec::kToggle},
    {wxTRANSLATE("Type"), 50, wxALIGN_CENTER, Spec::kBitmap},
    {wxTRANSLATE("Title"), 80, wxALIGN_CENTER, Spec::kText},
    {wxTRANSLATE("Time"), 150, wxALIGN_CENTER, Spec::kText},
    {wxTRANSLATE("Size"), 80, wxALIGN_CENTER, Spec::kText},
};

}  // namespace

PictureListCtrl::PictureListCtrl(wxWindow* parent, wxWindowID id, const wxBitmap& icon)
    : CheckListCtrl(parent, id, kColumns, kColumnCount), icon_(icon) {
  // As the media list's: no size text shows cut off.
  SetColumnMinWidth(kSizeColumn,
                    std::max(kColumns[kSizeColumn].width,
                             GetTextExtent(PublicListCtrl::kWidestSizeText).x + 12));
  SetupString();
}

// The toolkit may still ask for rows while the control goes: it finds none.
PictureListCtrl::~PictureListCtrl() { DeleteAllItems(); }

void PictureListCtrl::AppendRow(const wxString& name, const wxString& time,
                                uint64_t size, const wxString& path) {
  rows_.push_back({{size, path}, name, time});
  AppendMark(false);
}

void PictureListCtrl::DeleteAllItems() {
  rows_.clear();
  ClearMarks();
}

wxString PictureListCtrl::GetTextValue(unsigned int row, unsigned int column) const {
  if (row >= rows_.size()) return wxString();
  const Row& r = rows_[row];
  switch (column) {
    case kTitleColumn: return r.name;
    case kTimeColumn: return r.time;
    case kSizeColumn: return ZLStringHelper::GetCapacityFromBytes(r.data.size);
    default: return wxString();
  }
}

const PictureListViewData& PictureListCtrl::GetRowData(unsigned int row) const {
  return rows_[row].data;
}

void PictureListCtrl::GetCell(wxVariant& value, unsigned int row,
                              unsigned int column) const {
  if (column == kTypeColumn)
    value << icon_;
  else
    value = GetTextValue(row, column);
}

uint64_t PictureListCtrl::RowSize(unsigned int row) const { return rows_[row].data.size; }
