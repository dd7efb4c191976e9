#include "window/left_pane.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/imaglist.h>
#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include <memory>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/my_event.h"
#include "app/trace.h"
#include "app/transfer_app.h"
#include "app/zl_string_helper.h"
#include "common/image_util.h"
#include "device/device_record.h"
#include "device/do_detect_device.h"
#include "export/tool_bar.h"
#include "window/device_content_view.h"
#include "window/device_info_view.h"
#include "window/do_load_picture.h"
#include "window/filter_list_ctrl.h"
#include "window/picture_icon_view.h"
#include "window/picture_list_ctrl.h"
#include "window/public_list_ctrl.h"
#include "window/right_pane.h"
#include "window/status_bar.h"

namespace {

const int kDeviceComboBoxId = 201;
const int kRefreshButtonId = 202;
const int kNavigationTreeId = 203;
const int kNarrowestComboBox = 60;

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

void ShowPopupMenu(wxWindow* window, wxMenu* menu) { window->PopupMenu(menu); }

// Export commands of one book catalog and of one playlist; the whole
// categories' commands are in the category table.
struct GroupExportCommand {
  CategoryCode code;
  int id;
  const char* label;
};
const GroupExportCommand kGroupExportCommands[] = {
    {kCategoryBookCatalog, 5106, wxTRANSLATE("Export Selected Book")},
    {kCategoryPlaylist, 5109, wxTRANSLATE("Export Selected Playlist")},
};

NavigationTreeCtrlData* ItemData(wxTreeCtrl* tree, const wxTreeItemId& item) {
  return item.IsOk() ? static_cast<NavigationTreeCtrlData*>(tree->GetItemData(item))
                     : nullptr;
}

// One row of the media list from one item dictionary of a list.
PublicListViewCopyItemPtr MediaRow(plist_t media, int code, FillShape shape,
                                   const wxBitmap& icon,
                                   const wxString& group_name) {
  PublicListViewCopyItemPtr row = std::make_shared<PublicListViewCopyItem>();
  row->icon = icon;
  row->category = code;
  row->path = record::String(media, "path");
  row->group_name = group_name;
  if (shape == FillShape::kVoiceMemos) {
    row->title = record::VoiceMemoName(media);
  } else {
    row->title = record::String(media, "title");
    row->genre = record::String(media, "genre");
    row->artist = record::String(media, "artist");
    row->album = record::String(media, "album");
  }
  // Books carry neither a duration nor a size.
  if (shape != FillShape::kGroupedByCatalog) {
    row->has_time_and_size = true;
    row->size = record::UInt(media, "size");
    row->time_ms = record::UInt(media, "time");
  }
  return row;
}

// One row per picture of a list node: its display name, its time text as
// delivered, its size and path.
void AppendPictureRows(PictureListCtrl* list, plist_t node) {
  if (!list) return;
  plist_t items = record::Items(node);
  const uint32_t count = record::ArraySize(items);
  CheckListCtrl::AppendBatch batch(list);
  for (uint32_t i = 0; i < count; ++i) {
    plist_t picture = record::ArrayItem(items, i);
    if (plist_get_node_type(picture) != PLIST_DICT) continue;
    const wxString path = record::String(picture, "path");
    list->AppendRow(record::PictureName(path), record::String(picture, "time"),
                    record::UInt(picture, "size"), path);
  }
}

// The rows of a flat list or of one group: its "item" array.
void AppendMediaRows(PublicListCtrl* list, plist_t items_of, int code,
                     FillShape shape, const wxBitmap& icon,
                     const wxString& group_name) {
  plist_t items = record::Items(items_of);
  const uint32_t size = record::ArraySize(items);
  for (uint32_t i = 0; i < size; ++i) {
    plist_t media = record::ArrayItem(items, i);
    if (plist_get_node_type(media) != PLIST_DICT) continue;
    list->AppendItem(MediaRow(media, code, shape, icon, group_name));
  }
}

void AppendGroupRows(PublicListCtrl* list, plist_t group, int code,
                     FillShape shape, const wxBitmap& icon) {
  if (!group || plist_get_node_type(group) != PLIST_DICT) return;
  AppendMediaRows(list, group, code, shape, icon,
                  record::String(group, GroupNameKey(shape)));
}

}  // namespace

