#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/mstream.h>
#include <wx/treectrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "device_image_fixture.h"
#include "export/export_item.h"
#include "export/tool_bar.h"
#include "main_window.h"
#include "test_support.h"
#include "window/device_content_view.h"
#include "window/do_load_picture.h"
#include "window/left_pane.h"
#include "window/picture_icon_view.h"
#include "window/picture_list_ctrl.h"
#include "window/right_pane.h"
#include "window/status_bar.h"
#include "window/transfer_frame.h"

namespace {

using testsupport::DeviceImageBuilder;
using testsupport::Dict;
using testsupport::FlatList;

void IgnoreWarning(const wxString&) {}

std::string Encoded(int width, int height, wxBitmapType type) {
  wxImage image(width, height);
  image.SetRGB(wxRect(0, 0, width, height), 200, 40, 40);
  wxMemoryOutputStream out;
  image.SaveFile(out, type);
  std::string bytes(out.GetSize(), '\0');
  out.CopyTo(&bytes[0], bytes.size());
  return bytes;
}

// The thumbnails the loaders finished, in order, per category.
std::vector<long> g_camera_roll_shown;
std::vector<long> g_photo_shown;
void RecordShown(const PictureCategory& category, long item, bool) {
  (&category == &kCameraRollPictures ? g_camera_roll_shown : g_photo_shown).push_back(item);
}

class PictureViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LeftPane::show_warning_ = IgnoreWarning;
    LeftPane::picture_shown_ = RecordShown;
    g_camera_roll_shown.clear();
    g_photo_shown.clear();
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                         "/Themes/face.xml");
    images_ = testsupport::MakeTempDir("pictures");
  }
  void TearDown() override {
    LeftPane::picture_shown_ = nullptr;
    if (frame_) {
      frame_->Destroy();
      testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
    }
  }

  // A phone whose camera roll holds the given pictures (path, bytes; empty
  // bytes: the file is missing on the device) and whose photos hold
  // `photos` small PNGs.
  std::string Phone(const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& pictures,
                    int photos = 0) {
    DeviceImageBuilder image(images_ + "/" + name);
    image.Identifier(std::string(40, name[0]))
        .Info(Dict({{"DeviceName", name}, {"Type", "iPhone9,1"}}));
    std::vector<plist_t> items;
    for (const auto& picture : pictures) {
      if (!picture.second.empty()) image.File(picture.first, picture.second);
      items.push_back(Dict({{"path", picture.first}, {"time", "2024-03-04 00:10:07"}},
                           {{"size", picture.second.size()}}));
    }
    image.List("CameraRoll", FlatList(items));
    std::vector<plist_t> photo_items;
    for (int i = 0; i < photos; ++i) {
      const std::string path = "/Photos/P" + std::to_string(i) + ".png";
      const std::string bytes = Encoded(30, 20, wxBITMAP_TYPE_PNG);
      image.File(path, bytes);
      photo_items.push_back(Dict({{"path", path}}, {{"size", bytes.size()}}));
    }
    image.List("Photos", FlatList(photo_items));
    return image.Write();
  }

  std::vector<std::pair<std::string, std::string>> Jpegs(int count) {
    std::vector<std::pair<std::string, std::string>> pictures;
    const std::string bytes = Encoded(40, 30, wxBITMAP_TYPE_JPEG);
    for (int i = 0; i < count; ++i)
      pictures.push_back({"/DCIM/100APPLE/IMG_" + std::to_string(1000 + i) + ".JPG", bytes});
    return pictures;
  }

  void StartAndDetect() {
    TransferApp& app = wxGetApp();
    ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(1000, 700), 10000));
    pane_ = app.left_pane_;
    icons_ = app.camera_roll_icon_view_;
    ASSERT_NE(icons_, nullptr);
  }

  wxTreeItemId Entry(CategoryCode code) {
    for (size_t i = 0; i < kCategoryCount; ++i)
      if (kCategories[i].code == code) return pane_->category_item(i);
    return wxTreeItemId();
  }

  void Choose(CategoryCode code) {
    pane_->navigation_tree()->SelectItem(Entry(code));
    testsupport::RunLoopFor(50);
  }

  bool AllShown(PictureIconView* view) {
    return testsupport::RunLoopUntil([&] { return LeftPane::IsAllPictureShow(view); }, 20000);
  }

  // Asks the navigation pane for the next Camera Roll picture as a loader
  // of the current generation would.
  LoadPictureInfo Ask() {
    LoadPictureInfo info;
    {
      wxMutexLocker lock(AppData::load_camera_roll_picture_count_lock_);
      info.generation = AppData::load_camera_roll_picture_count_;
    }
    wxThreadEvent event(wxEVT_THREAD, kCameraRollPictures.begin_id);
    event.SetPayload<LoadPictureInfo*>(&info);
    pane_->GetEventHandler()->ProcessEvent(event);
    return info;
  }

  std::string Hint() {
    return wxGetApp().status_bar_->status_text()->GetLabel().utf8_string();
  }

  std::string images_;
  TransferFrame* frame_ = nullptr;
  LeftPane* pane_ = nullptr;
  PictureIconView* icons_ = nullptr;
};

