// The tool bar's export requests, the export's progress dialog and its
// completion.
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/utils.h>

#include <memory>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/transfer_app.h"
#include "app/zl_string_helper.h"
#include "export/do_export_device_file.h"
#include "export/export_list.h"
#include "export/export_plan.h"
#include "export/tool_bar.h"
#include "settings/option_data.h"
#include "settings/option_dialog.h"
#include "window/device_content_view.h"
#include "window/public_list_ctrl.h"
#include "window/right_pane.h"
#include "window/transfer_frame.h"

namespace {

int ShowMessageBox(const wxString& text, long style) {
  return wxMessageBox(text, wxEmptyString, style, wxGetApp().frame_);
}

// The desktop's file manager, not waited for; a failure to start it is
// not reported.
void OpenInFileManager(const wxString& folder) {
  const wxScopedCharBuffer path = folder.utf8_str();
  const char* argv[] = {"xdg-open", path.data(), nullptr};
  wxExecute(argv, wxEXEC_ASYNC);
}

// Appends the current device's whole list of a category.
void AppendCurrentDeviceItems(ExportItemList* items, int code) {
  const CategoryInfo* category = FindCategory(code);
  if (!category) return;
  wxMutexLocker lock(AppData::current_device_list_lock_);
  if (const DeviceContext* context = CurrentDeviceContext(AppData::current_device_list_))
    AppendCategoryExportItems(items, code, context->*category->list_field);
}

// Fills the request from what the content view shows: checked rows or
// selected thumbnails, or every row when there are none and all_if_none
// is set. False when the view shows nothing that exports.
bool AppendShownItems(DeviceContentView* content, ExportCatalogInfo* request,
                      bool all_if_none) {
  ExportItemList& items = request->items;
  if (content->ZLIsShown(kContentMediaList)) {
    PublicListCtrl* list = content->public_list();
    if (!list) return false;
    if (list->GetItemCount() > 0) request->category = list->GetRowData(0).category;
    ToolBar::GetExportListFromPublicCheckedItem(&items, list);
    if (items.empty() && all_if_none) ToolBar::GetExportListFromPublicItem(&items, list);
    return true;
  }
  const struct {
    ContentSubView view;
    int category;
    bool thumbnails;
  } kPictureViews[] = {
      {kContentCameraRollIcons, kCategoryCameraRoll, true},
      {kContentCameraRollList, kCategoryCameraRoll, false},
      {kContentPhotoIcons, kCategoryPhotos, true},
      {kContentPhotoList, kCategoryPhotos, false},
  };
  for (const auto& shown : kPictureViews) {
    if (!content->ZLIsShown(shown.view)) continue;
    request->category = shown.category;
    const bool camera_roll = shown.category == kCategoryCameraRoll;
    if (shown.thumbnails) {
      PictureIconView* icons =
          camera_roll ? content->camera_roll_icon_view() : content->photo_icon_view();
      ToolBar::GetExportListFromPictureSelectedItem(&items, icons);
      if (items.empty() && all_if_none) ToolBar::GetExportListFromPictureItem(&items, icons);
    } else {
      PictureListCtrl* list =
          camera_roll ? content->camera_roll_list_view() : content->photo_list_view();
      ToolBar::GetExportListFromPictureCheckedItem(&items, list);
      if (items.empty() && all_if_none) ToolBar::GetExportListFromPictureItem(&items, list);
    }
    return true;
  }
  return false;
}

// Whether a hand-shake of the worker belongs to the export on screen.
bool ExportShowing(const wxThreadEvent& event) {
  wxMutexLocker lock(AppData::stop_export_device_file_lock_);
  return !ExportStopped(static_cast<uint64_t>(event.GetExtraLong())) &&
         wxGetApp().progress_dialog_ != nullptr;
}

void StopExport() {
  wxMutexLocker lock(AppData::stop_export_device_file_lock_);
  AppData::stop_export_device_file_ = true;
}

void CloseProgressDialog() {
  TransferApp& app = wxGetApp();
  // Destroyed at the next idle time, never deleted: this may run inside the
  // dialog's own event handling.
  if (wxProgressDialog* dialog = app.progress_dialog_) dialog->Destroy();
  app.progress_dialog_ = nullptr;
}

// Moves the dialog and stops the export when its Cancel button was pressed.
void UpdateProgressDialog(int value, const wxString& message) {
  wxProgressDialog* dialog = wxGetApp().progress_dialog_;
  if (!dialog) return;
  const bool go_on = dialog->Update(value, message);
  // The update's own event loop may have closed the dialog meanwhile.
  if (go_on || !wxGetApp().progress_dialog_) return;
  StopExport();
  CloseProgressDialog();
}

}  // namespace

