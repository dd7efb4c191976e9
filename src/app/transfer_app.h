#ifndef PORTIVA_APP_TRANSFER_APP_H
#define PORTIVA_APP_TRANSFER_APP_H

#include <wx/app.h>

#include "app/registry_slot.h"

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
class wxProgressDialog;
class wxMenu;

class TransferApp : public wxApp {
 public:
  TransferApp() {}
  ~TransferApp() override {}

  bool OnInit() override;

  // The window registry: non-owning, null until the window exists and
  // again once it is destroyed.
  RegistrySlot<TransferFrame> frame_;
  RegistrySlot<ToolBar> tool_bar_;
  RegistrySlot<ZLTitleBar> title_bar_;
  RegistrySlot<LeftPane> left_pane_;
  RegistrySlot<wxComboBox> device_combo_box_;
  RegistrySlot<wxButton> refresh_button_;
  RegistrySlot<wxTreeCtrl> navigation_tree_;
  RegistrySlot<RightPane> right_pane_;
  RegistrySlot<NoDeviceView> no_device_view_;
  RegistrySlot<DeviceInfoView> device_info_view_;
  RegistrySlot<DeviceContentView> device_content_view_;
  RegistrySlot<wxSplitterWindow> public_view_splitter_;
  RegistrySlot<wxPanel> filter_panel_;
  RegistrySlot<class FilterListCtrl> genre_filter_list_;
  RegistrySlot<class FilterListCtrl> artist_filter_list_;
  RegistrySlot<class FilterListCtrl> album_filter_list_;
  RegistrySlot<class PublicListCtrl> public_list_;
  RegistrySlot<class PictureListCtrl> camera_roll_list_view_;
  RegistrySlot<class PictureIconView> camera_roll_icon_view_;
  RegistrySlot<class PictureListCtrl> photo_list_view_;
  RegistrySlot<class PictureIconView> photo_icon_view_;
  RegistrySlot<StatusBar> status_bar_;
  RegistrySlot<wxProgressDialog> progress_dialog_;
  RegistrySlot<wxMenu> edit_menu_;

  // Start-up up to the main frame: handlers, options, shared state, face.
  bool InitBeforeFrame();

  // "Portiva" with every "+" turned into a blank.
  static wxString GetWindowTitle();
};

wxDECLARE_APP(TransferApp);

#endif
