#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/transfer_app.h"
#include "app/zl_app_path.h"
#include "settings/option_data.h"
#include "common/domain_face.h"
#include "device/do_detect_device.h"
#include "device_image_fixture.h"
#include "export/tool_bar.h"
#include "test_support.h"
#include "window/base/dh_word_button.h"
#include "window/base/zl_title_bar.h"
#include "window/device_info_view.h"
#include "window/left_pane.h"
#include "window/right_pane.h"
#include "window/status_bar.h"
#include "window/transfer_frame.h"

namespace {

using testsupport::DeviceImageBuilder;
using testsupport::Dict;

std::string g_warnings;
int g_exit_code = -1;

void RecordWarning(const wxString& text) { g_warnings += text.utf8_string() + "|"; }
void RecordExit(int code) { g_exit_code = code; }

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_warnings.clear();
    g_exit_code = -1;
    LeftPane::show_warning_ = RecordWarning;
    TransferFrame::exit_process_ = RecordExit;
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                         "/Themes/face.xml");
    images_ = testsupport::MakeTempDir("images");
  }

  std::string Image(const std::string& name, const std::string& id, int status,
                    const char* device_name, const char* type = "iPhone12,1") {
    DeviceImageBuilder image(images_ + "/" + name);
    image.Identifier(id).InitStatus(status);
    plist_t info = Dict({{"Type", type}},
                        {{"Catacity", 64000000000ULL}, {"Audio", 16000000000ULL},
                         {"Available", 48000000000ULL}});
    if (device_name) plist_dict_set_item(info, "DeviceName", plist_new_string(device_name));
    image.Info(info);
    return image.Write();
  }

  static std::string Id(int n) {
    char buffer[41];
    snprintf(buffer, sizeof buffer, "%040x", n);
    return buffer;
  }

  TransferFrame* MakeFrame() {
    TransferApp& app = wxGetApp();
    app.frame_ = new TransferFrame(nullptr, wxID_ANY, TransferApp::GetWindowTitle(),
                                   wxDefaultPosition, wxDefaultSize);
    return app.frame_;
  }

  // Shows the frame and lets the first idle event run its detection.
  TransferFrame* StartAndDetect() {
    TransferFrame* frame = MakeFrame();
    frame->Show(true);
    EXPECT_TRUE(testsupport::RunLoopUntil([&] {
      return frame->detection_started() && !wxGetApp().left_pane_->detecting();
    }, 10000));
    return frame;
  }

  std::string images_;
};

TEST_F(MainWindowTest, BeforeDetectionTheRegistryIsFilledAndNoViewShows) {
  TransferFrame* frame = MakeFrame();
  TransferApp& app = wxGetApp();
  EXPECT_EQ(app.tool_bar_ != nullptr && app.title_bar_ != nullptr &&
                app.left_pane_ != nullptr && app.right_pane_ != nullptr &&
                app.status_bar_ != nullptr && app.no_device_view_ != nullptr &&
                app.device_info_view_ != nullptr &&
                app.device_content_view_ != nullptr &&
                app.device_combo_box_ != nullptr && app.refresh_button_ != nullptr &&
                app.navigation_tree_ != nullptr && app.edit_menu_ != nullptr,
            true);
  EXPECT_EQ(frame->GetTitle(), "Portiva");
  EXPECT_EQ(app.title_bar_->title_text()->GetLabel(), "Portiva");
  for (int view = 0; view <= 7; ++view) EXPECT_FALSE(app.right_pane_->ZLIsShown(view));
  EXPECT_FALSE(frame->detection_started());
  frame->Destroy();
}