TEST_F(PictureViewsTest, EveryPictureIsTriedOnceAndOnlyDecodablePicturesShow) {
  const std::string jpeg = Encoded(40, 30, wxBITMAP_TYPE_JPEG);
  const std::string png = Encoded(30, 60, wxBITMAP_TYPE_PNG);
  testsupport::ConnectImages({Phone("alpha", {
      {"/DCIM/a.JPG", jpeg},
      {"/DCIM/b.jpeg", jpeg},
      {"/DCIM/c.png", png},
      {"/DCIM/d.heic", "not a picture at all"},
      {"/DCIM/e.JPG", ""},              // missing on the device
      {"/DCIM/f.PNG", jpeg},            // named PNG, holds a JPEG
      {"/DCIM/g.MOV", "a video"},       // never copied for a thumbnail
  }, 3)});
  StartAndDetect();
  ASSERT_EQ(icons_->GetItemCount(), 7);
  ASSERT_TRUE(AllShown(icons_));
  ASSERT_TRUE(AllShown(wxGetApp().photo_icon_view_));
  const bool expected[] = {true, true, true, false, false, true, false};
  for (long item = 0; item < 7; ++item) {
    SCOPED_TRACE(icons_->GetItemData(item)->path.utf8_string());
    EXPECT_TRUE(icons_->GetItemData(item)->shown);
    EXPECT_EQ(icons_->HasItemThumbnail(item), expected[item]);
  }
  // Each tried once, in order while the thumbnails were not on screen.
  EXPECT_EQ(g_camera_roll_shown, (std::vector<long>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(g_photo_shown, (std::vector<long>{0, 1, 2}));
  // The list view of the same pictures.
  PictureListCtrl* list = wxGetApp().camera_roll_list_view_;
  ASSERT_EQ(list->GetItemCount(), 7u);
  EXPECT_EQ(list->GetTextValue(0, PictureListCtrl::kTitleColumn), "a");
  EXPECT_EQ(list->GetTextValue(0, PictureListCtrl::kTimeColumn), "2024-03-04 00:10:07");
  EXPECT_EQ(list->GetRowData(2).path, "/DCIM/c.png");
  EXPECT_EQ(list->GetRowData(2).size, png.size());
}

TEST_F(PictureViewsTest, PicturesInViewComeFirstThenTheFirstUnshownFromTheStart) {
  const long kCount = 60;
  testsupport::ConnectImages({Phone("beta", Jpegs(kCount))});
  StartAndDetect();
  ASSERT_TRUE(AllShown(icons_));
  // The real loader is done; choices are now asked for by hand.
  BumpPictureGenerations();
  for (long item = 0; item < kCount; ++item) icons_->GetItemData(item)->shown = item < 3;
  Choose(kCategoryCameraRoll);
  ASSERT_TRUE(wxGetApp().device_content_view_->ZLIsShown(kContentCameraRollIcons));
  icons_->EnsureVisible(kCount - 1);
  icons_->ScrollToRow(icons_->GetItemRect(20).y / icons_->GetItemSpacing().y +
                      icons_->GetVisibleRowsBegin());
  testsupport::RunLoopFor(50);
  const long top = icons_->GetTopItem();
  ASSERT_GT(top, 3);
  ASSERT_LE(top, 20);
  for (long expected = top; expected < kCount; ++expected) {
    LoadPictureInfo info = Ask();
    ASSERT_FALSE(info.all_shown);
    ASSERT_EQ(info.index, expected);
    icons_->GetItemData(expected)->shown = true;
  }
  // Nothing unshown left from the top: the first unshown from item 0.
  LoadPictureInfo info = Ask();
  EXPECT_EQ(info.index, 3);
  EXPECT_EQ(info.path, icons_->GetItemData(3)->path);
  for (long item = 0; item < kCount; ++item) icons_->GetItemData(item)->shown = true;
  EXPECT_TRUE(Ask().all_shown);

  // Thumbnails dropped to bound memory come back only when in view.
  long first = 0, end = 0;
  icons_->GetVisibleRange(&first, &end);
  ASSERT_LT(end, kCount - 1);
  for (long item : {2L, top + 1, kCount - 1}) {
    icons_->GetItemData(item)->shown = false;
    icons_->GetItemData(item)->dropped = true;
  }
  info = Ask();
  EXPECT_EQ(info.index, top + 1);
  icons_->GetItemData(top + 1)->shown = true;
  info = Ask();
  EXPECT_FALSE(info.all_shown);  // the loader waits for them to scroll into view
  EXPECT_TRUE(info.no_more);
  icons_->EnsureVisible(0);
  testsupport::RunLoopFor(50);
  info = Ask();
  EXPECT_FALSE(info.no_more);
  EXPECT_EQ(info.index, 2);
  icons_->GetItemData(2)->shown = true;

  // A request of an old generation is answered without a choice.
  icons_->GetItemData(5)->shown = false;
  LoadPictureInfo stale;
  stale.generation = -7;
  stale.index = -1;
  wxThreadEvent event(wxEVT_THREAD, kCameraRollPictures.begin_id);
  event.SetPayload<LoadPictureInfo*>(&stale);
  pane_->GetEventHandler()->ProcessEvent(event);
  EXPECT_EQ(stale.index, -1);
  EXPECT_FALSE(stale.all_shown);
  EXPECT_FALSE(stale.no_more);
}

TEST_F(PictureViewsTest, AnotherDeviceStopsTheOldLoaderAndStartsFromItsFirstPicture) {
  testsupport::ConnectImages({Phone("gamma", Jpegs(30)), Phone("delta", Jpegs(5))});
  StartAndDetect();
  wxComboBox* box = pane_->device_combo_box();
  ASSERT_EQ(box->GetCount(), 2u);
  // Straight away, while the first device's pictures are loading.
  box->SetSelection(1);
  wxCommandEvent select(wxEVT_COMBOBOX, box->GetId());
  select.SetEventObject(box);
  select.SetInt(1);
  pane_->GetEventHandler()->ProcessEvent(select);
  ASSERT_EQ(icons_->GetItemCount(), 5);
  ASSERT_TRUE(AllShown(icons_));
  const size_t before = g_camera_roll_shown.size();
  ASSERT_GE(before, 5u);
  // The last five shown are the new device's, from its first picture.
  EXPECT_EQ(std::vector<long>(g_camera_roll_shown.end() - 5, g_camera_roll_shown.end()),
            (std::vector<long>{0, 1, 2, 3, 4}));
  for (long item = 0; item < 5; ++item) EXPECT_TRUE(icons_->HasItemThumbnail(item));
  // Every loader ends: the first device's at their generation check, the
  // second's when all is shown.
  EXPECT_TRUE(testsupport::RunLoopUntil([] { return DoLoadPicture::RunningCount() == 0; },
                                        10000));
}

TEST_F(PictureViewsTest, AnEmptyCameraRollEndsItsLoaderAtOnce) {
  testsupport::ConnectImages({Phone("epsilon", {})});
  StartAndDetect();
  EXPECT_EQ(icons_->GetItemCount(), 0);
  EXPECT_TRUE(testsupport::RunLoopUntil([] { return DoLoadPicture::RunningCount() == 0; },
                                        10000));
  EXPECT_TRUE(g_camera_roll_shown.empty());
}

TEST_F(PictureViewsTest, ACachedFileIsCopiedAgainAndOnlyTheThumbnailIsKept) {
  testsupport::ConnectImages({Phone("zeta", Jpegs(1))});
  StartAndDetect();
  ASSERT_TRUE(AllShown(icons_));
  BumpPictureGenerations();
  wxString device_id;
  {
    wxMutexLocker lock(AppData::current_device_list_lock_);
    device_id = AppData::current_device_list_.device_contexts[0].id;
  }
  const wxString path = icons_->GetItemData(0)->path;
  const wxString cached = PictureCachePath(device_id, kCameraRollPictures, 0, path);
  const wxString thumbnail = cached + ".thumb.png";
  // Left over from an earlier run: neither may stand for the picture.
  testsupport::WriteFile(cached.utf8_string(), "left over from an earlier run");
  wxImage red(10, 10);
  red.SetRGB(wxRect(0, 0, 10, 10), 0, 0, 255);
  red.SaveFile(thumbnail, wxBITMAP_TYPE_PNG);
  DoLoadPicture loader(kCameraRollPictures, 0, nullptr);
  LoadPictureInfo info;
  info.index = 0;
  info.path = path;
  loader.LoadOnePictureFromDevice(info);
  ASSERT_TRUE(info.loaded);
  ASSERT_NE(info.image, nullptr);
  EXPECT_EQ(info.image->GetWidth(), DoLoadPicture::kThumbnailSize);
  // The device's red picture, not the blue left-over, and only its
  // thumbnail stays in the cache.
  EXPECT_GT(info.image->GetRed(50, 50), 150);
  EXPECT_LT(info.image->GetBlue(50, 50), 100);
  EXPECT_FALSE(wxFileExists(cached));
  ASSERT_TRUE(wxFileExists(thumbnail));

  // A dropped thumbnail is made again from the cache, even with the
  // device's copy gone.
  ASSERT_TRUE(wxRemoveFile(wxString::FromUTF8(images_ + "/zeta/files") + path));
  LoadPictureInfo again;
  again.index = 0;
  again.path = path;
  again.reuse_cached = true;
  loader.LoadOnePictureFromDevice(again);
  EXPECT_TRUE(again.loaded);
  ASSERT_NE(again.image, nullptr);
  EXPECT_GT(again.image->GetRed(50, 50), 150);
}

TEST_F(PictureViewsTest, ThumbnailSelectionIsTheMarkAndTheListsShareTheirHeaderFlag) {
  testsupport::ConnectImages({Phone("eta", Jpegs(4), 2)});
  StartAndDetect();
  ASSERT_TRUE(AllShown(icons_));
  Choose(kCategoryCameraRoll);
  EXPECT_EQ(Hint(), "");
  icons_->Select(0);
  icons_->Select(2);
  testsupport::RunLoopFor(20);
  const std::string two = Hint();
  EXPECT_EQ(two.rfind("Select 2 files, total ", 0), 0u) << two;
  wxCommandEvent inverse(wxEVT_MENU, kInverseCheckedId);
  wxGetApp().tool_bar_->ProcessWindowEvent(inverse);
  EXPECT_FALSE(icons_->IsSelected(0));
  EXPECT_TRUE(icons_->IsSelected(1));
  EXPECT_FALSE(icons_->IsSelected(2));
  EXPECT_TRUE(icons_->IsSelected(3));
  EXPECT_EQ(icons_->GetSelectedItemCount(), 2);

  // The picture lists' header clicks share one flag.
  DeviceContentView::picture_header_clear_ = false;
  TransferApp& app = wxGetApp();
  PictureListCtrl* rolls = app.camera_roll_list_view_;
  PictureListCtrl* photos = app.photo_list_view_;
  auto header = [](PictureListCtrl* list) {
    wxDataViewEvent click(wxEVT_DATAVIEW_COLUMN_HEADER_CLICK, list, list->GetColumn(0));
    list->ProcessWindowEvent(click);
  };
  header(rolls);
  EXPECT_EQ(rolls->GetCheckedCount(), 4u);
  header(photos);  // clears rather than marks
  EXPECT_EQ(photos->GetCheckedCount(), 0u);
  header(photos);
  EXPECT_EQ(photos->GetCheckedCount(), 2u);
}

TEST_F(PictureViewsTest, ExportListsFromThePictureViewsTakeMarkedOrSelectedPictures) {
  testsupport::ConnectImages({Phone("iota", Jpegs(3))});
  StartAndDetect();
  PictureListCtrl* list = wxGetApp().camera_roll_list_view_;
  list->SetToggleValue(true, 1);
  icons_->Select(2);
  auto read = [](const ExportItemList& items) {
    std::vector<std::string> out;
    for (const auto& item : items)
      out.push_back(item->path.utf8_string() + "|" + item->folder_name.utf8_string() + "|" +
                    item->title.utf8_string());
    return out;
  };
  ExportItemList marked, rows, selected, thumbnails;
  ToolBar::GetExportListFromPictureCheckedItem(&marked, list);
  ToolBar::GetExportListFromPictureItem(&rows, list);
  ToolBar::GetExportListFromPictureSelectedItem(&selected, icons_);
  ToolBar::GetExportListFromPictureItem(&thumbnails, icons_);
  EXPECT_EQ(read(marked), std::vector<std::string>{"/DCIM/100APPLE/IMG_1001.JPG||IMG_1001"});
  EXPECT_EQ(read(selected), std::vector<std::string>{"/DCIM/100APPLE/IMG_1002.JPG||IMG_1002"});
  EXPECT_EQ(rows.size(), 3u);
  EXPECT_EQ(read(thumbnails), read(rows));
}

int g_exit_code = -1;
void RecordExit(int code) { g_exit_code = code; }

TEST_F(PictureViewsTest, ClosingTheWindowWhileLoadersWaitEndsTheProgramAtOnce) {
  void (*real_exit)(int) = TransferFrame::exit_process_;
  TransferFrame::exit_process_ = RecordExit;
  g_exit_code = -1;
  testsupport::ConnectImages({Phone("theta", Jpegs(30), 10)});
  StartAndDetect();
  ASSERT_GT(DoLoadPicture::RunningCount(), 0);
  frame_->Close();
  EXPECT_EQ(g_exit_code, 0);
  // Here the process would be gone. With the window destroyed instead, the
  // loaders' questions go unanswered and they end.
  frame_->Destroy();
  frame_ = nullptr;
  EXPECT_TRUE(testsupport::RunLoopUntil([] { return DoLoadPicture::RunningCount() == 0; },
                                        10000));
  TransferFrame::exit_process_ = real_exit;
}

}  // namespace
