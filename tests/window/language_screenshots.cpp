// Not a test: opens every window and dialog of the program in each of the
// seven languages and saves a screenshot of each, for a person to look at.
//   PORTIVA_SHOTS=/tmp/shots xvfb-run -a -s "-screen 0 1600x1000x24"
//     build/tests/window/language_screenshots
// The dialogs are the real ones, opened by their commands: each is shot
// while it is up and then closed, the toolkit's native message boxes
// through their GTK dialog.
#include <gtk/gtk.h>
#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include <sys/stat.h>

#include "app/my_event.h"
#include "app/transfer_app.h"
#include "app/zl_app_path.h"
#include "common/domain_face.h"
#include "device_image_fixture.h"
#include "export/tool_bar.h"
#include "main_window.h"
#include "screen_capture.h"
#include "settings/domain_language.h"
#include "settings/domain_option.h"
#include "settings/option_data.h"
#include "test_support.h"
#include "window/left_pane.h"
#include "window/picture_icon_view.h"
#include "window/transfer_frame.h"

namespace {

const std::map<int, std::string> kLanguageNames = {
    {89, "de"}, {58, "en"}, {80, "fr"}, {110, "it"}, {112, "ja"}, {46, "zh_CN"}, {47, "zh_TW"}};

std::string ShotsFolder() {
  const char* dir = getenv("PORTIVA_SHOTS");
  return dir && *dir ? dir : "shots";
}

void Save(const std::string& name) {
  testsupport::CaptureScreen(wxRect(0, 0, 1300, 820))
      .SaveFile(wxString::FromUTF8(ShotsFolder() + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
  printf("saved %s.png\n", name.c_str());
}

void ShootWindow(wxWindow* frame, const std::string& name) {
  frame->Refresh();
  frame->Update();
  testsupport::RunLoopFor(400);
  Save(name);
}

// The native message box now up, if any.
GtkWidget* ShownMessageBox() {
  GtkWidget* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next) {
    GtkWidget* widget = GTK_WIDGET(w->data);
    if (GTK_IS_MESSAGE_DIALOG(widget) && gtk_widget_get_visible(widget)) found = widget;
  }
  g_list_free(windows);
  return found;
}

wxDialog* ShownModalDialog() {
  for (wxWindow* window : wxTopLevelWindows) {
    wxDialog* dialog = dynamic_cast<wxDialog*>(window);
    if (dialog && dialog->IsModal() && dialog->IsShown() && !dynamic_cast<wxMessageDialog*>(dialog))
      return dialog;
  }
  return nullptr;
}

// Shoots the next dialog that comes up, a while after it appeared so that
// it is painted, and closes it. Runs from a timer, so it also catches a
// dialog shown inside a command's own modal loop.
class DialogShooter {
 public:
  explicit DialogShooter(const std::string& name) : name_(name) {
    timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Look(); });
    timer_.Start(100);
  }
  bool done() const { return done_; }

 private:
  void Look() {
    if (done_) return;
    GtkWidget* box = ShownMessageBox();
    wxDialog* dialog = box ? nullptr : ShownModalDialog();
    if (!box && !dialog) return;
    if (++ticks_ < 6) return;
    Save(name_);
    done_ = true;
    timer_.Stop();
    if (box)
      gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_NO);
    else
      dialog->EndModal(wxID_CANCEL);
  }

  std::string name_;
  wxTimer timer_;
  int ticks_ = 0;
  bool done_ = false;
};

// Runs command, which shows a dialog, and shoots that dialog.
void ShootDialog(const std::string& name, const std::function<void()>& command) {
  DialogShooter shooter(name);
  command();
  EXPECT_TRUE(testsupport::RunLoopUntil([&] { return shooter.done(); }, 10000)) << name;
  testsupport::RunLoopFor(200);
}

void Menu(int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  wxGetApp().tool_bar_->ProcessWindowEvent(event);
}

void UpdateAnswer(const wxString& published) {
  wxCommandEvent event(wxEVT_CHECK_FOR_UPDATE, 0);
  event.SetString(published);
  wxGetApp().frame_->ProcessWindowEvent(event);
}

void CloseMainWindow(TransferFrame* frame) {
  frame->Destroy();
  testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
}

// A phone that cannot be opened, for the detection's warning, and a slow
// one for the progress dialog.
struct Images {
  std::string locked;
  std::string slow;
};

