#include "export/tool_bar.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/srchctrl.h>
#include <wx/utils.h>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/my_event.h"
#include "app/zl_app_path.h"
#include "app/transfer_app.h"
#include "app/zl_string_helper.h"
#include "common/domain_face.h"
#include "settings/domain_language.h"
#include "settings/domain_option.h"
#include "settings/option_dialog.h"
#include "common/image_util.h"
#include "export/export_list.h"
#include "window/base/about_dialog.h"
#include "window/base/dh_word_button.h"
#include "window/base/zl_button.h"
#include "window/base/zl_menu_bar.h"
#include "window/device_content_view.h"
#include "window/picture_icon_view.h"
#include "window/picture_list_ctrl.h"
#include "window/public_list_ctrl.h"
#include "window/right_pane.h"
#include "window/status_bar.h"
#include "window/transfer_frame.h"

namespace {

struct MenuEntry {
  int id;  // 0 for a separator
  const char* label;
  // Whether detection disables the entry while it runs.
  bool follows_detection;
};

const MenuEntry kEditEntries[] = {
    {kExportCheckedId, wxTRANSLATE("Export Checked"), true},
    {0, nullptr, false},
    {kCheckAllId, wxTRANSLATE("Check All"), true},
    {kInverseCheckedId, wxTRANSLATE("Inverse Checked"), true},
    {kClearCheckedId, wxTRANSLATE("Clear Checked"), true},
};

const MenuEntry kHelpEntries[] = {
    {kHelpId, wxTRANSLATE("Help"), false},
    {0, nullptr, false},
    {kSupportCenterId, wxTRANSLATE("Support Center"), false},
    {0, nullptr, false},
    {kCheckForUpdateId, wxTRANSLATE("Check for Update"), true},
    {0, nullptr, false},
    {wxID_ABOUT, wxTRANSLATE("About"), true},
};

// Language items: their own names, never translated.
const struct {
  int code;
  const char* name;
} kLanguages[] = {
    {46, "\xe4\xb8\xad\xe6\x96\x87\xe7\xae\x80\xe4\xbd\x93"},
    {47, "\xe4\xb8\xad\xe6\x96\x87\xe7\xb9\x81\xe4\xbd\x93"},
    {89, "Deutsch"},
    {58, "English"},
    {80, "Fran\xc3\xa7" "ais"},
    {110, "Italiano"},
    {112, "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"},
};

void AppendEntries(wxMenu* menu, const MenuEntry* entries, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (entries[i].id == 0)
      menu->AppendSeparator();
    else
      menu->Append(entries[i].id, wxGetTranslation(entries[i].label));
  }
}

template <size_t N>
void AppendEntries(wxMenu* menu, const MenuEntry (&entries)[N]) {
  AppendEntries(menu, entries, N);
}

// The File menu's "Export All" entries and the "Open Export Folder"
// submenu, one entry per category.
void AppendCategoryEntries(wxMenu* menu, int CategoryInfo::*id,
                           const char* CategoryInfo::*label) {
  for (const CategoryInfo& category : kCategories)
    menu->Append(category.*id, wxGetTranslation(category.*label));
}

template <size_t N>
void EnableEntries(wxMenu* menu, const MenuEntry (&entries)[N], bool enable) {
  if (!menu) return;
  for (const MenuEntry& entry : entries)
    if (entry.follows_detection && menu->FindItem(entry.id))
      menu->Enable(entry.id, enable);
}

}  // namespace

wxRect FitExportButtonCrop(const wxRect& crop, const wxSize& picture,
                           const wxFont& font) {
  wxRect fitted = crop;
  // Left cap, stretched middle and right cap each keep at least a pixel.
  if (crop.x < 1 || crop.width < 1 ||
      static_cast<long long>(crop.x) + crop.width > picture.x - 1) {
    fitted.x = std::max(1, picture.x / 3);
    fitted.width = std::max(1, picture.x / 3);
  }
  if (crop.y < 0 || crop.y >= picture.y) {
    wxMemoryDC dc;
    dc.SetFont(font);
    fitted.y = std::max(0, (picture.y - dc.GetTextExtent("Ag").y) / 2);
  }
  return fitted;
}