std::function<int(const wxString&, long)> ToolBar::message_box_ = ShowMessageBox;
std::function<bool(wxString*)> ToolBar::choose_folder_ = ChooseExportFolder;
std::function<void(const wxString&)> ToolBar::open_folder_ = OpenInFileManager;

void ToolBar::OnExportButtonClicked(wxCommandEvent&) {
  TransferApp& app = wxGetApp();
  std::unique_ptr<ExportCatalogInfo> request(new ExportCatalogInfo);
  if (!app.right_pane_ || !app.right_pane_->ZLIsShown(kDeviceContentView)) {
    // No category open: all Music.
    request->category = kCategoryMusic;
    AppendCurrentDeviceItems(&request->items, kCategoryMusic);
  } else if (!app.device_content_view_ ||
             !AppendShownItems(app.device_content_view_, request.get(), true)) {
    return;
  }
  if (!request->items.empty()) ZLExportDeviceFileByCatalog(request.release());
}

void ToolBar::OnMenuExportChecked(wxCommandEvent&) {
  DeviceContentView* content = ShownContentView();
  if (!content) return;
  std::unique_ptr<ExportCatalogInfo> request(new ExportCatalogInfo);
  if (AppendShownItems(content, request.get(), false) && !request->items.empty())
    ZLExportDeviceFileByCatalog(request.release());
}

void ToolBar::OnMenuExportCatalog(wxCommandEvent& event) {
  const int code = event.GetId() - kFirstExportCatalogId + 1;
  const CategoryInfo* category = FindCategory(code);
  if (!category) return;
  std::unique_ptr<ExportCatalogInfo> request(new ExportCatalogInfo);
  request->category = code;
  if (code == category->group_code) {
    // A catalog or playlist of the navigation popup, which carries its node.
    const MenuItemData* data = dynamic_cast<const MenuItemData*>(event.GetEventUserData());
    if (!data) return;
    wxMutexLocker lock(AppData::current_device_list_lock_);
    AppendCategoryExportItems(&request->items, code, data->node);
  } else {
    AppendCurrentDeviceItems(&request->items, code);
  }
  if (!request->items.empty()) ZLExportDeviceFileByCatalog(request.release());
}

void ToolBar::OnMenuOpenDefaultFolder(wxCommandEvent& event) {
  const CategoryInfo* category = FindCategoryByOpenFolderId(event.GetId());
  if (!category) return;
  const wxString folder = ExportFolderForCategory(category->code);
  // The file manager shows an empty folder rather than an error.
  EnsureFolder(folder);
  open_folder_(folder);
}

void ToolBar::ZLExportDeviceFileByCatalog(ExportCatalogInfo* request_in) {
  std::unique_ptr<ExportCatalogInfo> request(request_in);
  if (!request || request->items.empty()) return;
  TransferApp& app = wxGetApp();
  wxString folder = ExportFolderForCategory(request->category);
  if (folder.empty()) return;
  if (OptionData::data_.select_folder && !choose_folder_(&folder)) return;
  if (!EnsureFolder(folder)) {
    message_box_(wxString::Format(_("The export folder %s could not be created."), folder),
                 wxOK | wxICON_ERROR);
    return;
  }

  // Two lines of room: the item's text and the overall progress.
  wxProgressDialog* dialog =
      new wxProgressDialog(_("Export"), wxString(' ', 80) + "\n ", 10000, app.frame_,
                           wxPD_CAN_ABORT | wxPD_APP_MODAL | wxPD_SMOOTH);
  dialog->Bind(wxEVT_CLOSE_WINDOW, &ToolBar::OnProgressDialogClose, this);
  // The dialog fits itself to a longer message again: 500 pixels stay its
  // least width.
  dialog->SetMinSize(wxSize(500, -1));
  dialog->SetSize(wxSize(500, dialog->GetSize().y));
  dialog->Centre(wxBOTH);
  dialog->Show();
  app.progress_dialog_ = dialog;
  export_text_.clear();
  progress_value_ = 0;
  progress_done_ = progress_total_ = 0;
  message_changed_ = false;
  export_clock_.Start();
  progress_shown_ms_ = overall_shown_ms_ = -1000;
  if (!progress_timer_.GetOwner()) {
    progress_timer_.SetOwner(this);
    Bind(wxEVT_TIMER, &ToolBar::OnProgressTimer, this, progress_timer_.GetId());
  }

  uint64_t generation;
  {
    wxMutexLocker lock(AppData::stop_export_device_file_lock_);
    AppData::stop_export_device_file_ = false;
    generation = ++AppData::export_generation_;
  }
  request->export_folder = folder;
  DoExportDeviceFile* worker = new DoExportDeviceFile(request.release(), generation, &app.tool_bar_);
  if (worker->Run() != wxTHREAD_NO_ERROR) {
    delete worker;
    CloseProgressDialog();
  }
}

