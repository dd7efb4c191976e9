#include "window/device_content_view.h"

#include <wx/bitmap.h>
#include <wx/dataview.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/splitter.h>

#include "app/app_data.h"
#include "app/trace.h"
#include "app/transfer_app.h"
#include "export/tool_bar.h"
#include "window/base/gtk/zl_renderer_size.h"
#include "window/filter_list_ctrl.h"
#include "window/public_list_ctrl.h"

namespace {

const double kSashFraction = 0.4;
const int kFilterColumnWidth = 150;

struct FilterSpec {
  int id;
  const char* header;
  FilterField field;
};
const FilterSpec kFilters[] = {
    {kGenreFilterListId, wxTRANSLATE("Genres"), FilterField::kGenre},
    {kArtistFilterListId, wxTRANSLATE("Artists"), FilterField::kArtist},
    {kAlbumFilterListId, wxTRANSLATE("Albums"), FilterField::kAlbum},
};

const FilterSpec* FindFilter(int id) {
  for (const FilterSpec& filter : kFilters)
    if (filter.id == id) return &filter;
  return nullptr;
}

// The status hint follows the media list's marks once the tool bar exists.
void RefreshPublicHint(PublicListCtrl* list) {
  if (ToolBar* tool_bar = wxGetApp().tool_bar_)
    tool_bar->ZLSetStatusHintWhenPublicCheck(list);
}

}  // namespace

wxBEGIN_EVENT_TABLE(DeviceContentView, ThemePanel)
  EVT_DATAVIEW_ITEM_VALUE_CHANGED(kPublicListId, DeviceContentView::OnPublicValueChanged)
  EVT_DATAVIEW_COLUMN_HEADER_CLICK(kPublicListId,
                                   DeviceContentView::OnPublicColumnHeaderClicked)
wxEND_EVENT_TABLE()

DeviceContentView::DeviceContentView(wxBitmap* background, wxWindow* parent,
                                     wxWindowID id, const wxPoint& pos,
                                     const wxSize& size)
    : ThemePanel(background, parent, id, pos, size), selection_bound_(false) {
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  TransferApp& app = wxGetApp();

  public_view_splitter_ = CreateMediaListView();
  app.public_view_splitter_ = public_view_splitter_;
  // The picture views are filled by the thumbnail loaders.
  camera_roll_icon_view_ = new wxListView(this, wxID_ANY, wxDefaultPosition,
                                          wxDefaultSize, wxLC_ICON);
  app.camera_roll_icon_view_ = camera_roll_icon_view_;
  camera_roll_list_view_ = new wxDataViewListCtrl(this, wxID_ANY);
  app.camera_roll_list_view_ = camera_roll_list_view_;
  photo_icon_view_ = new wxListView(this, wxID_ANY, wxDefaultPosition,
                                    wxDefaultSize, wxLC_ICON);
  app.photo_icon_view_ = photo_icon_view_;
  photo_list_view_ = new wxDataViewListCtrl(this, wxID_ANY);
  app.photo_list_view_ = photo_list_view_;

  wxWindow* views[kSubViewCount] = {public_view_splitter_, camera_roll_icon_view_,
                                    camera_roll_list_view_, photo_icon_view_,
                                    photo_list_view_};
  for (int i = 0; i < kSubViewCount; ++i) {
    sub_views_[i] = views[i];
    sizer->Add(views[i], 1, wxEXPAND);
    views[i]->Hide();
  }

  BindFilterSelectionChangedEvent();
  SetupString();
}