void (*LeftPane::show_warning_)(const wxString& text) = ShowWarningBox;
void (*LeftPane::show_popup_menu_)(wxWindow* window, wxMenu* menu) = ShowPopupMenu;

wxBEGIN_EVENT_TABLE(LeftPane, wxPanel)
  EVT_BUTTON(kRefreshButtonId, LeftPane::OnRefreshButtonClicked)
  EVT_THREAD(kThreadDetectDeviceCompleted, LeftPane::OnDetectDeviceCompleted)
  EVT_THREAD(kThreadCameraRollBegin, LeftPane::OnGetLoadCameraRollPictureInfo)
  EVT_THREAD(kThreadCameraRollEnd, LeftPane::OnUpdateCameraRollIconView)
  EVT_THREAD(kThreadPhotoBegin, LeftPane::OnGetLoadPhotoPictureInfo)
  EVT_THREAD(kThreadPhotoEnd, LeftPane::OnUpdatePhotoIconView)
  EVT_COMBOBOX(kDeviceComboBoxId, LeftPane::OnSelectionComboBoxSelected)
  EVT_TREE_SEL_CHANGED(kNavigationTreeId, LeftPane::OnNavigationTreeCtrlChanged)
  EVT_TREE_ITEM_RIGHT_CLICK(kNavigationTreeId,
                            LeftPane::OnNavigationTreeCtrlRightClick)
wxEND_EVENT_TABLE()

LeftPane::LeftPane(wxBitmap* background, wxWindow* parent, wxWindowID id,
                   const wxPoint& pos, const wxSize& size)
    : ThemePanel(background, parent, id, pos, size),
      detecting_(false),
      tree_change_seen_(false) {

  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  // The selection box has a row of its own, so that device names get the
  // pane's whole width; "Refresh" sits below it.
  wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
  device_combo_box_ =
      new wxComboBox(this, kDeviceComboBoxId, wxEmptyString, wxDefaultPosition,
                     wxDefaultSize, 0, nullptr, wxCB_READONLY);
  // Its own best width would follow the longest name.
  device_combo_box_->SetMinSize(wxSize(kNarrowestComboBox, -1));
  top->Add(device_combo_box_, 0, wxEXPAND | wxLEFT, 2);
  refresh_button_ = new wxButton(this, kRefreshButtonId, wxEmptyString);
  top->Add(refresh_button_, 0, wxALIGN_RIGHT | wxTOP, 5);
  sizer->Add(top, 0, wxEXPAND | wxTOP | wxBOTTOM, 10);

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

  device_combo_box_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    FitDeviceNames();
  });
  navigation_tree_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    FitRootLabel();
  });
  navigation_tree_->Bind(wxEVT_TREE_ITEM_GETTOOLTIP,
                         &LeftPane::OnNavigationTreeCtrlGetToolTip, this);
  navigation_tree_->Bind(wxEVT_RIGHT_DOWN, &LeftPane::OnNavigationTreeRightDown,
                         this);

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

void LeftPane::SetupTreeItem() {
  for (size_t i = 0; i < kCategoryCount; ++i) {
    NavigationTreeCtrlData* data = ItemData(navigation_tree_, category_items_[i]);
    if (!data) continue;
    navigation_tree_->SetItemText(
        category_items_[i],
        wxString::Format("%s (%d)", wxGetTranslation(kCategories[i].name),
                         data->count));
  }
  // A label set after the rows were laid out can change the row height
  // (a taller script, an empty label filled), but the toolkit's tree only
  // redraws the changed row, so the rows below would be drawn over. Setting
  // the indent makes it lay every row out again.
  navigation_tree_->SetIndent(navigation_tree_->GetIndent());
  navigation_tree_->Refresh();
}

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
  for (wxTreeItemId& item : category_items_) item.Unset();
  if (device_combo_box_->GetCount() > 0) device_combo_box_->Clear();
  device_combo_box_->UnsetToolTip();

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