wxBEGIN_EVENT_TABLE(ToolBar, wxPanel)
  EVT_MENU(wxID_EXIT, ToolBar::OnMenuQuit)
  EVT_BUTTON(kExportButtonId, ToolBar::OnExportButtonClicked)
  EVT_MENU_RANGE(kFirstExportCatalogId, kLastExportCatalogId, ToolBar::OnMenuExportCatalog)
  EVT_MENU_RANGE(kFirstOpenFolderId, kLastOpenFolderId, ToolBar::OnMenuOpenDefaultFolder)
  EVT_MENU(kExportCheckedId, ToolBar::OnMenuExportChecked)
  EVT_MENU(kOptionsId, ToolBar::OnMenuOption)
  EVT_MENU(kHelpId, ToolBar::OnMenuGotoOnLine)
  EVT_MENU(wxID_ABOUT, ToolBar::OnMenuAbout)
  EVT_MENU(kCheckForUpdateId, ToolBar::OnCheckForUpdate)
  EVT_MENU(kSupportCenterId, ToolBar::OnMenuGotoOnLine)
  EVT_MENU(46, ToolBar::OnLanguage)
  EVT_MENU(47, ToolBar::OnLanguage)
  EVT_MENU(58, ToolBar::OnLanguage)
  EVT_MENU(80, ToolBar::OnLanguage)
  EVT_MENU(89, ToolBar::OnLanguage)
  EVT_MENU(110, ToolBar::OnLanguage)
  EVT_MENU(112, ToolBar::OnLanguage)
  EVT_THREAD(kThreadUpdateCurrentExportFile, ToolBar::OnUpdateCurrentExportFile)
  EVT_THREAD(kThreadUpdateProgressStep, ToolBar::OnUpdateProgressStep)
  EVT_THREAD(kThreadExportComplete, ToolBar::OnExportComplete)
  EVT_MENU(kCheckAllId, ToolBar::OnMenuCheckAll)
  EVT_MENU(kInverseCheckedId, ToolBar::OnMenuInverseChecked)
  EVT_MENU(kClearCheckedId, ToolBar::OnMenuClearChecked)
  EVT_BUTTON(kListViewButtonId, ToolBar::OnListViewButtonClicked)
  EVT_BUTTON(kFilterViewButtonId, ToolBar::OnFilterViewButtonClicked)
  EVT_SEARCH(kSearchEntryId, ToolBar::OnSearchEntrySearch)
  EVT_SEARCH_CANCEL(kSearchEntryId, ToolBar::OnSearchEntryCancel)
  EVT_TEXT_ENTER(kSearchEntryId, ToolBar::OnSearchEntrySearch)
  EVT_TEXT(kSearchEntryId, ToolBar::OnSearchEntrySearch)
wxEND_EVENT_TABLE()

ToolBar::ToolBar(int language)
    : zl_menu_bar_(nullptr),
      file_menu_(nullptr),
      edit_menu_(nullptr),
      advanced_menu_(nullptr),
      language_menu_(nullptr),
      help_menu_(nullptr),
      export_button_(nullptr),
      list_view_button_(nullptr),
      filter_view_button_(nullptr),
      search_entry_(nullptr),
      background_(nullptr),
      language_(language) {}

ToolBar::~ToolBar() { delete background_; }