wxSplitterWindow* DeviceContentView::CreateMediaListView() {
  TransferApp& app = wxGetApp();
  wxSplitterWindow* splitter =
      new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                           wxSP_3D, "splitter");
  filter_panel_ = new wxPanel(splitter, wxID_ANY, wxDefaultPosition,
                              wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE);
  wxGridSizer* grid = new wxGridSizer(1, 3, 0, 0);
  filter_panel_->SetSizer(grid);
  app.filter_panel_ = filter_panel_;
  FilterListCtrl** filters[] = {&genre_filter_list_, &artist_filter_list_,
                                    &album_filter_list_};
  for (size_t i = 0; i < 3; ++i) {
    *filters[i] = new FilterListCtrl(filter_panel_, kFilters[i].id, kFilterColumnWidth);
    grid->Add(*filters[i], 1, wxEXPAND);
  }
  app.genre_filter_list_ = genre_filter_list_;
  app.artist_filter_list_ = artist_filter_list_;
  app.album_filter_list_ = album_filter_list_;

  public_list_ = new PublicListCtrl(splitter, kPublicListId);
  app.public_list_ = public_list_;
  public_list_->Bind(wxEVT_DATAVIEW_ITEM_CONTEXT_MENU,
                     &DeviceContentView::OnPublicItemContextMenu, this);
  // The Edit menu popped up over the list sends its commands to the list;
  // the tool bar carries them out, as from the menu bar.
  public_list_->Bind(wxEVT_MENU, [](wxCommandEvent& event) {
    ToolBar* tool_bar = wxGetApp().tool_bar_;
    if (!tool_bar || !tool_bar->GetEventHandler()->ProcessEvent(event)) event.Skip();
  }, kExportCheckedId, kClearCheckedId);

  splitter->SplitHorizontally(filter_panel_, public_list_);
  splitter->SetSashGravity(kSashFraction);
  splitter->SetMinimumPaneSize(1);
  return splitter;
}

void DeviceContentView::SetupString() {
  FilterListCtrl* filters[] = {genre_filter_list_, artist_filter_list_,
                               album_filter_list_};
  for (size_t i = 0; i < 3; ++i)
    if (wxDataViewColumn* column = filters[i]->GetColumn(0))
      column->SetTitle(wxGetTranslation(kFilters[i].header));
  public_list_->SetupString();
  const char* const picture_headers[] = {wxTRANSLATE("Type"), wxTRANSLATE("Title"),
                                         wxTRANSLATE("Time"), wxTRANSLATE("Size")};
  for (wxDataViewListCtrl* list : {camera_roll_list_view_, photo_list_view_})
    for (unsigned int i = 0; i < 4; ++i)
      if (wxDataViewColumn* column = list->GetColumn(i + 1))
        column->SetTitle(wxGetTranslation(picture_headers[i]));
}

void DeviceContentView::ChangeLanguage() {
  SetupString();
  Refresh(true);
  Update();
}

void DeviceContentView::BindFilterSelectionChangedEvent() {
  if (selection_bound_) return;
  selection_bound_ = true;
  Bind(wxEVT_DATAVIEW_SELECTION_CHANGED,
       &DeviceContentView::OnPublicSelectionChanged, this, kPublicListId);
  for (const FilterSpec& filter : kFilters)
    Bind(wxEVT_DATAVIEW_SELECTION_CHANGED,
         &DeviceContentView::OnFilterSelectionChanged, this, filter.id);
}

void DeviceContentView::UnBindFilterSelectionChangedEvent() {
  if (!selection_bound_) return;
  selection_bound_ = false;
  Unbind(wxEVT_DATAVIEW_SELECTION_CHANGED,
         &DeviceContentView::OnPublicSelectionChanged, this, kPublicListId);
  for (const FilterSpec& filter : kFilters)
    Unbind(wxEVT_DATAVIEW_SELECTION_CHANGED,
           &DeviceContentView::OnFilterSelectionChanged, this, filter.id);
}

void DeviceContentView::OnFilterSelectionChanged(wxDataViewEvent& event) {
  Trace("Enter DeviceContentView::OnFilterSelectionChanged");
  FilterListCtrl* filter = dynamic_cast<FilterListCtrl*>(event.GetEventObject());
  const int row = filter ? filter->GetSelectedRow() : wxNOT_FOUND;
  if (row != wxNOT_FOUND && public_list_) {
    const wxString text = filter->GetTextValue(row);
    {
      PublicListCtrl::AppendBatch batch(public_list_);
      public_list_->DeleteAllItems();
      FillPublicListViewAfterFilter(public_list_, AppData::public_list_view_copy_,
                                    text, filter->GetId());
    }
    // The rebuilt rows are unmarked: the hint must not count the old marks.
    RefreshPublicHint(public_list_);
  }
  Trace("Leave DeviceContentView::OnFilterSelectionChanged");
}

void DeviceContentView::FillPublicListViewAfterFilter(PublicListCtrl* list,
                                                      const PublicListViewCopy& copy,
                                                      const wxString& text,
                                                      int filter_id) {
  const FilterSpec* filter = FindFilter(filter_id);
  if (!list || !filter) return;
  list->AppendSnapshotRows(copy, FilterPublicListViewCopy(copy, filter->field, text));
}

