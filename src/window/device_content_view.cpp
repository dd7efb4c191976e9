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
#include "common/image_util.h"
#include "window/filter_list_ctrl.h"
#include "window/picture_icon_view.h"
#include "window/picture_list_ctrl.h"
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

// The status hint follows a list's marks once the tool bar exists.
void RefreshHint(CheckListCtrl* list) {
  if (!wxGetApp().tool_bar_) return;
  if (PublicListCtrl* media = dynamic_cast<PublicListCtrl*>(list))
    ToolBar::ZLSetStatusHintWhenPublicCheck(media);
  else if (PictureListCtrl* pictures = dynamic_cast<PictureListCtrl*>(list))
    ToolBar::ZLSetStatusHintWhenPictureCheck(pictures);
}

// The Edit menu popped up over a list sends its commands to the list; the
// tool bar carries them out, as from the menu bar.
void ForwardEditCommands(wxWindow* list) {
  list->Bind(wxEVT_MENU, [](wxCommandEvent& event) {
    ToolBar* tool_bar = wxGetApp().tool_bar_;
    if (!tool_bar || !tool_bar->GetEventHandler()->ProcessEvent(event)) event.Skip();
  }, kExportCheckedId, kClearCheckedId);
}

// Selecting rows marks them. One selected row is marked unless the pointer
// is on its check box, whose click toggles the mark by itself; several are
// all marked. Selection never unmarks.
void MarkSelectedRows(CheckListCtrl* list) {
  wxDataViewItemArray selected;
  list->GetSelections(selected);
  if (selected.size() == 1) {
    if (!DeviceContentView::ZLHitTest(list, selected[0], list->GetColumn(0)))
      list->SetToggleValue(true, list->ItemToRow(selected[0]));
    return;
  }
  if (selected.empty()) return;
  std::vector<unsigned int> rows;
  rows.reserve(selected.size());
  for (const wxDataViewItem& item : selected) rows.push_back(list->ItemToRow(item));
  list->SetToggleValues(rows, true);
  RefreshHint(list);
}

// The header's check column toggles every row: the flag remembers whether
// the next click marks or clears.
void ToggleAllFromHeader(wxDataViewEvent& event, CheckListCtrl* list, bool* clear) {
  if (!list || event.GetColumn() != 0) return;
  *clear = !*clear;
  DeviceContentView::ZLCheckAll(list, 0, *clear);
}

}  // namespace

wxBEGIN_EVENT_TABLE(DeviceContentView, ThemePanel)
  EVT_DATAVIEW_ITEM_VALUE_CHANGED(kPublicListId, DeviceContentView::OnPublicValueChanged)
  EVT_DATAVIEW_COLUMN_HEADER_CLICK(kPublicListId,
                                   DeviceContentView::OnPublicColumnHeaderClicked)
  EVT_DATAVIEW_ITEM_VALUE_CHANGED(kCameraRollListViewId,
                                  DeviceContentView::OnPictureValueChanged)
  EVT_DATAVIEW_ITEM_VALUE_CHANGED(kPhotoListViewId, DeviceContentView::OnPictureValueChanged)
  EVT_DATAVIEW_COLUMN_HEADER_CLICK(kCameraRollListViewId,
                                   DeviceContentView::OnPictureColumnHeaderClicked)
  EVT_DATAVIEW_COLUMN_HEADER_CLICK(kPhotoListViewId,
                                   DeviceContentView::OnPictureColumnHeaderClicked)
  EVT_DATAVIEW_SELECTION_CHANGED(kCameraRollListViewId,
                                 DeviceContentView::OnPictureSelectionChanged)
  EVT_DATAVIEW_SELECTION_CHANGED(kPhotoListViewId, DeviceContentView::OnPictureSelectionChanged)
wxEND_EVENT_TABLE()

DeviceContentView::DeviceContentView(wxBitmap* background, wxWindow* parent,
                                     wxWindowID id, const wxPoint& pos,
                                     const wxSize& size)
    : ThemePanel(background, parent, id, pos, size),
      selection_bound_(false),
      icon_hint_pending_(false) {
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  TransferApp& app = wxGetApp();

  public_view_splitter_ = CreateMediaListView();
  app.public_view_splitter_ = public_view_splitter_;
  // The picture views are filled by the thumbnail loaders.
  camera_roll_icon_view_ = CreatePictureIconView(kCameraRollIconViewId);
  app.camera_roll_icon_view_ = camera_roll_icon_view_;
  camera_roll_list_view_ = CreatePictureListView(kCameraRollListViewId,
                                                 "image/client/navigation/camera_roll.png");
  app.camera_roll_list_view_ = camera_roll_list_view_;
  photo_icon_view_ = CreatePictureIconView(kPhotoIconViewId);
  app.photo_icon_view_ = photo_icon_view_;
  photo_list_view_ = CreatePictureListView(kPhotoListViewId,
                                           "image/client/navigation/photo.png");
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
  ForwardEditCommands(public_list_);

  splitter->SplitHorizontally(filter_panel_, public_list_);
  splitter->SetSashGravity(kSashFraction);
  splitter->SetMinimumPaneSize(1);
  return splitter;
}

