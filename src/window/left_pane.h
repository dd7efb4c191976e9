#ifndef PORTIVA_WINDOW_LEFT_PANE_H
#define PORTIVA_WINDOW_LEFT_PANE_H

#include <wx/clntdata.h>
#include <wx/treectrl.h>

#include <memory>
#include <vector>

#include "app/category_table.h"
#include "device/device_context.h"
#include "window/theme_panel.h"

class wxBitmap;
class wxButton;
class wxComboBox;
class wxImageList;
class wxMenu;
class FilterListCtrl;
class PictureIconView;
class PictureListCtrl;
struct PictureCategory;
struct PictureIconViewData;
class PublicListCtrl;
class PublicListViewCopy;

// Client data of one device selection entry: the device's record as the
// detection left it, and its slot in the current device list.
class SelectionComboBoxData : public wxClientData {
 public:
  SelectionComboBoxData(const DeviceContext& context, int index)
      : context_(context), index_(index) {}
  const DeviceContext& context() const { return context_; }
  int index() const { return index_; }

 private:
  DeviceContext context_;
  int32_t index_;
};

// Data of a navigation tree item; the node is not owned.
class NavigationTreeCtrlData : public wxTreeItemData {
 public:
  NavigationTreeCtrlData(int32_t count, int32_t category, plist_t node)
      : count(count), category(category), node(node) {}
  int32_t count;
  int32_t category;
  plist_t node;
};

// The navigation pane: device selection box, "Refresh" and the tree.
class LeftPane : public ThemePanel {
 public:
  // Takes ownership of the background, which may be null.
  LeftPane(wxBitmap* background, wxWindow* parent, wxWindowID id,
           const wxPoint& pos, const wxSize& size);
  ~LeftPane() override;

  void SetupString();
  void SetupTreeItem();
  void ChangeLanguage();

  // Starts a detection on a worker thread (GUI thread).
  void ZLDetectDevice();
  // Whether a detection runs now.
  bool detecting() const { return detecting_; }

  void OnRefreshButtonClicked(wxCommandEvent& event);
  void OnDetectDeviceCompleted(wxThreadEvent& event);
  void OnSelectionComboBoxSelected(wxCommandEvent& event);
  void OnNavigationTreeCtrlChanged(wxTreeEvent& event);
  void OnNavigationTreeCtrlRightClick(wxTreeEvent& event);
  // The thumbnail loaders' hand-shakes: choosing the next picture and
  // showing a loaded one.
  void OnGetLoadCameraRollPictureInfo(wxThreadEvent& event);
  void OnUpdateCameraRollIconView(wxThreadEvent& event);
  void OnGetLoadPhotoPictureInfo(wxThreadEvent& event);
  void OnUpdatePhotoIconView(wxThreadEvent& event);

  // A new popup menu for a tree entry of this category code; the caller
  // deletes it. Empty for the device entry and unknown codes.
  static wxMenu* CreateNavigationPopupMenu(int category, plist_t node);

