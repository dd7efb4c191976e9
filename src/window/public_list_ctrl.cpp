#include "window/public_list_ctrl.h"

#include <wx/intl.h>

#include <algorithm>
#include <utility>

namespace {

const char kCheckHeader[] = "\xe2\x88\x9a";  // the square-root sign

typedef CheckListCtrl::ColumnSpec Spec;
const Spec kColumns[PublicListCtrl::kColumnCount] = {
    {kCheckHeader, 50, wxALIGN_CENTER, Spec::kToggle},
    {wxTRANSLATE("Type"), 50, wxALIGN_CENTER, Spec::kBitmap},
    {wxTRANSLATE("Title"), 150, wxALIGN_LEFT, Spec::kText},
    {wxTRANSLATE("Time"), 60, wxALIGN_CENTER, Spec::kText},
    {wxTRANSLATE("Size"), 55, wxALIGN_CENTER, Spec::kText},
    {wxTRANSLATE("Genres"), 80, wxALIGN_LEFT, Spec::kText},
    {wxTRANSLATE("Artists"), 100, wxALIGN_LEFT, Spec::kText},
    {wxTRANSLATE("Albums"), 150, wxALIGN_LEFT, Spec::kText},
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

PublicListCtrl::PublicListCtrl(wxWindow* parent, wxWindowID id)
    : CheckListCtrl(parent, id, kColumns, kColumnCount) {
  // The size texts run to "1023.99MB": the column is as wide as that,
  // whatever the font, so that no size shows cut off.
  SetColumnMinWidth(kSizeColumn,
                    std::max(kColumns[kSizeColumn].width, GetTextExtent(kWidestSizeText).x + 12));
  SetupString();
}

// The toolkit may still ask for rows while the control goes: it finds none.
PublicListCtrl::~PublicListCtrl() { DeleteAllItems(); }

void PublicListCtrl::GetCell(wxVariant& value, unsigned int row,
                             unsigned int column) const {
  const PublicListViewCopyItem& item = *items_[row];
  if (column == kTypeColumn)
    value << item.icon;
  else
    value = TextOf(item, column);
}

uint64_t PublicListCtrl::RowSize(unsigned int row) const { return items_[row]->size; }

wxString PublicListCtrl::GetTextValue(unsigned int row, unsigned int column) const {
  if (row >= items_.size()) return wxString();
  return TextOf(*items_[row], column);
}

wxBitmap PublicListCtrl::GetIcon(unsigned int row) const {
  if (row >= items_.size()) return wxBitmap();
  return items_[row]->icon;
}

const PublicListViewData& PublicListCtrl::GetRowData(unsigned int row) const {
  return *items_[row];
}

const PublicListViewCopyItem& PublicListCtrl::GetRowItem(unsigned int row) const {
  return *items_[row];
}

void PublicListCtrl::AppendItem(PublicListViewCopyItemPtr item) {
  if (!item) return;
  const bool checked = item->checked;
  items_.push_back(std::move(item));
  AppendMark(checked);
}

void PublicListCtrl::DeleteAllItems() {
  items_.clear();
  ClearMarks();
}

void PublicListCtrl::AppendSnapshotRows(const PublicListViewCopy& copy,
                                        const std::vector<size_t>& positions) {
  AppendBatch batch(this);
  items_.reserve(items_.size() + positions.size());
  for (size_t position : positions)
    if (position < copy.GetCount()) AppendItem(copy.Shared(position));
}

PublicListViewCopyItemPtr PublicListCtrl::SnapshotItem(unsigned int row) const {
  if (row >= items_.size()) return nullptr;
  const PublicListViewCopyItemPtr& item = items_[row];
  const bool checked = GetToggleValue(row);
  if (checked == item->checked) return item;
  PublicListViewCopyItemPtr copy = std::make_shared<PublicListViewCopyItem>(*item);
  copy->checked = checked;
  return copy;
}