bool ToolBar::Create(wxBitmap* background, wxWindow* parent, wxWindowID id,
                     const wxPoint& pos, const wxSize& size) {
  if (!wxPanel::Create(parent, id, pos, size, wxTAB_TRAVERSAL | wxBORDER_NONE)) {
    delete background;
    return false;
  }
  background_ = background;
  if (background_ && background_->IsOk()) SetBackgroundBitmap(*background_);

  wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(sizer);
  CreateMenuBar();

  sizer->AddSpacer(20);
  sizer->Add(zl_menu_bar_, 0, wxALIGN_CENTER_VERTICAL);
  sizer->AddSpacer(70);

  export_button_ = new DhWordButton;
  export_button_->Create(this, kExportButtonId, wxDefaultPosition);
  wxBitmap normal = ImageUtil::GetBitmapResource("image/tool/export-normal.png", wxBITMAP_TYPE_PNG);
  wxBitmap current = ImageUtil::GetBitmapResource("image/tool/export-current.png", wxBITMAP_TYPE_PNG);
  wxBitmap pressed = ImageUtil::GetBitmapResource("image/tool/export-pressed.png", wxBITMAP_TYPE_PNG);
  wxRect crop = FitExportButtonCrop(DomainFace::GetRect(kFaceExportButtonCrop),
                                    normal.IsOk() ? normal.GetSize() : wxSize(),
                                    DomainFace::GetFont(kFaceExportButtonFont));
  export_button_->SetStatusBitmap(normal, crop.x, crop.width, current, pressed);
  export_button_->SetBackgroundMode(
      ImageUtil::GetBitmapResource("image/tool/tool_bg.png", wxBITMAP_TYPE_PNG),
      DhWordButtonBgTile);
  export_button_->text_y_ = crop.y;
  export_button_->SetForegroundColour(DomainFace::GetColour(kFaceExportButtonTextColour));
  sizer->Add(export_button_, 0, wxALIGN_CENTER_VERTICAL);
  sizer->AddStretchSpacer(1);

  auto picture = [](const char* path) {
    return ImageUtil::GetBitmapResourceP(path, wxBITMAP_TYPE_PNG);
  };
  list_view_button_ = new ZLButton(
      background_, picture("image/tool/list_view_normal.png"),
      picture("image/tool/list_view_hover.png"),
      picture("image/tool/list_view_pressed.png"), this, kListViewButtonId);
  sizer->Add(list_view_button_, 0, wxALIGN_CENTER_VERTICAL);
  filter_view_button_ = new ZLButton(
      background_, picture("image/tool/filter_view_normal.png"),
      picture("image/tool/filter_view_hover.png"),
      picture("image/tool/filter_view_pressed.png"), this, kFilterViewButtonId);
  sizer->Add(filter_view_button_, 0, wxALIGN_CENTER_VERTICAL);
  sizer->AddSpacer(30);
  sizer->AddSpacer(30);

  search_entry_ = new wxSearchCtrl(this, kSearchEntryId, wxEmptyString,
                                   wxDefaultPosition, wxDefaultSize,
                                   wxTE_PROCESS_ENTER);
  search_entry_->ShowSearchButton(true);
  search_entry_->ShowCancelButton(true);
  // The toolkit's own default leaves room for the icons only.
  search_entry_->SetMinSize(wxSize(200, -1));
  sizer->Add(search_entry_, 0, wxALIGN_CENTER_VERTICAL);
  sizer->AddSpacer(10);

  SetupString();
  return true;
}

void ToolBar::CreateMenuBar() {
  zl_menu_bar_ = new ZLMenuBar;
  zl_menu_bar_->Create(
      ImageUtil::GetBitmapResourceP("image/tool/menu_bar_bg.png", wxBITMAP_TYPE_PNG),
      this, wxID_ANY, wxPoint(0, 0), wxTAB_TRAVERSAL | wxBORDER_NONE);
  CreateZlMenu();
}

