#include "window/device_content_view.h"

#include <wx/bitmap.h>
#include <wx/dataview.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/splitter.h>

#include "app/transfer_app.h"
#include "window/public_list_ctrl.h"

namespace {

const double kSashFraction = 0.4;
const int kFilterColumnWidth = 150;

struct FilterSpec {
  int id;
  const char* header;
};
const FilterSpec kFilters[] = {
    {kGenreFilterListId, wxTRANSLATE("Genres")},
    {kArtistFilterListId, wxTRANSLATE("Artists")},
    {kAlbumFilterListId, wxTRANSLATE("Albums")},
};

wxDataViewListCtrl* NewFilterList(wxWindow* parent, int id) {
  wxDataViewListCtrl* list = new wxDataViewListCtrl(
      parent, id, wxDefaultPosition, wxDefaultSize, wxDV_ROW_LINES | wxDV_SINGLE);
  list->AppendTextColumn(wxString(), wxDATAVIEW_CELL_INERT, kFilterColumnWidth,
                         wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE);
  return list;
}

}  // namespace

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
  wxDataViewListCtrl** filters[] = {&genre_filter_list_, &artist_filter_list_,
                                    &album_filter_list_};
  for (size_t i = 0; i < 3; ++i) {
    *filters[i] = NewFilterList(filter_panel_, kFilters[i].id);
    grid->Add(*filters[i], 1, wxEXPAND);
  }
  app.genre_filter_list_ = genre_filter_list_;
  app.artist_filter_list_ = artist_filter_list_;
  app.album_filter_list_ = album_filter_list_;

  public_list_ = new PublicListCtrl(splitter, kPublicListId);
  app.public_list_ = public_list_;
  public_list_->Bind(wxEVT_DATAVIEW_ITEM_CONTEXT_MENU,
                     &DeviceContentView::OnPublicItemContextMenu, this);
  // The Edit menu's commands reach the tool bar through the list; their
  // handlers arrive with the check-mark commands.

  splitter->SplitHorizontally(filter_panel_, public_list_);
  splitter->SetSashGravity(kSashFraction);
  splitter->SetMinimumPaneSize(1);
  return splitter;
}

void DeviceContentView::SetupString() {
  wxDataViewListCtrl* filters[] = {genre_filter_list_, artist_filter_list_,
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

// The filter view and the selection marking plug in here.
void DeviceContentView::OnFilterSelectionChanged(wxDataViewEvent& event) {
  event.Skip();
}

void DeviceContentView::OnPublicSelectionChanged(wxDataViewEvent& event) {
  event.Skip();
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