// Destroyed windows leave no dangling pointer behind in the registry, and
// a detection that ends after its pane is gone drops its report.
TEST_F(MainWindowTest, DestroyedWindowsLeaveTheRegistry) {
  testsupport::ConnectImages({Image("one", Id(1), 0, "Pad One", "iPad13,4")});
  TransferFrame* frame = MakeFrame();
  TransferApp& app = wxGetApp();
  ASSERT_NE(app.left_pane_, nullptr);
  app.left_pane_->ZLDetectDevice();  // the worker reports to a dying pane
  frame->Destroy();
  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return app.frame_ == nullptr; }));
  testsupport::RunLoopFor(300);
  EXPECT_EQ(app.frame_, nullptr);
  EXPECT_EQ(app.tool_bar_, nullptr);
  EXPECT_EQ(app.title_bar_, nullptr);
  EXPECT_EQ(app.left_pane_, nullptr);
  EXPECT_EQ(app.right_pane_, nullptr);
  EXPECT_EQ(app.status_bar_, nullptr);
  EXPECT_EQ(app.no_device_view_, nullptr);
  EXPECT_EQ(app.device_info_view_, nullptr);
  EXPECT_EQ(app.device_content_view_, nullptr);
  EXPECT_EQ(app.device_combo_box_, nullptr);
  EXPECT_EQ(app.refresh_button_, nullptr);
  EXPECT_EQ(app.navigation_tree_, nullptr);
  EXPECT_EQ(app.edit_menu_, nullptr);
}

// Start-up files of every hostile kind a disk can hold: the window comes up
// usable with the defaults for what it cannot read, instead of waiting on a
// pipe or stopping, and the program's own files are regular files after.
TEST_F(MainWindowTest, HostileStartUpFilesLeaveTheWindowUsable) {
  enum Kind { kPipe, kFolder, kGarbage, kDeepFace, kEmptyFace, kBadFaceValues };
  const struct {
    const char* name;
    Kind kind;
  } kCases[] = {
      {"pipes", kPipe},           {"folders", kFolder},
      {"garbage", kGarbage},      {"deep face", kDeepFace},
      {"empty face", kEmptyFace}, {"bad face values", kBadFaceValues},
  };
  const std::string options = ZLAppPath::GetOptionsFilePath().utf8_string();
  const std::string language = ZLAppPath::GetLanguageFilePath().utf8_string();
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    wxFileName::Rmdir(wxString::FromUTF8(options), wxPATH_RMDIR_RECURSIVE);
    wxFileName::Rmdir(wxString::FromUTF8(language), wxPATH_RMDIR_RECURSIVE);
    unlink(options.c_str());
    unlink(language.c_str());
    const std::string face = testsupport::MakeTempDir("face") + "/face.xml";
    std::string face_xml;
    switch (c.kind) {
      case kPipe:
        ASSERT_EQ(mkfifo(options.c_str(), 0600), 0);
        ASSERT_EQ(mkfifo(language.c_str(), 0600), 0);
        ASSERT_EQ(mkfifo(face.c_str(), 0600), 0);
        break;
      case kFolder:
        ASSERT_TRUE(wxMkdir(wxString::FromUTF8(options)));
        ASSERT_TRUE(wxMkdir(wxString::FromUTF8(language)));
        ASSERT_TRUE(wxMkdir(wxString::FromUTF8(face)));
        break;
      case kGarbage:
        {
          static const char kOptions[] = "\xff\xfe<plist\0>";
          testsupport::WriteFile(options, std::string(kOptions, sizeof kOptions - 1));
        }
        testsupport::WriteFile(language, "zz\n\x01");
        {
          static const char kFace[] = "\x89PNG\0\0<face>";
          face_xml = std::string(kFace, sizeof kFace - 1);
        }
        break;
      case kDeepFace:
        for (int i = 0; i < 20000; ++i) face_xml += "<x y=\"1\">";
        break;
      case kEmptyFace:
        break;
      case kBadFaceValues:
        face_xml =
            "<face><base-button><export-button-crop x=\"-40\" y=\"900\" "
            "width=\"0\"><font height=\"2000000\"/></export-button-crop>"
            "</base-button></face>";
        break;
    }
    if (c.kind != kPipe && c.kind != kFolder)
      testsupport::WriteFile(face, face_xml);
    ASSERT_TRUE(wxGetApp().InitBeforeFrame());
    gFaceConfigMap->clear();
    DomainFace::LoadFace(wxString::FromUTF8(face));

    TransferFrame* frame = MakeFrame();
    frame->Show(true);
    testsupport::RunLoopFor(100);
    EXPECT_TRUE(frame->IsShown());
    EXPECT_TRUE(OptionData::data_.select_folder);
    if (c.kind == kPipe || c.kind == kFolder) {
      EXPECT_EQ(frame->language(), 58);
      EXPECT_EQ(OptionData::data_.music_path,
                ZLAppPath::GetDataDir() + "/Music");
    }
    if (c.kind == kPipe) {
      // The language choice was stored as a regular file in the pipe's place.
      struct stat st;
      ASSERT_EQ(stat(language.c_str(), &st), 0);
      EXPECT_TRUE(S_ISREG(st.st_mode));
      EXPECT_EQ(testsupport::ReadFile(language), "58");
    }
    ToolBar* tool_bar = wxGetApp().tool_bar_;
    ASSERT_NE(tool_bar, nullptr);
    EXPECT_GT(tool_bar->export_button()->GetSize().GetWidth(), 0);
    frame->Destroy();
    testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
  }
  unlink(options.c_str());
  unlink(language.c_str());
  // The shipped face again for the tests that follow.
  gFaceConfigMap->clear();
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                       "/Themes/face.xml");
}