void ToolBar::CreateZlMenu() {
  const wxColour normal = DomainFace::GetColour(kFaceMenuTextNormalColour);
  const wxColour current = DomainFace::GetColour(kFaceMenuTextCurrentColour);

  file_menu_ = new wxMenu;
  AppendCategoryEntries(file_menu_, &CategoryInfo::export_all_id,
                        &CategoryInfo::export_all_label);
  file_menu_->AppendSeparator();
  wxMenu* open_folder = new wxMenu;
  AppendCategoryEntries(open_folder, &CategoryInfo::open_folder_id,
                        &CategoryInfo::open_folder_label);
  file_menu_->AppendSubMenu(open_folder, _("Open Export Folder"));
  file_menu_->AppendSeparator();
  file_menu_->Append(wxID_EXIT, _("Quit"));
  zl_menu_bar_->AppendMenuButton(kFileMenuButtonId, file_menu_, _("File"), normal, current);

  edit_menu_ = new wxMenu;
  AppendEntries(edit_menu_, kEditEntries);
  zl_menu_bar_->AppendMenuButton(kEditMenuButtonId, edit_menu_, _("Edit"), normal, current);
  wxGetApp().edit_menu_ = edit_menu_;

  advanced_menu_ = new wxMenu;
  advanced_menu_->Append(kOptionsId, _("Options"));
  language_menu_ = new wxMenu;
  for (const auto& language : kLanguages)
    language_menu_->AppendRadioItem(language.code, wxString::FromUTF8(language.name));
  if (language_menu_->FindItem(language_)) language_menu_->Check(language_, true);
  advanced_menu_->AppendSubMenu(language_menu_, _("Language"));
  zl_menu_bar_->AppendMenuButton(kAdvancedMenuButtonId, advanced_menu_, _("Advanced"),
                                 normal, current);

  help_menu_ = new wxMenu;
  AppendEntries(help_menu_, kHelpEntries);
  zl_menu_bar_->AppendMenuButton(kHelpMenuButtonId, help_menu_, _("Help"), normal, current);
}

void ToolBar::SetupString() {
  wxFont font = DomainFace::GetFont(kFaceExportButtonFont);
  export_button_->SetText(_("Export"), font);
  export_button_->SetToolTip(_("Export Checked"));
  filter_view_button_->SetToolTip(_("Filter View"));
  list_view_button_->SetToolTip(_("List View"));
  search_entry_->SetDescriptiveText(_("Search"));
  Layout();
}

void ToolBar::ChangeLanguage() {
  zl_menu_bar_->ClearAllMenu();
  CreateZlMenu();
  SetupString();
  Refresh(false);
}

void ToolBar::ZLEnableAllMenuItem(bool enable) {
  if (file_menu_) {
    // The open-folder entries stay usable throughout.
    for (const CategoryInfo& category : kCategories)
      file_menu_->Enable(category.export_all_id, enable);
    file_menu_->Enable(wxID_EXIT, enable);
  }
  EnableEntries(edit_menu_, kEditEntries, enable);
  if (advanced_menu_) advanced_menu_->Enable(kOptionsId, enable);
  if (language_menu_)
    for (const auto& language : kLanguages) language_menu_->Enable(language.code, enable);
  EnableEntries(help_menu_, kHelpEntries, enable);
}

void ToolBar::ZLEnableAllButton() {
  export_button_->Enable(true);
  list_view_button_->Enable(true);
  filter_view_button_->Enable(true);
}

void ToolBar::ZLDisableAllButton() {
  export_button_->Disable();
  list_view_button_->Enable(false);
  filter_view_button_->Enable(false);
}

void ToolBar::ZLEnableSearchEntry() { search_entry_->Enable(true); }

void ToolBar::ZLDisableSearchEntry() { search_entry_->Enable(false); }

namespace {
void OpenInBrowser(const wxString& address) { wxLaunchDefaultBrowser(address); }
}  // namespace

std::function<void(const wxString&)> ToolBar::open_page_ = OpenInBrowser;

void ToolBar::OnMenuGotoOnLine(wxCommandEvent& event) {
  DomainOption addresses(ZLAppPath::GetUrlFilePath());
  // As the address file has it; an address it lacks is passed on empty.
  open_page_(event.GetId() == kHelpId ? addresses.help_url() : addresses.support_url());
}

void ToolBar::OnMenuAbout(wxCommandEvent&) {
  // Workers' events wait until the dialog is gone.
  wxTheApp->SuspendProcessingOfPendingEvents();
  wxBitmap* background =
      ImageUtil::GetBitmapResourceP("image/dialog/info_bg.png", wxBITMAP_TYPE_PNG);
  const wxSize size = background && background->IsOk() ? background->GetSize() : wxSize(0, 0);
  wxBitmap* picture = nullptr;
  {
    AboutDialog dialog;
    if (dialog.Create(background, nullptr, wxID_ANY, _("About"), wxDefaultPosition, size,
                      wxBORDER_NONE | wxFRAME_SHAPED)) {
      dialog.Centre(wxBOTH);
      dialog.ShowModal();
    }
    picture = dialog.picture();
  }
  wxTheApp->ResumeProcessingOfPendingEvents();
  // Its controls painted from these until it was gone.
  delete picture;
  delete background;
}