PictureListCtrl* DeviceContentView::CreatePictureListView(int id, const char* icon) {
  PictureListCtrl* list = new PictureListCtrl(
      this, id, ImageUtil::GetBitmapResource(icon, wxBITMAP_TYPE_PNG));
  list->Bind(wxEVT_DATAVIEW_ITEM_CONTEXT_MENU,
             &DeviceContentView::OnPictureItemContextMenu, this);
  ForwardEditCommands(list);
  return list;
}

PictureIconView* DeviceContentView::CreatePictureIconView(int id) {
  // Thumbnails held at once: about 70 KB each with the toolkit's bitmap, so
  // a camera roll of any size stays near 100 MB.
  const size_t kMaxThumbnails = 1500;
  PictureIconView* view = new PictureIconView(this, id, kMaxThumbnails);
  view->Bind(wxEVT_LIST_ITEM_SELECTED, &DeviceContentView::OnPictureIconItemSelected, this);
  view->Bind(wxEVT_LIST_ITEM_DESELECTED, &DeviceContentView::OnPictureIconItemDeselected,
             this);
  view->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, &DeviceContentView::OnPictureIconItemRightClick,
             this);
  ForwardEditCommands(view);
  return view;
}

void DeviceContentView::OnPictureIconItemSelected(wxListEvent& event) {
  event.Skip();
  // One click can change the selection of thousands of thumbnails, one
  // event each: the hint is recomputed once, after them.
  PictureIconView* view = dynamic_cast<PictureIconView*>(event.GetEventObject());
  if (!view || icon_hint_pending_) return;
  icon_hint_pending_ = true;
  CallAfter([this, view] {
    icon_hint_pending_ = false;
    if (wxGetApp().tool_bar_) ToolBar::ZLSetStatusHintWhenPictureCheck(view);
  });
}

void DeviceContentView::OnPictureIconItemDeselected(wxListEvent& event) {
  OnPictureIconItemSelected(event);
}

void DeviceContentView::OnPictureIconItemRightClick(wxListEvent& event) {
  wxMenu* edit_menu = wxGetApp().edit_menu_;
  wxWindow* view = dynamic_cast<wxWindow*>(event.GetEventObject());
  if (edit_menu && view)
    view->PopupMenu(edit_menu, view->ScreenToClient(wxGetMousePosition()));
}

void DeviceContentView::SetupString() {
  FilterListCtrl* filters[] = {genre_filter_list_, artist_filter_list_,
                               album_filter_list_};
  for (size_t i = 0; i < 3; ++i)
    if (wxDataViewColumn* column = filters[i]->GetColumn(0))
      column->SetTitle(wxGetTranslation(kFilters[i].header));
  public_list_->SetupString();
  camera_roll_list_view_->SetupString();
  photo_list_view_->SetupString();
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
    RefreshHint(public_list_);
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
  MarkSelectedRows(public_list_);
}

void DeviceContentView::OnPictureSelectionChanged(wxDataViewEvent& event) {
  event.Skip();
  MarkSelectedRows(dynamic_cast<PictureListCtrl*>(event.GetEventObject()));
}

void DeviceContentView::OnPublicValueChanged(wxDataViewEvent& event) {
  event.Skip();
  if (event.GetColumn() == 0) RefreshHint(public_list_);
}

void DeviceContentView::OnPictureValueChanged(wxDataViewEvent& event) {
  event.Skip();
  if (event.GetColumn() == 0)
    RefreshHint(dynamic_cast<PictureListCtrl*>(event.GetEventObject()));
}

bool DeviceContentView::public_header_clear_ = false;
bool DeviceContentView::picture_header_clear_ = false;

void DeviceContentView::OnPublicColumnHeaderClicked(wxDataViewEvent& event) {
  ToggleAllFromHeader(event, public_list_, &public_header_clear_);
}

void DeviceContentView::OnPictureColumnHeaderClicked(wxDataViewEvent& event) {
  ToggleAllFromHeader(event, dynamic_cast<PictureListCtrl*>(event.GetEventObject()),
                      &picture_header_clear_);
}

void DeviceContentView::ZLCheckAll(wxDataViewCtrl* list, int column, bool value) {
  CheckListCtrl* rows = dynamic_cast<CheckListCtrl*>(list);
  if (!rows || column != 0) return;
  rows->SetAllToggleValues(value);
  RefreshHint(rows);
}

void DeviceContentView::ZLInverseChecked(wxDataViewCtrl* list, int column) {
  CheckListCtrl* rows = dynamic_cast<CheckListCtrl*>(list);
  if (!rows || column != 0) return;
  rows->InverseAllToggleValues();
  RefreshHint(rows);
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

void DeviceContentView::OnPictureItemContextMenu(wxDataViewEvent& event) {
  wxMenu* edit_menu = wxGetApp().edit_menu_;
  wxWindow* list = dynamic_cast<wxWindow*>(event.GetEventObject());
  if (edit_menu && list) list->PopupMenu(edit_menu, event.GetPosition());
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

void DeviceContentView::SplitFilterView() {
  wxSplitterWindow* splitter = public_view_splitter_;
  if (!splitter || splitter->IsSplit()) return;
  filter_panel_->Show();
  splitter->SplitHorizontally(filter_panel_, public_list_,
                              static_cast<int>(splitter->GetSize().y * kSashFraction));
  splitter->SetSashGravity(kSashFraction);
  splitter->SetMinimumPaneSize(1);
}

bool DeviceContentView::ZLIsShown(int view) const {
  return view >= 0 && view < kSubViewCount && sub_views_[view]->IsShown();
}
