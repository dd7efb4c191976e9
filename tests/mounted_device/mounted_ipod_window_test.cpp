// The whole program on a classic iPod mounted as a disk: found through the
// mount table, shown with the iPod's picture, a song exported by the real
// worker.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <wx/combobox.h>
#include <wx/progdlg.h>
#include <wx/treectrl.h>

#include <fstream>
#include <string>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "export/do_export_device_file.h"
#include "export/tool_bar.h"
#include "ipod_fixture.h"
#include "export_folders.h"
#include "main_window.h"
#include "screen_capture.h"
#include "settings/option_data.h"
#include "test_support.h"
#include "window/device_info_view.h"
#include "window/left_pane.h"
#include "window/public_list_ctrl.h"
#include "window/right_pane.h"
#include "window/transfer_frame.h"

namespace {

void IgnoreWarning(const wxString&) {}

class MountedIpodWindowTest : public ::testing::Test {
 public:
  void SetUp() override {
    LeftPane::show_warning_ = IgnoreWarning;
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
    root_ = testsupport::MakeTempDir("mounted-ipod");
    out_ = root_ + "/out";
    saved_ = testsupport::ExportIntoFolder(out_);
    ToolBar::message_box_ = [](const wxString&, long) { return static_cast<int>(wxNO); };
    ToolBar::open_folder_ = [](const wxString&) {};
  }

  void TearDown() override {
    testsupport::RunLoopUntil([] { return DoExportDeviceFile::RunningCount() == 0; }, 20000);
    OptionData::data_ = saved_;
    if (frame_) {
      frame_->Destroy();
      testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
    }
    // Later tests see no mounted device again, not this machine's own.
    setenv("PORTIVA_MOUNT_TABLE", "/nonexistent/mounts", 1);
    setenv("PORTIVA_GVFS_ROOT", "/nonexistent/gvfs", 1);
  }

  std::string root_, out_;
  OptionConfig saved_;
  TransferFrame* frame_ = nullptr;
};

TEST_F(MountedIpodWindowTest, AMountedIpodIsShownWithItsPictureAndASongExports) {
  testsupport::IpodOptions ipod;
  ipod.tracks = testsupport::EveryKindOfTrack();
  ipod.playlists = testsupport::SomePlaylists();
  ipod.photos = testsupport::TwoPhotos();
  std::string error;
  const std::string folder = root_ + "/IPOD";
  ASSERT_TRUE(testsupport::WriteIpod(folder, &ipod, &error)) << error;
  testsupport::WriteFile(root_ + "/mounts", "/dev/sdb1 " + folder + " vfat rw 0 0\n");
  setenv("PORTIVA_MOUNT_TABLE", (root_ + "/mounts").c_str(), 1);
  setenv("PORTIVA_GVFS_ROOT", (root_ + "/no-gvfs").c_str(), 1);

  TransferApp& app = wxGetApp();
  ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(1000, 700), 20000));
  ASSERT_EQ(AppData::current_device_list_.device_count, 1);
  const DeviceContext& ipod_record = AppData::current_device_list_.device_contexts[0];
  EXPECT_TRUE(ipod_record.valid);
  EXPECT_EQ(ipod_record.type, "path");
  ASSERT_EQ(app.device_combo_box_->GetCount(), 1u);
  EXPECT_EQ(app.device_combo_box_->GetString(0), "Test iPod");
  EXPECT_TRUE(app.right_pane_->ZLIsShown(kDeviceInfoView));
  EXPECT_EQ(app.device_info_view_->shown_device_type(), 2);  // the iPod's picture
  // PORTIVA_SHOTS=DIR saves the window for a person to look at.
  if (const char* shots = getenv("PORTIVA_SHOTS")) {
    testsupport::RunLoopFor(300);
    testsupport::CaptureWindow(frame_).SaveFile(
        wxString::FromUTF8(std::string(shots) + "/ipod-device-info.png"), wxBITMAP_TYPE_PNG);
  }

  // Music, the first song checked and exported.
  LeftPane* pane = app.left_pane_;
  for (size_t i = 0; i < kCategoryCount; ++i)
    if (kCategories[i].code == kCategoryMusic)
      pane->navigation_tree()->SelectItem(pane->category_item(i));
  testsupport::RunLoopFor(50);
  PublicListCtrl* list = app.public_list_;
  ASSERT_EQ(list->GetItemCount(), 3u);
  list->SetToggleValue(true, 0);
  wxCommandEvent command(wxEVT_BUTTON, kExportButtonId);
  command.SetEventObject(app.tool_bar_);
  app.tool_bar_->GetEventHandler()->ProcessEvent(command);
  ASSERT_TRUE(testsupport::RunLoopUntil(
      [&] { return DoExportDeviceFile::RunningCount() == 0 && app.progress_dialog_ == nullptr; },
      20000));
  EXPECT_EQ(testsupport::ReadFile(out_ + "/Music/Song.wav"), ipod.tracks[0].content);
}

}  // namespace