void ToolBar::OnCheckForUpdate(wxCommandEvent&) {
  DomainOption(ZLAppPath::GetUrlFilePath()).StartCheckVersionNoForUpdate();
}

void ToolBar::OnMenuOption(wxCommandEvent&) {
  OptionDialog dialog(wxGetApp().frame_, wxID_ANY, _("Option"));
  dialog.Centre(wxBOTH);
  dialog.ShowModal();
}

void ToolBar::OnLanguage(wxCommandEvent& event) {
  const int language =
      DomainLanguage::IsKnownLanguage(event.GetId()) ? event.GetId() : 0;
  // The chosen item is checked by its radio group already.
  if (language_menu_ && language_menu_->FindItem(language_) && language_ != language)
    language_menu_->Check(language_, false);
  language_ = language;
  wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
  if (!top) return;
  wxCommandEvent* select = new wxCommandEvent(wxEVT_SELECT_LANGUAGE, top->GetId());
  select->SetInt(language);
  wxQueueEvent(top->GetEventHandler(), select);
}

void ToolBar::OnMenuQuit(wxCommandEvent&) {
  if (TransferFrame* frame = wxGetApp().frame_) frame->Close(false);
}

void ToolBar::GetExportList(ExportItemList* list, plist_t node) {
  AppendRecordExportItems(list, node, ExportWalk::kFlat, nullptr);
}
void ToolBar::GetBookExportList(ExportItemList* list, plist_t node) {
  AppendRecordExportItems(list, node, ExportWalk::kGroups, "catalog");
}
void ToolBar::GetSubBookExportList(ExportItemList* list, plist_t node) {
  AppendRecordExportItems(list, node, ExportWalk::kOneGroup, "catalog");
}
void ToolBar::GetPlaylistExportList(ExportItemList* list, plist_t node) {
  AppendRecordExportItems(list, node, ExportWalk::kGroups, "name");
}
void ToolBar::GetSubPlaylistExportList(ExportItemList* list, plist_t node) {
  AppendRecordExportItems(list, node, ExportWalk::kOneGroup, "name");
}
void ToolBar::GetPictureExportList(ExportItemList* list, plist_t node) {
  AppendRecordExportItems(list, node, ExportWalk::kPictures, nullptr);
}

namespace {

ExportItemInfo* NewItem(ExportItemList* list, const wxString& path,
                        const wxString& folder_name, const wxString& title, uint64_t size) {
  list->push_back(std::unique_ptr<ExportItemInfo>(new ExportItemInfo));
  ExportItemInfo* item = list->back().get();
  item->path = path;
  item->folder_name = folder_name;
  item->title = title;
  item->size = size;
  return item;
}

void AppendPublicRows(ExportItemList* list, PublicListCtrl* view, bool checked_only) {
  if (!list || !view) return;
  const unsigned int rows = view->GetItemCount();
  for (unsigned int row = 0; row < rows; ++row) {
    if (checked_only && !view->GetToggleValue(row)) continue;
    const PublicListViewData& data = view->GetRowData(row);
    NewItem(list, data.path, data.group_name,
            view->GetTextValue(row, PublicListCtrl::kTitleColumn), data.size);
  }
}

void AppendPictureRows(ExportItemList* list, PictureListCtrl* view, bool checked_only) {
  if (!list || !view) return;
  const unsigned int rows = view->GetItemCount();
  for (unsigned int row = 0; row < rows; ++row) {
    if (checked_only && !view->GetToggleValue(row)) continue;
    const PictureListViewData& data = view->GetRowData(row);
    NewItem(list, data.path, wxString(), view->GetTextValue(row, PictureListCtrl::kTitleColumn),
            data.size);
  }
}

void AppendThumbnails(ExportItemList* list, PictureIconView* view, bool selected_only) {
  if (!list || !view) return;
  const long count = view->GetItemCount();
  for (long item = 0; item < count; ++item) {
    if (selected_only && !view->IsSelected(item)) continue;
    if (const PictureIconViewData* data = view->GetItemData(item))
      NewItem(list, data->path, wxString(), data->name, data->size);
  }
}

}  // namespace

