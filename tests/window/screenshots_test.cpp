// Not a test: saves screenshots of the content views on the demo device for
// a person to look at, in English and in German.
//   PORTIVA_SHOTS=/tmp/shots window_tests --gtest_also_run_disabled_tests
//     --gtest_filter='*Screenshots*'
#include <gtest/gtest.h>
#include <wx/srchctrl.h>
#include <wx/treectrl.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/category_table.h"
#include "app/transfer_app.h"
#include "catalog_in_memory.h"
#include "common/domain_face.h"
#include "export/tool_bar.h"
#include "screen_capture.h"
#include "main_window.h"
#include "test_support.h"
#include "window/device_content_view.h"
#include "window/filter_list_ctrl.h"
#include "window/left_pane.h"
#include "window/picture_icon_view.h"
#include "window/public_list_ctrl.h"
#include "window/transfer_frame.h"

namespace {

void IgnoreWarning(const wxString&) {}

void Shoot(wxWindow* frame, const std::string& name) {
  frame->Refresh();
  frame->Update();
  testsupport::RunLoopFor(300);
  const char* dir = getenv("PORTIVA_SHOTS");
  testsupport::CaptureWindow(frame).SaveFile(
      wxString::FromUTF8(std::string(dir) + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
}

void ShootLanguage(const std::string& language) {
  TransferApp& app = wxGetApp();
  TransferFrame* frame = nullptr;
  ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(1100, 720), 20000, wxPoint(0, 0)));
  LeftPane* pane = app.left_pane_;
  wxTreeCtrl* tree = pane->navigation_tree();
  Shoot(frame, language + "-1-tree");
  tree->SelectItem(pane->category_item(0));
  testsupport::RunLoopFor(200);
  Shoot(frame, language + "-2-music-filters");
  app.tool_bar_->search_entry()->SetValue("a");
  testsupport::RunLoopFor(200);
  Shoot(frame, language + "-3-search");
  app.tool_bar_->search_entry()->SetValue("");
  FilterListCtrl* genres = app.device_content_view_->genre_filter_list();
  genres->SelectRow(1);
  wxDataViewEvent chosen(wxEVT_DATAVIEW_SELECTION_CHANGED, genres, genres->RowToItem(1));
  genres->ProcessWindowEvent(chosen);
  app.public_list_->SetToggleValue(true, 0);
  app.public_list_->SetToggleValue(true, 1);
  testsupport::RunLoopFor(200);
  Shoot(frame, language + "-4-filtered-checked");
  wxCommandEvent list_view(wxEVT_BUTTON, kListViewButtonId);
  app.tool_bar_->ProcessWindowEvent(list_view);
  testsupport::RunLoopFor(200);
  Shoot(frame, language + "-5-list-view");
  tree->SelectItem(pane->category_item(9));  // Camera Roll
  testsupport::RunLoopFor(100);
  Shoot(frame, language + "-6-camera-roll-loading");
  testsupport::RunLoopUntil([&] { return LeftPane::IsAllPictureShow(app.camera_roll_icon_view_); },
                            60000);
  Shoot(frame, language + "-7-camera-roll");
  app.camera_roll_icon_view_->Select(1);
  app.camera_roll_icon_view_->Select(3);
  Shoot(frame, language + "-7b-camera-roll-selected");
  app.camera_roll_icon_view_->EnsureVisible(app.camera_roll_icon_view_->GetItemCount() / 2);
  Shoot(frame, language + "-7c-camera-roll-halfway");
  wxCommandEvent to_list(wxEVT_BUTTON, kListViewButtonId);
  app.tool_bar_->ProcessWindowEvent(to_list);
  testsupport::RunLoopFor(200);
  Shoot(frame, language + "-8-camera-roll-list");
  tree->SelectItem(pane->category_item(10));  // Photos
  testsupport::RunLoopUntil([&] { return LeftPane::IsAllPictureShow(app.photo_icon_view_); },
                            60000);
  Shoot(frame, language + "-9-photos");
  app.tool_bar_->ProcessWindowEvent(to_list);
  testsupport::RunLoopFor(200);
  Shoot(frame, language + "-9b-photos-list");
  frame->Destroy();
  testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
}

TEST(ContentScreenshots, DISABLED_Screenshots) {
  ASSERT_NE(getenv("PORTIVA_SHOTS"), nullptr);
  LeftPane::show_warning_ = IgnoreWarning;
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
  setenv("PORTIVA_DEVICE_IMAGES", (testsupport::BuildRoot() + "/demo-device").c_str(), 1);
  ShootLanguage("en");

  std::unique_ptr<wxTranslations> german(new wxTranslations);
  german->SetLoader(new testsupport::CatalogInMemory(testsupport::MessageCatalog({
      {"Music", "Musik"}, {"Movies", "Filme"}, {"TV Shows", "TV-Sendungen"},
      {"Podcasts", "Podcasts"}, {"Audiobooks", "H\xc3\xb6rb\xc3\xbc" "cher"},
      {"Books", "B\xc3\xbc" "cher"}, {"Ringtones", "Klingelt\xc3\xb6ne"},
      {"Playlists", "Wiedergabelisten"}, {"Voice Memos", "Sprachmemos"},
      {"Camera Roll", "Aufnahmen"}, {"Photos", "Fotos"},
      {"Type", "Typ"}, {"Title", "Titel"}, {"Time", "Dauer"}, {"Size", "Gr\xc3\xb6\xc3\x9f" "e"},
      {"Genres", "Genres"}, {"Artists", "Interpreten"}, {"Albums", "Alben"},
      {"Search", "Suchen"}, {"Export", "Exportieren"}, {"Refresh", "Aktualisieren"},
      {", total %s", ", insgesamt %s"}})));
  german->SetLanguage("de");
  ASSERT_TRUE(german->AddCatalog("language"));
  wxTranslations::Set(german.release());
  ShootLanguage("de");
  wxTranslations::Set(nullptr);
}

// A large camera roll while its thumbnails load: PORTIVA_SHOTS_DEVICE names
// the phone (e.g. one made with demo_device_gen --camera-roll 2000).
TEST(ContentScreenshots, DISABLED_CameraRollLoading) {
  const char* device = getenv("PORTIVA_SHOTS_DEVICE");
  ASSERT_NE(getenv("PORTIVA_SHOTS"), nullptr);
  ASSERT_NE(device, nullptr);
  LeftPane::show_warning_ = IgnoreWarning;
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
  setenv("PORTIVA_DEVICE_IMAGES", device, 1);
  TransferApp& app = wxGetApp();
  TransferFrame* frame = nullptr;
  ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(1100, 720), 60000, wxPoint(0, 0)));
  LeftPane* pane = app.left_pane_;
  pane->navigation_tree()->SelectItem(pane->category_item(9));  // Camera Roll
  app.camera_roll_icon_view_->EnsureVisible(600);
  testsupport::RunLoopFor(150);
  Shoot(frame, "loading");
  frame->Destroy();
  testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
}

}  // namespace
