#include "window/left_pane.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/imaglist.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/my_event.h"
#include "app/trace.h"
#include "app/transfer_app.h"
#include "common/image_util.h"
#include "device/device_record.h"
#include "device/do_detect_device.h"
#include "export/tool_bar.h"
#include "window/device_info_view.h"
#include "window/right_pane.h"
#include "window/status_bar.h"

namespace {

const int kDeviceComboBoxId = 201;
const int kRefreshButtonId = 202;
const int kNavigationTreeId = 203;

// The device pictures head the image list, by device type; the
// categories' pictures follow in table order.
const char* const kDeviceTreeImages[] = {
    "image/client/navigation/ipad.png", "image/client/navigation/iphone.png",
    "image/client/navigation/ipod.png", "image/client/navigation/unknow.png",
};
static_assert(sizeof(kDeviceTreeImages) / sizeof(kDeviceTreeImages[0]) ==
                  kFirstCategoryTreeImage,
              "category pictures follow the device pictures");

void AddTreeImage(wxImageList* images, const char* path) {
  wxBitmap icon = ImageUtil::GetBitmapResource(path, wxBITMAP_TYPE_PNG);
  if (!icon.IsOk() || icon.GetWidth() != 16 || icon.GetHeight() != 16)
    icon = wxBitmap(16, 16);
  images->Add(icon);
}

void ShowWarningBox(const wxString& text) {
  wxMessageBox(text, _("Warn!"), wxOK | wxCENTRE, nullptr);
}

}  // namespace

void (*LeftPane::show_warning_)(const wxString& text) = ShowWarningBox;

wxBEGIN_EVENT_TABLE(LeftPane, wxPanel)
  EVT_BUTTON(kRefreshButtonId, LeftPane::OnRefreshButtonClicked)
  EVT_THREAD(kThreadDetectDeviceCompleted, LeftPane::OnDetectDeviceCompleted)
  EVT_COMBOBOX(kDeviceComboBoxId, LeftPane::OnSelectionComboBoxSelected)
  EVT_TREE_SEL_CHANGED(kNavigationTreeId, LeftPane::OnNavigationTreeCtrlChanged)
wxEND_EVENT_TABLE()

