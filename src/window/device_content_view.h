#ifndef PORTIVA_WINDOW_DEVICE_CONTENT_VIEW_H
#define PORTIVA_WINDOW_DEVICE_CONTENT_VIEW_H

#include "window/theme_panel.h"

class wxBitmap;
class wxDataViewEvent;
class wxDataViewListCtrl;
class wxListView;
class wxSplitterWindow;
class PublicListCtrl;

// The content view's sub-views.
enum ContentSubView {
  kContentMediaList = 0,  // the media list with its filters
  kContentCameraRollIcons = 1,
  kContentCameraRollList = 2,
  kContentPhotoIcons = 3,
  kContentPhotoList = 4,
};

// Window ids of the filter lists and the media list.
enum ContentViewId {
  kGenreFilterListId = 301,
  kArtistFilterListId = 302,
  kAlbumFilterListId = 303,
  kPublicListId = 304,
};

// The content view of the right pane. It shows one of its five sub-views.
class DeviceContentView : public ThemePanel {
 public:
  // Takes ownership of the background.
  DeviceContentView(wxBitmap* background, wxWindow* parent, wxWindowID id,
                    const wxPoint& pos, const wxSize& size);

  void ZLShowView(int view);
  bool ZLIsShown(int view) const;

  void SetupString();
  void ChangeLanguage();

  // The list and filter selection handlers; unbound while a category is
  // refilled so that refilling runs neither.
  void BindFilterSelectionChangedEvent();
  void UnBindFilterSelectionChangedEvent();
  void OnFilterSelectionChanged(wxDataViewEvent& event);
  void OnPublicSelectionChanged(wxDataViewEvent& event);
  void OnPublicItemContextMenu(wxDataViewEvent& event);

  wxSplitterWindow* public_view_splitter() const { return public_view_splitter_; }
  wxPanel* filter_panel() const { return filter_panel_; }
  wxDataViewListCtrl* genre_filter_list() const { return genre_filter_list_; }
  wxDataViewListCtrl* artist_filter_list() const { return artist_filter_list_; }
  wxDataViewListCtrl* album_filter_list() const { return album_filter_list_; }
  PublicListCtrl* public_list() const { return public_list_; }

  static const int kSubViewCount = 5;

 private:
  wxSplitterWindow* CreateMediaListView();

  wxSplitterWindow* public_view_splitter_;
  wxListView* camera_roll_icon_view_;
  wxDataViewListCtrl* camera_roll_list_view_;
  wxListView* photo_icon_view_;
  wxDataViewListCtrl* photo_list_view_;
  wxPanel* filter_panel_;
  wxDataViewListCtrl* genre_filter_list_;
  wxDataViewListCtrl* artist_filter_list_;
  wxDataViewListCtrl* album_filter_list_;
  PublicListCtrl* public_list_;
  wxWindow* sub_views_[kSubViewCount];
  bool selection_bound_;
};

#endif
