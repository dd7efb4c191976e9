// The interface language switched at run time with the real catalogs.
#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/treectrl.h>

#include <string>

#include "app/category_table.h"
#include "app/transfer_app.h"
#include "app/zl_app_path.h"
#include "common/domain_face.h"
#include "device_image_fixture.h"
#include "export/tool_bar.h"
#include "main_window.h"
#include "test_support.h"
#include "window/base/dh_word_button.h"
#include "window/left_pane.h"
#include "window/transfer_frame.h"

namespace {

using testsupport::ArrayOf;
using testsupport::DeviceImageBuilder;
using testsupport::Dict;
using testsupport::FlatList;
using testsupport::Group;

void IgnoreWarning(const wxString&) {}

class LanguageSwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LeftPane::show_warning_ = IgnoreWarning;
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
    if (wxFileExists(ZLAppPath::GetLanguageFilePath())) wxRemoveFile(ZLAppPath::GetLanguageFilePath());
    DeviceImageBuilder image(testsupport::MakeTempDir("language") + "/phone");
    image.Identifier(std::string(40, 'a'))
        .Info(Dict({{"DeviceName", "Phone"}}))
        .List("Music", FlatList({Dict({{"title", "One"}, {"path", "/m/1.mp3"}})}))
        // A catalog named like a category keeps its own name.
        .List("Books", ArrayOf({Group("catalog", "Music", {Dict({{"title", "B"}})})}));
    testsupport::ConnectImages({image.Write()});
  }
  void TearDown() override {
    if (frame_) {
      frame_->Destroy();
      testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
    }
    // The tests after these start in English again.
    if (wxFileExists(ZLAppPath::GetLanguageFilePath())) wxRemoveFile(ZLAppPath::GetLanguageFilePath());
  }

  // The user picks a Language item: its radio group checks it, the tool
  // bar hears the command.
  void Choose(int code) {
    ToolBar* tool_bar = wxGetApp().tool_bar_;
    tool_bar->language_menu()->Check(code, true);
    wxCommandEvent pick(wxEVT_MENU, code);
    pick.SetEventObject(tool_bar);
    tool_bar->GetEventHandler()->ProcessEvent(pick);
    ASSERT_TRUE(testsupport::RunLoopUntil([&] { return frame_->language() == code; }));
    testsupport::RunLoopFor(50);
  }

  int CheckedLanguages() {
    int checked = 0;
    for (wxMenuItem* item : wxGetApp().tool_bar_->language_menu()->GetMenuItems())
      if (item->IsChecked()) ++checked;
    return checked;
  }

  wxString CategoryLabel(size_t index) {
    return frame_ ? wxGetApp().left_pane_->navigation_tree()->GetItemText(
                        wxGetApp().left_pane_->category_item(index))
                  : wxString();
  }

  TransferFrame* frame_ = nullptr;
};

TEST_F(LanguageSwitchTest, EachLanguageRetranslatesEveryWindowAtOnceAndIsKept) {
  ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(1000, 700)));
  EXPECT_EQ(testsupport::ReadFile(ZLAppPath::GetLanguageFilePath().utf8_string()), "58");
  EXPECT_EQ(frame_->language(), 58);
  ToolBar* tool_bar = wxGetApp().tool_bar_;
  EXPECT_TRUE(tool_bar->language_menu()->IsChecked(58));
  EXPECT_EQ(tool_bar->file_menu()->GetLabelText(5100), "Export All Music");
  EXPECT_EQ(CategoryLabel(0), "Music (1)");

  const struct {
    int code;
    const char* export_all_music;  // from the catalogs, as the user reads it
  } kLanguages[] = {
      {89, "Gesamte Musik exportieren"},
      {112, "\xe3\x83\x9f\xe3\x83\xa5\xe3\x83\xbc\xe3\x82\xb8\xe3\x83\x83\xe3\x82\xaf\xe3\x82\x92"
            "\xe3\x81\x99\xe3\x81\xb9\xe3\x81\xa6\xe3\x82\xa8\xe3\x82\xaf\xe3\x82\xb9\xe3\x83\x9d"
            "\xe3\x83\xbc\xe3\x83\x88"},
      {80, nullptr}, {110, nullptr}, {46, nullptr}, {47, nullptr}, {58, "Export All Music"},
  };
  for (const auto& language : kLanguages) {
    SCOPED_TRACE(language.code);
    // Detection disables entries; a language change rebuilds the menus
    // with every entry enabled.
    tool_bar->ZLEnableAllMenuItem(false);
    Choose(language.code);
    EXPECT_EQ(testsupport::ReadFile(ZLAppPath::GetLanguageFilePath().utf8_string()),
              std::to_string(language.code));
    EXPECT_EQ(tool_bar->language(), language.code);
    EXPECT_EQ(CheckedLanguages(), 1);
    EXPECT_TRUE(tool_bar->language_menu()->IsChecked(language.code));
    EXPECT_TRUE(tool_bar->file_menu()->IsEnabled(5100));
    const wxString export_all = tool_bar->file_menu()->GetLabelText(5100);
    if (language.export_all_music)
      EXPECT_EQ(export_all, wxString::FromUTF8(language.export_all_music));
    else
      EXPECT_NE(export_all, "Export All Music");
    // Category labels follow the language; a catalog keeps its own name.
    EXPECT_EQ(CategoryLabel(0), wxGetTranslation("Music") + " (1)");
    wxTreeCtrl* tree = wxGetApp().left_pane_->navigation_tree();
    wxTreeItemIdValue cookie;
    const wxTreeItemId catalog = tree->GetFirstChild(wxGetApp().left_pane_->category_item(5), cookie);
    EXPECT_EQ(tree->GetItemText(catalog), "Music (1)");
    EXPECT_EQ(tool_bar->export_button()->text(), wxGetTranslation("Export"));
    if (language.code != 58) {
      EXPECT_NE(wxGetTranslation("Export"), "Export");
    }
    // The language names never change.
    EXPECT_EQ(tool_bar->language_menu()->GetLabelText(89), "Deutsch");
  }
}

TEST_F(LanguageSwitchTest, TheNextStartComesUpInTheKeptLanguage) {
  testsupport::WriteFile(ZLAppPath::GetLanguageFilePath().utf8_string(), "80");
  ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(1000, 700)));
  EXPECT_EQ(frame_->language(), 80);
  EXPECT_TRUE(wxGetApp().tool_bar_->language_menu()->IsChecked(80));
  EXPECT_EQ(CategoryLabel(0), wxString::FromUTF8("Musique (1)"));
}

}  // namespace