LeftPane::LeftPane(wxBitmap* background, wxWindow* parent, wxWindowID id,
                   const wxPoint& pos, const wxSize& size)
    : ThemePanel(background, parent, id, pos, size),
      detecting_(false),
      tree_change_seen_(false) {

  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
  device_combo_box_ =
      new wxComboBox(this, kDeviceComboBoxId, wxEmptyString, wxDefaultPosition,
                     wxDefaultSize, 0, nullptr, wxCB_READONLY);
  row->Add(device_combo_box_, 1, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  refresh_button_ = new wxButton(this, kRefreshButtonId, wxEmptyString);
  row->Add(refresh_button_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 5);
  sizer->Add(row, 0, wxEXPAND | wxTOP | wxBOTTOM, 10);

  navigation_tree_ =
      new wxTreeCtrl(this, kNavigationTreeId, wxDefaultPosition, wxDefaultSize,
                     wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_SINGLE);
  image_list_ = new wxImageList(16, 16, true);
  for (const char* path : kDeviceTreeImages) AddTreeImage(image_list_, path);
  for (const CategoryInfo& category : kCategories)
    AddTreeImage(image_list_, category.tree_image);
  navigation_tree_->AssignImageList(image_list_);
  sizer->Add(navigation_tree_, 1, wxEXPAND | wxLEFT, 2);
  sizer->AddSpacer(5);

  TransferApp& app = wxGetApp();
  app.device_combo_box_ = device_combo_box_;
  app.refresh_button_ = refresh_button_;
  app.navigation_tree_ = navigation_tree_;
  SetupString();
}


void LeftPane::SetupString() {
  refresh_button_->SetLabel(_("Refresh"));
  SetupTreeItem();
  Layout();
}

void LeftPane::SetupTreeItem() {}

void LeftPane::ChangeLanguage() {
  SetupString();
  Refresh(false);
}

void LeftPane::SetControlsEnabled(bool enable) {
  refresh_button_->Enable(enable);
  ToolBar* tool_bar = wxGetApp().tool_bar_;
  if (!tool_bar) return;
  if (enable)
    tool_bar->ZLEnableAllButton();
  else
    tool_bar->ZLDisableAllButton();
  tool_bar->ZLEnableAllMenuItem(enable);
  if (enable)
    tool_bar->ZLEnableSearchEntry();
  else
    tool_bar->ZLDisableSearchEntry();
}

void LeftPane::ZLDetectDevice() {
  TransferApp& app = wxGetApp();
  SetControlsEnabled(false);
  if (app.right_pane_) app.right_pane_->ZLShowView(kNoDeviceView);
  if (app.status_bar_) app.status_bar_->SetStatusText(_("Detecting ..."));
  navigation_tree_->DeleteAllItems();
  if (device_combo_box_->GetCount() > 0) device_combo_box_->Clear();

  DoDetectDevice* worker = new DoDetectDevice;
  if (worker->Create() != wxTHREAD_NO_ERROR || worker->Run() != wxTHREAD_NO_ERROR) {
    // A detached thread that never ran is still ours to delete.
    delete worker;
    SetControlsEnabled(true);
    if (app.status_bar_) app.status_bar_->SetStatusText(wxEmptyString);
    return;
  }
  detecting_ = true;
}

void LeftPane::OnRefreshButtonClicked(wxCommandEvent&) { ZLDetectDevice(); }

void LeftPane::OnDetectDeviceCompleted(wxThreadEvent& event) {
  detecting_ = false;
  if (!event.GetString().empty()) show_warning_(event.GetString());

  {
    wxMutexLocker lock(AppData::current_device_list_lock_);
    const CurrentDeviceList& list = AppData::current_device_list_;
    for (int i = 0; i < list.device_count; ++i) {
      const DeviceContext& context = list.device_contexts[i];
      if (context.valid)
        device_combo_box_->Append(context.name,
                                  new SelectionComboBoxData(context, i));
    }
  }

  if (device_combo_box_->GetCount() > 0) {
    device_combo_box_->SetSelection(0);
    wxCommandEvent select(wxEVT_COMBOBOX, kDeviceComboBoxId);
    select.SetEventObject(device_combo_box_);
    select.SetInt(0);
    ProcessWindowEvent(select);
  }
  TransferApp& app = wxGetApp();
  if (app.status_bar_) app.status_bar_->SetStatusText(wxEmptyString);
  SetControlsEnabled(true);
}

void LeftPane::OnSelectionComboBoxSelected(wxCommandEvent& event) {
  BumpPictureGenerations();
  int selection = event.GetInt();
  if (selection < 0 || selection >= static_cast<int>(device_combo_box_->GetCount()))
    return;
  SelectionComboBoxData* data = static_cast<SelectionComboBoxData*>(
      device_combo_box_->GetClientObject(selection));
  if (!data) return;
  {
    wxMutexLocker lock(AppData::current_device_list_lock_);
    AppData::current_device_list_.current_index = data->index();
  }

  navigation_tree_->DeleteAllItems();
  const DeviceContext& context = data->context();
  int type = DeviceInfoView::GetDeviceType(context.info);
  wxTreeItemId root = navigation_tree_->AddRoot(
      context.name, type, type,
      new NavigationTreeCtrlData(0, kCategoryDevice, context.info));
  navigation_tree_->ExpandAll();
  tree_change_seen_ = false;
  navigation_tree_->SelectItem(root);
  // The toolkit does not always report a selection made by the program.
  if (!tree_change_seen_) {
    wxTreeEvent changed(wxEVT_TREE_SEL_CHANGED, navigation_tree_, root);
    ProcessWindowEvent(changed);
  }
  SetupTreeItem();
}

void LeftPane::OnNavigationTreeCtrlChanged(wxTreeEvent& event) {
  Trace("Entry LeftPane::OnNavigationTreeCtrlChanged()");
  tree_change_seen_ = true;
  wxTreeItemId item = event.GetItem();
  TransferApp& app = wxGetApp();
  if (item.IsOk()) {
    NavigationTreeCtrlData* data =
        static_cast<NavigationTreeCtrlData*>(navigation_tree_->GetItemData(item));
    if (data && data->category == kCategoryDevice) {
      if (app.device_info_view_) app.device_info_view_->UpdateDeviceInfo(data->node);
      if (app.right_pane_) app.right_pane_->ZLShowView(kDeviceInfoView);
    }
  }
  Trace("Leave LeftPane::OnNavigationTreeCtrlChanged()");
}