TEST_F(MainWindowTest, FirstIdleStartsExactlyOneDetection) {
  testsupport::ConnectImages({Image("one", Id(1), 0, "Pad One", "iPad13,4")});
  testing::internal::CaptureStdout();
  TransferFrame* frame = StartAndDetect();
  for (int i = 0; i < 5; ++i) {
    wxIdleEvent idle;
    frame->ProcessWindowEvent(idle);
  }
  testsupport::RunLoopFor(300);
  std::string out = testing::internal::GetCapturedStdout();
  size_t count = 0;
  for (size_t pos = out.find("Entry DoDetectDevice::Entry()"); pos != std::string::npos;
       pos = out.find("Entry DoDetectDevice::Entry()", pos + 1))
    ++count;
  EXPECT_EQ(count, 1u) << out;
  EXPECT_NE(out.find("TransferFrame::OnIdle detect device: "), std::string::npos);
  TransferApp& app = wxGetApp();
  ASSERT_EQ(app.device_combo_box_->GetCount(), 1u);
  EXPECT_EQ(app.device_combo_box_->GetString(0), "Pad One");
  EXPECT_TRUE(app.right_pane_->ZLIsShown(1));
  EXPECT_EQ(app.device_info_view_->shown_device_type(), 0);
  EXPECT_EQ(app.navigation_tree_->GetItemText(app.navigation_tree_->GetRootItem()),
            "Pad One");
  EXPECT_EQ(g_warnings, "");
  frame->Destroy();
}

TEST_F(MainWindowTest, FirstDeviceFailsSecondIsShown) {
  testsupport::ConnectImages({Image("locked", Id(2), 4, "Locked"),
                              Image("open", Id(3), 0, "Second Phone")});
  TransferFrame* frame = StartAndDetect();
  TransferApp& app = wxGetApp();
  EXPECT_EQ(g_warnings, "Device is protected by passcode,unlock it first.|");
  ASSERT_EQ(app.device_combo_box_->GetCount(), 1u);
  EXPECT_EQ(app.device_combo_box_->GetString(0), "Second Phone");
  EXPECT_EQ(app.device_combo_box_->GetSelection(), 0);
  EXPECT_TRUE(app.right_pane_->ZLIsShown(1));
  EXPECT_EQ(app.device_info_view_->name_value()->GetLabel(), "Second Phone");
  frame->Destroy();
}

TEST_F(MainWindowTest, NoDeviceOrOnlyFailingOnesKeepTheNoDeviceView) {
  const struct {
    const char* name;
    int status;
    const char* warnings;
  } cases[] = {{nullptr, 0, ""},
               {"gone", 3, "No device detected, try to connect it.|"},
               {"locked", 4, "Device is protected by passcode,unlock it first.|"}};
  for (const auto& c : cases) {
    g_warnings.clear();
    if (c.name)
      testsupport::ConnectImages({Image(c.name, Id(10 + c.status), c.status, "X")});
    else
      testsupport::ConnectImages({});
    TransferFrame* frame = StartAndDetect();
    TransferApp& app = wxGetApp();
    EXPECT_EQ(g_warnings, c.warnings);
    EXPECT_EQ(app.device_combo_box_->GetCount(), 0u);
    EXPECT_TRUE(app.right_pane_->ZLIsShown(0));
    EXPECT_TRUE(app.refresh_button_->IsEnabled());
    EXPECT_EQ(app.status_bar_->status_text()->GetLabel(), "");
    frame->Destroy();
    testsupport::RunLoopFor(50);
  }
}