void LeftPane::FitDeviceNames() {
  wxComboBox* box = device_combo_box_;
  // The box's width less the button and frame it draws around its text.
  const int room = box->GetSize().x - box->GetSizeFromTextSize(0).x;
  auto width = [box](const wxString& text) { return box->GetTextExtent(text).x; };
  wxString tip;
  for (unsigned int i = 0; i < box->GetCount(); ++i) {
    SelectionComboBoxData* data =
        static_cast<SelectionComboBoxData*>(box->GetClientObject(i));
    if (!data) continue;
    const wxString name =
        ZLStringHelper::MakeOneLine(data->context().name, kMaxShownTextLength);
    const wxString shown = ZLStringHelper::ShortenToWidth(name, room, width);
    if (box->GetString(i) != shown) box->SetString(i, shown);
    if (static_cast<int>(i) != box->GetSelection()) continue;
    // The toolkit leaves the shown text alone when the chosen item changes.
    if (box->GetValue() != shown) box->ChangeValue(shown);
    if (shown != name) tip = ZLStringHelper::MakeWrappable(name, kToolTipRunLength);
  }
  if (tip.empty())
    box->UnsetToolTip();
  else if (box->GetToolTipText() != tip)
    box->SetToolTip(tip);
}

void LeftPane::FitRootLabel() {
  wxTreeItemId root = navigation_tree_->GetRootItem();
  if (!root.IsOk()) return;
  wxTreeCtrl* tree = navigation_tree_;
  // Where the tree draws the root's text: one indent for the lines at the
  // root, the spacing, the picture and its margin, as the toolkit lays it
  // out (the tree reports item positions only after it painted them). The
  // selection frame around the text takes a few pixels more.
  int image_width = 0;
  int image_height = 0;
  image_list_->GetSize(0, image_width, image_height);
  const int text_x = tree->GetIndent() + tree->GetSpacing() + image_width + 4;
  const int room = tree->GetClientSize().x - text_x - 6;
  const wxString shown = ZLStringHelper::ShortenToWidth(
      root_label_, room,
      [tree](const wxString& text) { return tree->GetTextExtent(text).x; });
  if (tree->GetItemText(root) != shown) tree->SetItemText(root, shown);
}

void LeftPane::OnNavigationTreeCtrlGetToolTip(wxTreeEvent& event) {
  wxTreeItemId item = event.GetItem();
  if (item.IsOk() && item == navigation_tree_->GetRootItem() &&
      navigation_tree_->GetItemText(item) != root_label_)
    event.SetToolTip(ZLStringHelper::MakeWrappable(root_label_, kToolTipRunLength));
  else
    event.Veto();  // no tooltip, nor the root's left over
}