Images MakeImages() {
  Images images;
  const std::string base = testsupport::MakeTempDir("shots-images");
  images.locked = testsupport::DeviceImageBuilder(base + "/locked")
                      .Identifier("0000000000000000000000000000000000000001")
                      .InitStatus(4)
                      .Write();
  testsupport::DeviceImageBuilder slow(base + "/slow");
  slow.Identifier("0000000000000000000000000000000000000002")
      .Info(testsupport::Dict({{"DeviceName", "Pad"}, {"Type", "iPad"}, {"Version", "17.2"}},
                              {{"Catacity", 64ull << 30}, {"Available", 20ull << 30}}))
      .Setting("ThrottleBytesPerSecond", plist_new_uint(400000));
  std::vector<plist_t> songs;
  for (int i = 1; i <= 4; ++i) {
    const std::string path = "/Music/song" + std::to_string(i) + ".mp3";
    slow.File(path, std::string(600000, 'x'));
    songs.push_back(testsupport::Dict(
        {{"title", "Song " + std::to_string(i)}, {"path", path}, {"artist", "Band"}},
        {{"size", 600000}, {"time", 200000}}));
  }
  slow.List("Music", testsupport::FlatList(songs));
  images.slow = slow.Write();
  return images;
}

void ShootLanguage(int language, const Images& images) {
  const std::string lang = kLanguageNames.at(language);
  DomainLanguage::SetDefaultLanguage(language);
  TransferApp& app = wxGetApp();

  // The demo phone, and a locked one whose warning comes up as the
  // detection ends.
  testsupport::ConnectImages({testsupport::BuildRoot() + "/demo-device", images.locked});
  TransferFrame* frame = nullptr;
  {
    DialogShooter warning(lang + "-0-warning");
    ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(1100, 720), 30000, wxPoint(0, 0)));
    frame->Move(0, 0);
    EXPECT_TRUE(testsupport::RunLoopUntil([&] { return warning.done(); }, 10000));
  }
  ShootWindow(frame, lang + "-1-device-info");

  LeftPane* pane = app.left_pane_;
  wxTreeCtrl* tree = pane->navigation_tree();
  tree->SelectItem(pane->category_item(0));
  ShootWindow(frame, lang + "-2-music-filters");

  tree->SelectItem(pane->category_item(9));
  testsupport::RunLoopUntil([&] { return LeftPane::IsAllPictureShow(app.camera_roll_icon_view_); },
                            60000);
  ShootWindow(frame, lang + "-3-camera-roll");

  ShootDialog(lang + "-4-options", [] { Menu(kOptionsId); });
  ShootDialog(lang + "-5-about", [] { Menu(wxID_ABOUT); });
  ShootDialog(lang + "-6-update-failed", [] { UpdateAnswer(""); });
  ShootDialog(lang + "-7-update-newer", [] { UpdateAnswer("999.0"); });
  ShootDialog(lang + "-8-update-latest", [] { UpdateAnswer(ProductVersion::GetVersion()); });
  CloseMainWindow(frame);

  // An export from the slow phone: its progress, then its completion.
  testsupport::ConnectImages({images.slow});
  ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(1100, 720), 30000, wxPoint(0, 0)));
  frame->Move(0, 0);
  // Straight into the Music folder, and the question at the end.
  OptionData::data_.select_folder = false;
  OptionData::data_.show_finished = true;
  {
    DialogShooter finished(lang + "-a-export-finished");
    Menu(kFirstExportCatalogId);  // all Music
    testsupport::RunLoopFor(2500);
    Save(lang + "-9-progress");
    EXPECT_TRUE(testsupport::RunLoopUntil([&] { return finished.done(); }, 30000));
  }
  CloseMainWindow(frame);
}

TEST(LanguageScreenshots, EveryWindowInEveryLanguage) {
  mkdir(ShotsFolder().c_str(), 0777);
  ToolBar::open_page_ = [](const wxString&) {};
  ToolBar::open_folder_ = [](const wxString&) {};
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
  // The options as start-up reads them, so the dialog shows the folders.
  ASSERT_TRUE(OptionData::Init());
  const Images images = MakeImages();
  // PORTIVA_SHOTS_LANGUAGES=de,ja shoots only those.
  const char* only = getenv("PORTIVA_SHOTS_LANGUAGES");
  for (int language : DomainLanguage::match_la_) {
    if (only && ("," + std::string(only) + ",").find("," + kLanguageNames.at(language) + ",") ==
                    std::string::npos)
      continue;
    SCOPED_TRACE(language);
    ShootLanguage(language, images);
  }
  wxRemoveFile(ZLAppPath::GetLanguageFilePath());
}

}  // namespace