TEST_F(MainWindowTest, DeviceWithoutNameIsListedAsUnknownDevice) {
  testsupport::ConnectImages({Image("anon", Id(20), 0, nullptr, "Watch")});
  TransferFrame* frame = StartAndDetect();
  TransferApp& app = wxGetApp();
  ASSERT_EQ(app.device_combo_box_->GetCount(), 1u);
  EXPECT_EQ(app.device_combo_box_->GetString(0), "Unknown Device");
  EXPECT_EQ(app.device_info_view_->shown_device_type(), 3);
  frame->Destroy();
}

TEST_F(MainWindowTest, RefreshEmptiesEverythingWhileDetectingAndFillsItAgain) {
  testsupport::ConnectImages({Image("first", Id(30), 0, "First")});
  TransferFrame* frame = StartAndDetect();
  TransferApp& app = wxGetApp();
  ASSERT_EQ(app.device_combo_box_->GetCount(), 1u);

  // A second device was plugged in meanwhile.
  testsupport::ConnectImages({Image("first", Id(30), 0, "First"),
                              Image("second", Id(31), 0, "Second")});
  wxCommandEvent click(wxEVT_BUTTON, app.refresh_button_->GetId());
  click.SetEventObject(app.refresh_button_);
  app.refresh_button_->ProcessWindowEvent(click);
  // Until the worker reports, the controls are off and nothing is listed.
  EXPECT_FALSE(app.refresh_button_->IsEnabled());
  EXPECT_FALSE(app.tool_bar_->search_entry()->IsEnabled());
  EXPECT_FALSE(app.tool_bar_->export_button()->IsEnabled());
  EXPECT_FALSE(app.tool_bar_->file_menu()->IsEnabled(wxID_EXIT));
  EXPECT_TRUE(app.tool_bar_->file_menu()->IsEnabled(5114));
  EXPECT_EQ(app.device_combo_box_->GetCount(), 0u);
  EXPECT_EQ(app.navigation_tree_->GetCount(), 0u);
  EXPECT_TRUE(app.right_pane_->ZLIsShown(0));
  EXPECT_EQ(app.status_bar_->status_text()->GetLabel(), "Detecting ...");

  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return !app.left_pane_->detecting(); }));
  EXPECT_EQ(app.device_combo_box_->GetCount(), 2u);
  EXPECT_TRUE(app.right_pane_->ZLIsShown(1));
  EXPECT_EQ(app.device_info_view_->name_value()->GetLabel(), "First");
  EXPECT_TRUE(app.refresh_button_->IsEnabled());
  EXPECT_TRUE(app.tool_bar_->search_entry()->IsEnabled());
  EXPECT_TRUE(app.tool_bar_->file_menu()->IsEnabled(wxID_EXIT));
  EXPECT_EQ(app.status_bar_->status_text()->GetLabel(), "");

  // Choosing the second device shows it.
  app.device_combo_box_->SetSelection(1);
  wxCommandEvent select(wxEVT_COMBOBOX, app.device_combo_box_->GetId());
  select.SetInt(1);
  app.left_pane_->ProcessWindowEvent(select);
  EXPECT_EQ(app.device_info_view_->name_value()->GetLabel(), "Second");
  frame->Destroy();
}