void LeftPane::OnDetectDeviceCompleted(wxThreadEvent& event) {
  detecting_ = false;
  if (!event.GetString().empty()) show_warning_(event.GetString());

  {
    wxMutexLocker lock(AppData::current_device_list_lock_);
    const CurrentDeviceList& list = AppData::current_device_list_;
    for (int i = 0; i < list.device_count; ++i) {
      const DeviceContext& context = list.device_contexts[i];
      // Shortened to the box's width by FitDeviceNames below.
      if (context.valid)
        device_combo_box_->Append(
            ZLStringHelper::MakeOneLine(context.name, kMaxShownTextLength),
            new SelectionComboBoxData(context, i));
    }
  }

  FitDeviceNames();
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
  for (wxTreeItemId& item : category_items_) item.Unset();
  const DeviceContext& context = data->context();
  int type = DeviceInfoView::GetDeviceType(context.info);
  root_label_ = ZLStringHelper::MakeOneLine(context.name, kMaxShownTextLength);
  wxTreeItemId root = navigation_tree_->AddRoot(
      root_label_, type, type,
      new NavigationTreeCtrlData(0, kCategoryDevice, context.info));
  for (size_t i = 0; i < kCategoryCount; ++i) AppendCategory(i, context, root);
  FillPictureViews(context);
  FitRootLabel();
  FitDeviceNames();
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

void LeftPane::AppendCategory(size_t index, const DeviceContext& context,
                              const wxTreeItemId& root) {
  const CategoryInfo& category = kCategories[index];
  plist_t list = context.*category.list_field;
  if (!list) return;
  const int image = kFirstCategoryTreeImage + static_cast<int>(index);
  if (!IsGrouped(category)) {
    category_items_[index] = navigation_tree_->AppendItem(
        root, wxEmptyString, image, image,
        new NavigationTreeCtrlData(static_cast<int32_t>(record::Number(list)),
                                   category.code, list));
    return;
  }
  // Labelled by SetupTreeItem once the groups are counted.
  NavigationTreeCtrlData* data = new NavigationTreeCtrlData(0, category.code, list);
  wxTreeItemId entry =
      navigation_tree_->AppendItem(root, wxEmptyString, image, image, data);
  category_items_[index] = entry;
  const char* name_key = GroupNameKey(category.shape);
  const uint32_t size = record::ArraySize(list);
  for (uint32_t i = 0; i < size; ++i) {
    // Anything but a dictionary in the array is no group.
    plist_t group = record::GroupAt(list, i);
    if (!group) continue;
    const uint64_t number = record::UInt(group, "number");
    const wxString name =
        ZLStringHelper::MakeOneLine(record::String(group, name_key),
                                    kMaxShownTextLength);
    wxString label;
    label << name << " (" << static_cast<unsigned long long>(number) << ")";
    navigation_tree_->AppendItem(
        entry, label, image, image,
        new NavigationTreeCtrlData(static_cast<int32_t>(record::Number(group)),
                                   category.group_code, group));
    ++data->count;
  }
}

void LeftPane::OnNavigationTreeCtrlChanged(wxTreeEvent& event) {
  Trace("Entry LeftPane::OnNavigationTreeCtrlChanged()");
  tree_change_seen_ = true;
  wxTreeItemId item = event.GetItem();
  TransferApp& app = wxGetApp();
  if (item.IsOk()) {
    if (app.status_bar_) app.status_bar_->SetStatusText(wxEmptyString);
    NavigationTreeCtrlData* data =
        static_cast<NavigationTreeCtrlData*>(navigation_tree_->GetItemData(item));
    const int code = data ? data->category : -1;
    if (code == kCategoryDevice) {
      if (app.device_info_view_) app.device_info_view_->UpdateDeviceInfo(data->node);
      if (app.right_pane_) app.right_pane_->ZLShowView(kDeviceInfoView);
    } else if (code >= kCategoryMusic && code <= kCategoryVoiceMemos) {
      ShowMediaList(code, data->node);
    } else if (code == kCategoryCameraRoll || code == kCategoryPhotos) {
      // Filled when the device was chosen; the hint tells what is selected.
      const bool camera_roll = code == kCategoryCameraRoll;
      if (app.right_pane_)
        app.right_pane_->ZLShowView(camera_roll ? kCameraRollIconView : kPhotoIconView);
      if (app.tool_bar_)
        ToolBar::ZLSetStatusHintWhenPictureCheck(
            camera_roll ? app.camera_roll_icon_view_.get() : app.photo_icon_view_.get());
    }
  }
  Trace("Leave LeftPane::OnNavigationTreeCtrlChanged()");
}

void LeftPane::ShowMediaList(int code, plist_t node) {
  TransferApp& app = wxGetApp();
  DeviceContentView* content = app.device_content_view_;
  PublicListCtrl* list = app.public_list_;
  if (!content || !list) return;
  content->UnBindFilterSelectionChangedEvent();
  list->DeleteAllItems();
  FillPublicListView(list, code, node);
  AppData::public_list_view_copy_.Clear();
  SaveToPublicListViewCopy(list, &AppData::public_list_view_copy_);
  const struct {
    FilterListCtrl* filter;
    unsigned int column;
  } filters[] = {{content->genre_filter_list(), PublicListCtrl::kGenreColumn},
                 {content->artist_filter_list(), PublicListCtrl::kArtistColumn},
                 {content->album_filter_list(), PublicListCtrl::kAlbumColumn}};
  for (const auto& f : filters) {
    f.filter->DeleteAllItems();
    FillFilterListView(f.filter, list, f.column);
  }
  content->BindFilterSelectionChangedEvent();
  if (app.right_pane_) app.right_pane_->ZLShowView(kMediaListView);
}

void LeftPane::FillPublicListView(PublicListCtrl* list, int code, plist_t node) {
  const CategoryInfo* category = FindCategory(code);
  if (!list || !category || code < kCategoryMusic || code > kCategoryVoiceMemos)
    return;
  const FillShape shape = category->shape;
  if (shape == FillShape::kPictures) return;
  const wxBitmap icon =
      ImageUtil::GetBitmapResource(category->tree_image, wxBITMAP_TYPE_PNG);
  PublicListCtrl::AppendBatch batch(list);
  if (!IsGrouped(*category)) {
    AppendMediaRows(list, node, code, shape, icon, wxString());
  } else if (code == category->group_code) {
    AppendGroupRows(list, node, code, shape, icon);
  } else {
    const uint32_t groups = record::GroupCount(node);
    for (uint32_t i = 0; i < groups; ++i)
      AppendGroupRows(list, record::GroupAt(node, i), code, shape, icon);
  }
}

void LeftPane::FillWithMusicList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryMusic, node);
}
void LeftPane::FillWithMovieList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryMovies, node);
}
void LeftPane::FillWithTVShowList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryTVShows, node);
}
void LeftPane::FillWithPodcastList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryPodcasts, node);
}
void LeftPane::FillWithAudiobookList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryAudiobooks, node);
}
void LeftPane::FillWithBookList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryBooks, node);
}
void LeftPane::FillWithSubBookList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryBookCatalog, node);
}
void LeftPane::FillWithRingtoneList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryRingtones, node);
}
void LeftPane::FillWithPlaylistList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryPlaylists, node);
}
void LeftPane::FillWithSubPlaylistList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryPlaylist, node);
}
void LeftPane::FillWithVoiceMemoList(PublicListCtrl* list, plist_t node) {
  FillPublicListView(list, kCategoryVoiceMemos, node);
}

