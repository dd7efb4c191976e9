// The whole program with a phone plugged in over USB: the real device
// library and libimobiledevice against a simulated phone that serves a
// media partition written by code.
#include <dirent.h>
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/treectrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "device/device_context.h"
#include "device/device_record.h"
#include "export/do_export_device_file.h"
#include "export/tool_bar.h"
#include "export_folders.h"
#include "main_window.h"
#include "phone_fixture.h"
#include "settings/option_data.h"
#include "sim_device.h"
#include "test_support.h"
#include "window/left_pane.h"
#include "window/picture_icon_view.h"
#include "window/public_list_ctrl.h"
#include "window/transfer_frame.h"

namespace {

using testsupport::PhoneContents;
using testsupport::SimDevice;

std::vector<wxString> g_warnings;
std::vector<wxString> g_messages;

void KeepWarning(const wxString& text) { g_warnings.push_back(text); }

class UsbPhoneTest : public ::testing::Test {
 public:
  void SetUp() override {
    g_warnings.clear();
    g_messages.clear();
    LeftPane::show_warning_ = KeepWarning;
    ToolBar::message_box_ = [](const wxString& text, long) {
      g_messages.push_back(text);
      return wxNO;
    };
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
    root_ = testsupport::MakeTempDir("usb-phone");
    std::string error;
    ASSERT_TRUE(testsupport::WritePhone(root_ + "/partition", {}, &phone_, &error)) << error;
    out_ = root_ + "/out";
    saved_ = testsupport::ExportIntoFolder(out_);
  }

  void TearDown() override {
    testsupport::RunLoopUntil([] { return DoExportDeviceFile::RunningCount() == 0; }, 20000);
    OptionData::data_ = saved_;
    if (frame_) {
      frame_->Destroy();
      testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
    }
    sim_.Stop();
    // Later tests of this program see no phone again.
    setenv("USBMUXD_SOCKET_ADDRESS", "UNIX:/nonexistent/usbmuxd", 1);
  }

  void Plug(SimDevice::Mode mode = SimDevice::Mode::kNormal, bool paired = true) {
    SimDevice::Options options;
    options.root = phone_.root;
    options.mode = mode;
    options.paired = paired;
    options.device_name = "Anna's iPhone";
    ASSERT_TRUE(sim_.Start(options));
    setenv("USBMUXD_SOCKET_ADDRESS", sim_.SocketAddress().c_str(), 1);
  }

  void Start() {
    ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(1000, 700), 30000));
    pane_ = wxGetApp().left_pane_;
  }

  void Choose(CategoryCode code) {
    for (size_t i = 0; i < kCategoryCount; ++i)
      if (kCategories[i].code == code) pane_->navigation_tree()->SelectItem(pane_->category_item(i));
    testsupport::RunLoopFor(50);
  }

  void ExportButton() {
    wxCommandEvent event(wxEVT_BUTTON, kExportButtonId);
    event.SetEventObject(wxGetApp().tool_bar_);
    wxGetApp().tool_bar_->GetEventHandler()->ProcessEvent(event);
  }

  bool ExportEnded() {
    return testsupport::RunLoopUntil(
        [] {
          return DoExportDeviceFile::RunningCount() == 0 && wxGetApp().progress_dialog_ == nullptr;
        },
        30000);
  }

  std::string DeviceFile(const std::string& device_path) {
    return testsupport::ReadFile(phone_.root + device_path);
  }

  SimDevice sim_;
  PhoneContents phone_;
  std::string root_, out_;
  OptionConfig saved_;
  TransferFrame* frame_ = nullptr;
  LeftPane* pane_ = nullptr;
};

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