TEST_F(MainWindowTest, ViewSwitchingShowsOneViewAtATime) {
  TransferFrame* frame = MakeFrame();
  RightPane* pane = wxGetApp().right_pane_;
  for (int view = 0; view <= 7; ++view) {
    pane->ZLShowView(view);
    for (int other = 0; other <= 7; ++other) {
      bool expected = other == view || (other == 2 && view >= 2);
      EXPECT_EQ(pane->ZLIsShown(other), expected) << view << " " << other;
    }
  }
  pane->ZLShowView(6);
  pane->ZLShowView(2);
  EXPECT_TRUE(pane->ZLIsShown(6));
  for (int outside : {-1, 8, 100}) {
    pane->ZLShowView(outside);
    for (int view = 0; view <= 7; ++view) EXPECT_FALSE(pane->ZLIsShown(view));
    EXPECT_FALSE(pane->ZLIsShown(outside));
  }
  frame->Destroy();
}

TEST_F(MainWindowTest, ResizingGrowsOnlyTheClientRowAndTheMiddleColumn) {
  TransferFrame* frame = MakeFrame();
  frame->Show(true);
  testsupport::RunLoopFor(100);
  TransferApp& app = wxGetApp();
  wxWindow* client = app.left_pane_->GetParent();
  const wxSize before = frame->GetSize();
  const int title_h = app.title_bar_->GetSize().y;
  const int tool_h = app.tool_bar_->GetSize().y;
  const int status_h = app.status_bar_->GetSize().y;
  const wxSize client_before = client->GetSize();
  EXPECT_EQ(tool_h, 42);
  EXPECT_EQ(status_h, 30);
  EXPECT_EQ(title_h, 20);
  // The bold title is shown whole, not cut to the width of a plain one.
  wxStaticText* title = app.title_bar_->title_text();
  EXPECT_GE(title->GetSize().x, title->GetBestSize().x);

  frame->SetSize(before.x + 120, before.y + 80);
  frame->Layout();
  testsupport::RunLoopFor(100);
  EXPECT_EQ(app.title_bar_->GetSize().y, title_h);
  EXPECT_EQ(app.tool_bar_->GetSize().y, tool_h);
  EXPECT_EQ(app.status_bar_->GetSize().y, status_h);
  EXPECT_EQ(client->GetSize(), client_before + wxSize(120, 80));
  EXPECT_EQ(app.tool_bar_->GetSize().x, client->GetSize().x);
  // The border columns keep their width: the client starts 5 pixels in.
  EXPECT_EQ(client->GetPosition().x, 5);
  frame->Destroy();
}

TEST_F(MainWindowTest, ClosingOrQuitEndsTheProcessWithZero) {
  TransferFrame* frame = MakeFrame();
  frame->Show(true);
  wxCommandEvent quit(wxEVT_MENU, wxID_EXIT);
  wxGetApp().tool_bar_->ProcessWindowEvent(quit);
  EXPECT_EQ(g_exit_code, 0);
  g_exit_code = -1;
  frame->Close(true);
  EXPECT_EQ(g_exit_code, 0);
  frame->Destroy();
}

}  // namespace

namespace {

TEST(ExportButtonCrop, FaceCropsThatDoNotFitThePictureAreReplaced) {
  const wxSize picture(52, 30);
  const wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  const struct {
    wxRect crop;
    bool kept;
  } kCases[] = {
      {wxRect(34, 7, 4, 14), true},    {wxRect(1, 0, 50, 0), true},
      {wxRect(0, 7, 4, 0), false},     {wxRect(-40, 7, 4, 0), false},
      {wxRect(34, 7, 0, 0), false},    {wxRect(34, 7, 18, 0), false},
      {wxRect(34, 900, 4, 0), false},  {wxRect(34, -1, 4, 0), false},
      {wxRect(2147483000, 7, 2147483000, 0), false},
  };
  for (const auto& c : kCases) {
    wxRect fitted = FitExportButtonCrop(c.crop, picture, font);
    if (c.kept) {
      EXPECT_EQ(fitted, c.crop);
      continue;
    }
    EXPECT_GE(fitted.x, 1) << c.crop.x;
    EXPECT_GE(fitted.width, 1) << c.crop.width;
    EXPECT_LE(fitted.x + fitted.width, picture.x - 1);
    EXPECT_GE(fitted.y, 0);
    EXPECT_LT(fitted.y, picture.y);
  }
}

}  // namespace