void LeftPane::FillWithCameraRollList(PictureListCtrl* list, plist_t node) {
  AppendPictureRows(list, node);
}

void LeftPane::FillWithPhotoList(PictureListCtrl* list, plist_t node) {
  AppendPictureRows(list, node);
}

void LeftPane::FillPictureViews(const DeviceContext& context) {
  TransferApp& app = wxGetApp();
  const struct {
    const PictureCategory& category;
    plist_t node;
    PictureListCtrl* list;
    void (*fill)(PictureListCtrl*, plist_t);
  } kViews[] = {
      {kCameraRollPictures, context.camera_roll_list, app.camera_roll_list_view_,
       &FillWithCameraRollList},
      {kPhotoPictures, context.photo_list, app.photo_list_view_, &FillWithPhotoList},
  };
  for (size_t i = 0; i < 2; ++i) {
    const auto& view = kViews[i];
    PictureIconView* icons = IconView(view.category);
    // A device without the list leaves nothing of the one before.
    if (view.list) {
      CheckListCtrl::AppendBatch batch(view.list);
      view.list->DeleteAllItems();
      if (view.node) view.fill(view.list, view.node);
    }
    if (icons) icons->DeleteAllItems();
    picture_data_[i].clear();
    if (!view.node || !icons) continue;
    // A dropped thumbnail is made again once it scrolls back into view.
    icons->thumbnail_dropped_ = [icons](long item) {
      if (PictureIconViewData* data = icons->GetItemData(item)) {
        data->shown = false;
        data->dropped = true;
      }
    };
    FillWithPictureList(icons, view.node, &picture_data_[i]);
    Trace(wxString::Format("......%s image list count: %ld", view.category.name,
                           icons->GetItemCount()));
    int32_t generation = 0;
    {
      wxMutexLocker lock(view.category.count_lock);
      generation = view.category.count;
    }
    DoLoadPicture* loader = new DoLoadPicture(view.category, generation, &app.left_pane_);
    if (loader->Run() != wxTHREAD_NO_ERROR) delete loader;
  }
}