void DeviceContentView::OnPublicSelectionChanged(wxDataViewEvent& event) {
  Trace("Entry DeviceContentView::OnPublicSelectionChanged()");
  event.Skip();
  wxDataViewItemArray selected;
  public_list_->GetSelections(selected);
  if (selected.size() == 1) {
    // A click on the check box toggles the mark by itself.
    if (!ZLHitTest(public_list_, selected[0], public_list_->GetColumn(0)))
      public_list_->SetToggleValue(true, public_list_->ItemToRow(selected[0]));
    return;
  }
  if (selected.empty()) return;
  std::vector<unsigned int> rows;
  rows.reserve(selected.size());
  for (const wxDataViewItem& item : selected) rows.push_back(public_list_->ItemToRow(item));
  public_list_->SetToggleValues(rows, true);
  RefreshPublicHint(public_list_);
}

void DeviceContentView::OnPublicValueChanged(wxDataViewEvent& event) {
  event.Skip();
  if (event.GetColumn() == PublicListCtrl::kCheckColumn) RefreshPublicHint(public_list_);
}

bool DeviceContentView::public_header_clear_ = false;
bool DeviceContentView::picture_header_clear_ = false;

void DeviceContentView::OnPublicColumnHeaderClicked(wxDataViewEvent& event) {
  if (event.GetColumn() != PublicListCtrl::kCheckColumn) return;
  public_header_clear_ = !public_header_clear_;
  ZLCheckAll(public_list_, 0, public_header_clear_);
}

void DeviceContentView::ZLCheckAll(wxDataViewCtrl* list, int column, bool value) {
  if (!list) return;
  if (PublicListCtrl* media = dynamic_cast<PublicListCtrl*>(list)) {
    if (column != PublicListCtrl::kCheckColumn) return;
    media->SetAllToggleValues(value);
    RefreshPublicHint(media);
    return;
  }
  if (wxDataViewListCtrl* rows = dynamic_cast<wxDataViewListCtrl*>(list)) {
    const int count = rows->GetItemCount();
    for (int row = 0; row < count; ++row) rows->SetToggleValue(value, row, column);
  }
}

void DeviceContentView::ZLInverseChecked(wxDataViewCtrl* list, int column) {
  if (!list) return;
  if (PublicListCtrl* media = dynamic_cast<PublicListCtrl*>(list)) {
    if (column != PublicListCtrl::kCheckColumn) return;
    media->InverseAllToggleValues();
    RefreshPublicHint(media);
    return;
  }
  if (wxDataViewListCtrl* rows = dynamic_cast<wxDataViewListCtrl*>(list)) {
    const int count = rows->GetItemCount();
    for (int row = 0; row < count; ++row)
      rows->SetToggleValue(!rows->GetToggleValue(row, column), row, column);
  }
}

bool DeviceContentView::ZLHitTest(wxDataViewCtrl* list, const wxDataViewItem& item,
                                  wxDataViewColumn* column) {
  if (!list || !item.IsOk() || !column) return false;
  const wxPoint mouse = list->GetMainWindow()->ScreenToClient(wxGetMousePosition());
  const wxRect cell = list->GetItemRect(item, column);
  const wxSize box = ZLRendererSize(list, column->GetRenderer());
  const wxRect check(cell.x + (cell.width - box.x) / 2,
                     cell.y + (cell.height - box.y) / 2, box.x, box.y);
  return check.Contains(mouse);
}

void DeviceContentView::OnPublicItemContextMenu(wxDataViewEvent& event) {
  wxMenu* edit_menu = wxGetApp().edit_menu_;
  if (edit_menu) public_list_->PopupMenu(edit_menu, event.GetPosition());
}

void DeviceContentView::ZLShowView(int view) {
  for (int i = 0; i < kSubViewCount; ++i) sub_views_[i]->Hide();
  if (view >= 0 && view < kSubViewCount) sub_views_[view]->Show();
  Layout();
  if (view == kContentMediaList && public_view_splitter_->IsSplit()) {
    public_view_splitter_->SetSashPosition(
        static_cast<int>(public_view_splitter_->GetSize().y * kSashFraction));
    public_view_splitter_->Refresh();
  }
}

bool DeviceContentView::ZLIsShown(int view) const {
  return view >= 0 && view < kSubViewCount && sub_views_[view]->IsShown();
}
