#ifndef PORTIVA_WINDOW_DEVICE_CONTENT_VIEW_H
#define PORTIVA_WINDOW_DEVICE_CONTENT_VIEW_H

#include <wx/dataview.h>

#include "window/theme_panel.h"

class PublicListViewCopy;
class wxBitmap;
class wxListEvent;
class wxSplitterWindow;
class FilterListCtrl;
class PictureIconView;
class PictureListCtrl;
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
  kCameraRollIconViewId = 305,
  kCameraRollListViewId = 306,
  kPhotoIconViewId = 307,
  kPhotoListViewId = 308,
};

// The content view of the right pane. It shows one of its five sub-views.
class DeviceContentView : public ThemePanel {
 public:
  // Takes ownership of the background.
  DeviceContentView(wxBitmap* background, wxWindow* parent, wxWindowID id,
                    const wxPoint& pos, const wxSize& size);

  void ZLShowView(int view);
  bool ZLIsShown(int view) const;
  // Shows the filter lists above the media list again, the sash at its
  // share of the height; nothing when they are shown.
  void SplitFilterView();

  void SetupString();
  void ChangeLanguage();

  // The list and filter selection handlers; unbound while a category is
  // refilled so that refilling runs neither.
  void BindFilterSelectionChangedEvent();
  void UnBindFilterSelectionChangedEvent();
  void OnFilterSelectionChanged(wxDataViewEvent& event);
  void OnPublicSelectionChanged(wxDataViewEvent& event);
  void OnPublicItemContextMenu(wxDataViewEvent& event);
  void OnPublicValueChanged(wxDataViewEvent& event);
  void OnPublicColumnHeaderClicked(wxDataViewEvent& event);
  void OnPictureSelectionChanged(wxDataViewEvent& event);
  void OnPictureValueChanged(wxDataViewEvent& event);
  void OnPictureColumnHeaderClicked(wxDataViewEvent& event);
  void OnPictureItemContextMenu(wxDataViewEvent& event);
  void OnPictureIconItemSelected(wxListEvent& event);
  void OnPictureIconItemDeselected(wxListEvent& event);
  void OnPictureIconItemRightClick(wxListEvent& event);

  // Appends the snapshot items whose field (by the filter list's id 301,
  // 302 or 303) equals the chosen text in any case; "(All)" appends all.
  static void FillPublicListViewAfterFilter(PublicListCtrl* list,
                                            const PublicListViewCopy& copy,
                                            const wxString& text, int filter_id);

  // Sets or inverts the boolean cell of the column in every row; the
  // media list does so in bulk and the status hint follows once.
  static void ZLCheckAll(wxDataViewCtrl* list, int column, bool value);
  static void ZLInverseChecked(wxDataViewCtrl* list, int column);
  // Whether the mouse pointer is now inside the check box of the row's
  // cell in the column.
  static bool ZLHitTest(wxDataViewCtrl* list, const wxDataViewItem& item,
                        wxDataViewColumn* column);

  wxSplitterWindow* public_view_splitter() const { return public_view_splitter_; }
  wxPanel* filter_panel() const { return filter_panel_; }
  FilterListCtrl* genre_filter_list() const { return genre_filter_list_; }
  FilterListCtrl* artist_filter_list() const { return artist_filter_list_; }
  FilterListCtrl* album_filter_list() const { return album_filter_list_; }
  PictureIconView* camera_roll_icon_view() const { return camera_roll_icon_view_; }
  PictureListCtrl* camera_roll_list_view() const { return camera_roll_list_view_; }
  PictureIconView* photo_icon_view() const { return photo_icon_view_; }
  PictureListCtrl* photo_list_view() const { return photo_list_view_; }

  // What the next click on the check column's header does: the media
  // list's flag, and the one the two picture lists share.
  static bool public_header_clear_;
  static bool picture_header_clear_;
  PublicListCtrl* public_list() const { return public_list_; }

  static const int kSubViewCount = 5;

 private:
  wxSplitterWindow* CreateMediaListView();
  PictureListCtrl* CreatePictureListView(int id, const char* icon);
  PictureIconView* CreatePictureIconView(int id);

  wxSplitterWindow* public_view_splitter_;
  PictureIconView* camera_roll_icon_view_;
  PictureListCtrl* camera_roll_list_view_;
  PictureIconView* photo_icon_view_;
  PictureListCtrl* photo_list_view_;
  wxPanel* filter_panel_;
  FilterListCtrl* genre_filter_list_;
  FilterListCtrl* artist_filter_list_;
  FilterListCtrl* album_filter_list_;
  PublicListCtrl* public_list_;
  wxWindow* sub_views_[kSubViewCount];
  bool selection_bound_;
  bool icon_hint_pending_;

  wxDECLARE_EVENT_TABLE();
};

#endif