void LeftPane::FillFilterListView(FilterListCtrl* filter, PublicListCtrl* list,
                                  unsigned int column) {
  if (!filter || !list) return;
  // A hash set instead of searching the filter list once per row: a phone
  // holds thousands of artists and albums.
  wxString PublicListViewCopyItem::*field = nullptr;
  switch (column) {
    case PublicListCtrl::kTitleColumn: field = &PublicListViewCopyItem::title; break;
    case PublicListCtrl::kGenreColumn: field = &PublicListViewCopyItem::genre; break;
    case PublicListCtrl::kArtistColumn: field = &PublicListViewCopyItem::artist; break;
    case PublicListCtrl::kAlbumColumn: field = &PublicListViewCopyItem::album; break;
    default: break;
  }
  FilterValueCollector values;
  const unsigned int rows = list->GetItemCount();
  for (unsigned int row = 0; row < rows; ++row)
    values.Add(field ? list->GetRowItem(row).*field : list->GetTextValue(row, column));
  filter->AppendItems(values.values());
}

void LeftPane::SaveToPublicListViewCopy(PublicListCtrl* list,
                                        PublicListViewCopy* copy) {
  if (!list || !copy) return;
  const unsigned int rows = list->GetItemCount();
  for (unsigned int row = 0; row < rows; ++row) copy->Append(list->SnapshotItem(row));
}

void LeftPane::OnNavigationTreeRightDown(wxMouseEvent& event) {
  // The toolkit's tree selects the item under a right click, which would
  // switch the view; the popup must leave the selection alone.
  int flags = 0;
  wxTreeItemId item = navigation_tree_->HitTest(event.GetPosition(), flags);
  if (!item.IsOk() || !(flags & wxTREE_HITTEST_ONITEM)) {
    event.Skip();
    return;
  }
  navigation_tree_->SetFocus();
  wxTreeEvent click(wxEVT_TREE_ITEM_RIGHT_CLICK, navigation_tree_, item);
  click.SetPoint(event.GetPosition());
  navigation_tree_->GetEventHandler()->ProcessEvent(click);
}

void LeftPane::OnNavigationTreeCtrlRightClick(wxTreeEvent& event) {
  NavigationTreeCtrlData* data = ItemData(navigation_tree_, event.GetItem());
  if (!data || data->category == kCategoryDevice) return;
  std::unique_ptr<wxMenu> menu(CreateNavigationPopupMenu(data->category, data->node));
  if (menu->GetMenuItemCount() > 0) show_popup_menu_(navigation_tree_, menu.get());
}

wxMenu* LeftPane::CreateNavigationPopupMenu(int category, plist_t node) {
  wxMenu* menu = new wxMenu;
  int id = 0;
  const char* label = nullptr;
  bool group = false;
  for (const CategoryInfo& info : kCategories)
    if (info.code == category) {
      id = info.export_all_id;
      label = info.export_all_label;
    }
  for (const GroupExportCommand& command : kGroupExportCommands)
    if (command.code == category) {
      id = command.id;
      label = command.label;
      group = true;
    }
  if (!label) return menu;
  menu->Append(id, wxGetTranslation(label));
  // The popup's commands reach the tool bar as the File menu's do; a group
  // command carries its catalog or playlist.
  if (ToolBar* tool_bar = wxGetApp().tool_bar_)
    menu->Bind(wxEVT_MENU, &ToolBar::OnMenuExportCatalog, tool_bar, id, id,
               group ? new MenuItemData(node) : nullptr);
  return menu;
}
