#ifndef PORTIVA_APP_TRANSFER_APP_H
#define PORTIVA_APP_TRANSFER_APP_H

#include <wx/app.h>

class TransferFrame;
class ToolBar;
class ZLTitleBar;
class LeftPane;
class RightPane;
class NoDeviceView;
class DeviceInfoView;
class DeviceContentView;
class StatusBar;
class wxComboBox;
class wxButton;
class wxTreeCtrl;
class wxSplitterWindow;
class wxPanel;
class wxDataViewListCtrl;
class wxListView;
class wxProgressDialog;
class wxMenu;

class TransferApp : public wxApp {
 public:
  TransferApp() {}
  ~TransferApp() override {}

  bool OnInit() override;

  // The window registry: non-owning, null until the window exists.
  TransferFrame* frame_ = nullptr;
  ToolBar* tool_bar_ = nullptr;
  ZLTitleBar* title_bar_ = nullptr;
  LeftPane* left_pane_ = nullptr;
  wxComboBox* device_combo_box_ = nullptr;
  wxButton* refresh_button_ = nullptr;
  wxTreeCtrl* navigation_tree_ = nullptr;
  RightPane* right_pane_ = nullptr;
  NoDeviceView* no_device_view_ = nullptr;
  DeviceInfoView* device_info_view_ = nullptr;
  DeviceContentView* device_content_view_ = nullptr;
  wxSplitterWindow* public_view_splitter_ = nullptr;
  wxPanel* filter_panel_ = nullptr;
  wxDataViewListCtrl* genre_filter_list_ = nullptr;
  wxDataViewListCtrl* artist_filter_list_ = nullptr;
  wxDataViewListCtrl* album_filter_list_ = nullptr;
  wxDataViewListCtrl* public_list_ = nullptr;
  wxDataViewListCtrl* camera_roll_list_view_ = nullptr;
  wxListView* camera_roll_icon_view_ = nullptr;
  wxDataViewListCtrl* photo_list_view_ = nullptr;
  wxListView* photo_icon_view_ = nullptr;
  StatusBar* status_bar_ = nullptr;
  wxProgressDialog* progress_dialog_ = nullptr;
  wxMenu* edit_menu_ = nullptr;

  // Start-up up to the main frame: handlers, options, shared state, face.
  bool InitBeforeFrame();

  // "Portiva" with every "+" turned into a blank.
  static wxString GetWindowTitle();
};

wxDECLARE_APP(TransferApp);

#endif