void ToolBar::ShowProgress() {
  if (export_clock_.Time() - progress_shown_ms_ >= kProgressIntervalMs)
    FlushProgress();
  else if (!progress_timer_.IsRunning())
    progress_timer_.StartOnce(kProgressIntervalMs);
}

void ToolBar::FlushProgress() {
  if (!wxGetApp().progress_dialog_) return;
  const long now = export_clock_.Time();
  progress_shown_ms_ = now;
  // The overall line a few times a second, so that the speed reads calmly.
  if (now - overall_shown_ms_ >= 250 || progress_done_ >= progress_total_) {
    overall_shown_ms_ = now;
    message_changed_ = true;
  }
  wxString message;
  if (message_changed_)
    message = export_text_ + "\n" + ExportOverallText(progress_done_, progress_total_, now);
  message_changed_ = false;
  UpdateProgressDialog(progress_value_, message);
}

void ToolBar::OnProgressTimer(wxTimerEvent&) { FlushProgress(); }

void ToolBar::OnUpdateCurrentExportFile(wxThreadEvent& event) {
  HandshakeReply reply(AppData::update_current_export_file_lock_,
                       AppData::update_current_export_file_cond_, event);
  if (!ExportShowing(event)) return;
  // One line of bounded length: a long or many-line title must not stretch
  // the dialog off the screen.
  export_text_ = ZLStringHelper::MakeOneLine(event.GetString(), 100);
  message_changed_ = true;
  ShowProgress();
}

void ToolBar::OnUpdateProgressStep(wxThreadEvent& event) {
  HandshakeReply reply(AppData::update_current_progress_step_lock_,
                       AppData::update_current_progress_step_cond_, event);
  if (!ExportShowing(event)) return;
  progress_value_ = ShownProgressValue(event.GetInt());
  const ExportProgress progress = event.GetPayload<ExportProgress>();
  progress_done_ = progress.done;
  progress_total_ = progress.total;
  ShowProgress();
}

void ToolBar::OnProgressDialogClose(wxCloseEvent&) {
  wxMutexLocker lock(AppData::stop_export_device_file_lock_);
  AppData::stop_export_device_file_ = true;
  CloseProgressDialog();
}

void ToolBar::OnExportComplete(wxThreadEvent& event) {
  HandshakeReply reply(AppData::export_complete_lock_, AppData::export_complete_cond_, event);
  CloseProgressDialog();
  {
    wxMutexLocker lock(AppData::stop_export_device_file_lock_);
    if (ExportStopped(static_cast<uint64_t>(event.GetExtraLong()))) return;
  }
  const ExportReport* report = event.GetPayload<ExportReport*>();
  if (!report) return;
  const bool complete = report->failures.empty() && report->exported == report->total;
  const bool ask = OptionData::data_.show_finished;
  if (complete && !ask) return;
  const long style = ask ? wxYES_NO : wxOK;
  const int answer =
      message_box_(ExportReportText(*report, ask), style | (complete ? 0 : wxICON_WARNING));
  if (ask && answer == wxYES) open_folder_(event.GetString());
}