  // The fill family: each appends the rows of one record node to the media
  // list, in stored order, without clearing it first. A node of the wrong
  // shape appends nothing.
  static void FillWithMusicList(PublicListCtrl* list, plist_t node);
  static void FillWithMovieList(PublicListCtrl* list, plist_t node);
  static void FillWithTVShowList(PublicListCtrl* list, plist_t node);
  static void FillWithPodcastList(PublicListCtrl* list, plist_t node);
  static void FillWithAudiobookList(PublicListCtrl* list, plist_t node);
  static void FillWithBookList(PublicListCtrl* list, plist_t node);
  static void FillWithSubBookList(PublicListCtrl* list, plist_t node);
  static void FillWithRingtoneList(PublicListCtrl* list, plist_t node);
  static void FillWithPlaylistList(PublicListCtrl* list, plist_t node);
  static void FillWithSubPlaylistList(PublicListCtrl* list, plist_t node);
  static void FillWithVoiceMemoList(PublicListCtrl* list, plist_t node);
  // The fill operation of a category code 1 to 11; other codes append
  // nothing.
  static void FillPublicListView(PublicListCtrl* list, int category, plist_t node);
  // Append one unmarked row per picture of a list node, in stored order.
  static void FillWithCameraRollList(PictureListCtrl* list, plist_t node);
  static void FillWithPhotoList(PictureListCtrl* list, plist_t node);
  // Appends one placeholder per picture of a list node; the data is owned
  // by the caller's vector.
  static void FillWithPictureList(PictureIconView* view, plist_t node,
                                  std::vector<std::unique_ptr<PictureIconViewData>>* data);
  // Whether every thumbnail is shown (also with none).
  static bool IsAllPictureShow(PictureIconView* view);
  // The first item at or after start whose thumbnail is not shown, -1 when
  // start is negative or there is none. Thumbnails dropped to bound memory
  // count only when dropped ones are asked for.
  static long GetFirstInvisibleItem(PictureIconView* view, long start,
                                    bool dropped_too = true);
  // Appends "(All)" and the distinct texts of the media list's column, in
  // the order of their first occurrence.
  static void FillFilterListView(FilterListCtrl* filter, PublicListCtrl* list,
                                 unsigned int column);
  // Appends one snapshot item per row of the list.
  static void SaveToPublicListViewCopy(PublicListCtrl* list,
                                       PublicListViewCopy* copy);

  wxComboBox* device_combo_box() const { return device_combo_box_; }
  wxButton* refresh_button() const { return refresh_button_; }
  wxTreeCtrl* navigation_tree() const { return navigation_tree_; }
  // The entry of kCategories[index], invalid while the device has no list
  // for it.
  wxTreeItemId category_item(size_t index) const {
    return index < kCategoryCount ? category_items_[index] : wxTreeItemId();
  }

  // Shows warnings through this function, so tests can see them instead
  // of a modal box.
  static void (*show_warning_)(const wxString& text);
  // Shows a tree entry's popup menu at the pointer; tests see it here
  // instead of a modal menu.
  static void (*show_popup_menu_)(wxWindow* window, wxMenu* menu);
  // Told of every thumbnail a loader finished, in order; tests watch it.
  static void (*picture_shown_)(const PictureCategory& category, long item, bool loaded);

 private:
  void SetControlsEnabled(bool enable);
  // Device names show in one line, shortened to the width of the selection
  // box and of the tree, and whole in a tooltip.
  void FitDeviceNames();
  void FitRootLabel();
  void OnNavigationTreeCtrlGetToolTip(wxTreeEvent& event);
  void OnNavigationTreeRightDown(wxMouseEvent& event);
  // Refills the media list and its snapshot for a category code 1 to 11
  // and shows it.
  void ShowMediaList(int code, plist_t node);
  void AppendCategory(size_t index, const DeviceContext& context,
                      const wxTreeItemId& root);
  // Refills the picture views of the device's picture categories and
  // starts their thumbnail loaders.
  void FillPictureViews(const DeviceContext& context);
  void OnGetLoadPictureInfo(const PictureCategory& category, wxThreadEvent& event);
  void OnUpdatePictureIconView(const PictureCategory& category, wxThreadEvent& event);
  PictureIconView* IconView(const PictureCategory& category) const;

  wxComboBox* device_combo_box_;
  wxButton* refresh_button_;
  wxTreeCtrl* navigation_tree_;
  wxImageList* image_list_;
  wxTreeItemId category_items_[kCategoryCount];
  // The thumbnail items' data of Camera Roll and Photos.
  std::vector<std::unique_ptr<PictureIconViewData>> picture_data_[2];
  bool detecting_;
  bool tree_change_seen_;
  // The tree root's whole label.
  wxString root_label_;

  wxDECLARE_EVENT_TABLE();
};

#endif