void ToolBar::GetExportListFromPublicCheckedItem(ExportItemList* list, PublicListCtrl* view) {
  AppendPublicRows(list, view, true);
}
void ToolBar::GetExportListFromPublicItem(ExportItemList* list, PublicListCtrl* view) {
  AppendPublicRows(list, view, false);
}
void ToolBar::GetExportListFromPictureCheckedItem(ExportItemList* list,
                                                  PictureListCtrl* view) {
  AppendPictureRows(list, view, true);
}
void ToolBar::GetExportListFromPictureItem(ExportItemList* list, PictureListCtrl* view) {
  AppendPictureRows(list, view, false);
}
void ToolBar::GetExportListFromPictureSelectedItem(ExportItemList* list,
                                                   PictureIconView* view) {
  AppendThumbnails(list, view, true);
}
void ToolBar::GetExportListFromPictureItem(ExportItemList* list, PictureIconView* view) {
  AppendThumbnails(list, view, false);
}

DeviceContentView* ShownContentView() {
  TransferApp& app = wxGetApp();
  if (!app.right_pane_ || !app.right_pane_->ZLIsShown(kDeviceContentView)) return nullptr;
  return app.device_content_view_;
}

void ToolBar::OnMenuCheckAll(wxCommandEvent&) { ApplyCheckCommand(kCheckAll); }
void ToolBar::OnMenuClearChecked(wxCommandEvent&) { ApplyCheckCommand(kClearChecked); }
void ToolBar::OnMenuInverseChecked(wxCommandEvent&) { ApplyCheckCommand(kInverseChecked); }

void ToolBar::ApplyCheckCommand(CheckCommand command) {
  DeviceContentView* content = ShownContentView();
  if (!content) return;
  wxDataViewCtrl* list = nullptr;
  PictureIconView* icons = nullptr;
  if (content->ZLIsShown(kContentMediaList))
    list = content->public_list();
  else if (content->ZLIsShown(kContentCameraRollList))
    list = content->camera_roll_list_view();
  else if (content->ZLIsShown(kContentCameraRollIcons))
    icons = content->camera_roll_icon_view();
  else if (content->ZLIsShown(kContentPhotoList))
    list = content->photo_list_view();
  else if (content->ZLIsShown(kContentPhotoIcons))
    icons = content->photo_icon_view();
  if (list) {
    if (command == kInverseChecked)
      DeviceContentView::ZLInverseChecked(list, 0);
    else
      DeviceContentView::ZLCheckAll(list, 0, command == kCheckAll);
  } else if (icons) {
    // In bulk: one repaint, and the hint once.
    if (command == kCheckAll)
      icons->SelectAll();
    else if (command == kClearChecked)
      icons->DeselectAll();
    else
      icons->InvertSelection();
    ZLSetStatusHintWhenPictureCheck(icons);
  }
}

namespace {

// The marked rows' count and total size: running totals of the list.
void CountChecked(CheckListCtrl* list, int32_t& count, uint64_t& size) {
  count = list ? static_cast<int32_t>(list->GetCheckedCount()) : 0;
  size = list ? list->GetCheckedSize() : 0;
}

}  // namespace

void ToolBar::GetPublicCheckedItemCountAndSize(PublicListCtrl* list, int32_t& count,
                                               uint64_t& size) {
  CountChecked(list, count, size);
}

namespace {

void ShowCheckedHint(int32_t count, uint64_t size) {
  if (StatusBar* status_bar = wxGetApp().status_bar_)
    status_bar->SetStatusText(ZLStringHelper::GetCheckedHint(count, size));
}

}  // namespace