TEST_F(UsbPhoneTest, ThePhoneIsShownWithItsMediaAndASongAndAPictureAreExported) {
  Plug();
  Start();
  ASSERT_EQ(pane_->device_combo_box()->GetCount(), 1u);
  EXPECT_EQ(pane_->device_combo_box()->GetString(0), wxString::FromUTF8("Anna's iPhone"));
  EXPECT_TRUE(g_warnings.empty());

  const DeviceContext& phone = *CurrentDeviceContext(AppData::current_device_list_);
  EXPECT_EQ(record::String(phone.info, "Type"), wxString("iPhone14,2"));
  uint64_t sum = 0;
  for (const char* key : {"Audio", "Video", "Photos", "Others", "Available"})
    sum += record::UInt(phone.info, key);
  EXPECT_EQ(sum, record::UInt(phone.info, "Catacity"));

  // The tree counts what the partition holds.
  wxTreeCtrl* tree = pane_->navigation_tree();
  const struct {
    CategoryCode code;
    size_t count;
  } kCounts[] = {{kCategoryMusic, phone_.music.size()},
                 {kCategoryCameraRoll, phone_.camera_roll.size()},
                 {kCategoryRingtones, phone_.ringtones.size()},
                 {kCategoryPlaylists, phone_.playlists.size()}};
  for (const auto& expected : kCounts) {
    for (size_t i = 0; i < kCategoryCount; ++i) {
      if (kCategories[i].code != expected.code) continue;
      const wxString label = tree->GetItemText(pane_->category_item(i));
      EXPECT_TRUE(label.EndsWith(wxString::Format("(%zu)", expected.count))) << label;
    }
  }

  // The first song, checked and exported under its title.
  Choose(kCategoryMusic);
  PublicListCtrl* list = wxGetApp().public_list_;
  ASSERT_EQ(list->GetItemCount(), phone_.music.size());
  list->SetToggleValue(true, 0);
  const std::string title = list->GetTextValue(0, 2).utf8_string();
  ExportButton();
  ASSERT_TRUE(ExportEnded());
  const testsupport::PhoneTrack* song = nullptr;
  for (const auto& track : phone_.music)
    if (track.title == title) song = &track;
  ASSERT_NE(song, nullptr) << title;
  const std::string extension = song->path.substr(song->path.rfind('.'));
  EXPECT_EQ(testsupport::ReadFile(out_ + "/Music/" + title + extension), DeviceFile(song->path));

  // A picture chosen in the thumbnails.
  Choose(kCategoryCameraRoll);
  PictureIconView* view = wxGetApp().camera_roll_icon_view_;
  ASSERT_TRUE(testsupport::RunLoopUntil([&] { return LeftPane::IsAllPictureShow(view); }, 30000));
  view->Select(0);
  ExportButton();
  ASSERT_TRUE(ExportEnded());
  const std::string picture = phone_.camera_roll[0].path;
  EXPECT_EQ(testsupport::ReadFile(out_ + "/Camera Roll/" + FileName(picture)), DeviceFile(picture));
  ASSERT_EQ(g_messages.size(), 2u);
  EXPECT_EQ(g_messages[1], "Export finished! Would you like to open the export folder now?");
}

TEST_F(UsbPhoneTest, ALockedPhoneIsNamedAndComesUpOnceUnlockedAndRefreshed) {
  Plug(SimDevice::Mode::kLocked, /*paired=*/false);
  Start();
  ASSERT_EQ(g_warnings.size(), 1u);
  EXPECT_EQ(g_warnings[0], "Device is protected by passcode,unlock it first.");
  EXPECT_EQ(pane_->device_combo_box()->GetCount(), 0u);

  // Unlocked, and "Trust" tapped: Refresh finds it.
  sim_.SetMode(SimDevice::Mode::kNormal);
  wxCommandEvent refresh(wxEVT_BUTTON, pane_->refresh_button()->GetId());
  pane_->GetEventHandler()->ProcessEvent(refresh);
  ASSERT_TRUE(testsupport::RunLoopUntil(
      [&] { return pane_->device_combo_box()->GetCount() == 1u; }, 30000));
  EXPECT_TRUE(sim_.HasPairRecord());
}

TEST_F(UsbPhoneTest, APhoneUnpluggedDuringAnExportLeavesNoFileAndTheEndSaysSo) {
  Plug();
  Start();
  Choose(kCategoryMusic);
  sim_.Unplug();
  wxGetApp().public_list_->SetToggleValue(true, 0);
  ExportButton();
  ASSERT_TRUE(ExportEnded());
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_TRUE(g_messages[0].StartsWith("Exported 0 of 1 file.")) << g_messages[0];
  std::vector<std::string> left;
  if (DIR* dir = opendir((out_ + "/Music").c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') left.push_back(entry->d_name);
    closedir(dir);
  }
  EXPECT_TRUE(left.empty()) << ::testing::PrintToString(left);
}

}  // namespace