void ToolBar::ZLSetStatusHintWhenPublicCheck(PublicListCtrl* list) {
  int32_t count = 0;
  uint64_t size = 0;
  GetPublicCheckedItemCountAndSize(list, count, size);
  ShowCheckedHint(count, size);
}

void ToolBar::GetPictureCheckedItemCountAndSize(PictureListCtrl* list, int32_t& count,
                                                uint64_t& size) {
  CountChecked(list, count, size);
}

void ToolBar::ZLSetStatusHintWhenPictureCheck(PictureListCtrl* list) {
  int32_t count = 0;
  uint64_t size = 0;
  GetPictureCheckedItemCountAndSize(list, count, size);
  ShowCheckedHint(count, size);
}

void ToolBar::GetPictureCheckedItemCountAndSize(PictureIconView* view, int32_t& count,
                                                uint64_t& size) {
  count = 0;
  size = 0;
  if (!view) return;
  for (long item = view->GetFirstSelected(); item >= 0; item = view->GetNextSelected(item)) {
    ++count;
    if (const PictureIconViewData* data = view->GetItemData(item)) size += data->size;
  }
}

void ToolBar::ZLSetStatusHintWhenPictureCheck(PictureIconView* view) {
  int32_t count = 0;
  uint64_t size = 0;
  GetPictureCheckedItemCountAndSize(view, count, size);
  ShowCheckedHint(count, size);
}

void ToolBar::OnFilterViewButtonClicked(wxCommandEvent&) {
  DeviceContentView* content = ShownContentView();
  if (!content) return;
  if (content->ZLIsShown(kContentMediaList)) {
    content->SplitFilterView();
  } else if (content->ZLIsShown(kContentCameraRollList)) {
    content->ZLShowView(kContentCameraRollIcons);
    ZLSetStatusHintWhenPictureCheck(content->camera_roll_icon_view());
  } else if (content->ZLIsShown(kContentPhotoList)) {
    content->ZLShowView(kContentPhotoIcons);
    ZLSetStatusHintWhenPictureCheck(content->photo_icon_view());
  }
}

void ToolBar::OnListViewButtonClicked(wxCommandEvent&) {
  DeviceContentView* content = ShownContentView();
  if (!content) return;
  if (content->ZLIsShown(kContentMediaList)) {
    wxSplitterWindow* splitter = content->public_view_splitter();
    if (splitter && splitter->IsSplit()) splitter->Unsplit(content->filter_panel());
  } else if (content->ZLIsShown(kContentCameraRollIcons)) {
    content->ZLShowView(kContentCameraRollList);
    ZLSetStatusHintWhenPictureCheck(content->camera_roll_list_view());
  } else if (content->ZLIsShown(kContentPhotoIcons)) {
    content->ZLShowView(kContentPhotoList);
    ZLSetStatusHintWhenPictureCheck(content->photo_list_view());
  }
}

void ToolBar::OnSearchEntrySearch(wxCommandEvent&) {
  TransferApp& app = wxGetApp();
  // Only the media list is searched, never the picture views.
  if (!app.right_pane_ || !app.right_pane_->ZLIsShown(kDeviceContentView) ||
      !app.device_content_view_ ||
      !app.device_content_view_->ZLIsShown(kContentMediaList))
    return;
  PublicListCtrl* list = app.public_list_;
  if (!list || !search_entry_) return;
  {
    PublicListCtrl::AppendBatch batch(list);
    list->DeleteAllItems();
    FillPublicListViewAfterSearch(list, AppData::public_list_view_copy_,
                                  search_entry_->GetValue());
  }
  // The rebuilt rows are unmarked: the hint must not count the old marks.
  ZLSetStatusHintWhenPublicCheck(list);
}

void ToolBar::OnSearchEntryCancel(wxCommandEvent&) {
  // Emptying the entry runs the search again, which lists every row.
  if (search_entry_) search_entry_->SetValue(wxEmptyString);
}

void ToolBar::FillPublicListViewAfterSearch(PublicListCtrl* list,
                                            const PublicListViewCopy& copy,
                                            const wxString& text) {
  if (!list) return;
  list->AppendSnapshotRows(copy, SearchPublicListViewCopy(copy, text));
}
