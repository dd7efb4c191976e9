#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/filefn.h>
#include <wx/textctrl.h>

#include <string>
#include <vector>

#include "app/category_table.h"
#include "app/zl_app_path.h"
#include "settings/option_data.h"
#include "settings/option_dialog.h"
#include "test_support.h"

namespace {

std::vector<wxString> g_initial;  // what each chooser was opened on
bool g_confirm = true;
wxString g_chosen;

class OptionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = OptionData::data_;
    if (wxFileExists(ZLAppPath::GetOptionsFilePath())) wxRemoveFile(ZLAppPath::GetOptionsFilePath());
    OptionData::data_.select_folder = true;
    OptionData::data_.show_finished = false;
    for (const CategoryInfo& category : kCategories)
      OptionData::data_.*category.folder = wxString("/home/u/Export\\ed") + category.default_folder;
    g_initial.clear();
    g_confirm = true;
    OptionDialog::choose_folder_ = [](wxString* folder) {
      g_initial.push_back(*folder);
      if (g_confirm) *folder = g_chosen;
      return g_confirm;
    };
    dialog_ = new OptionDialog(nullptr, wxID_ANY, "Option");
    dialog_->Show();
    dialog_->InitDialog();
    testsupport::RunLoopFor(50);
  }
  void TearDown() override {
    dialog_->Destroy();
    testsupport::RunLoopFor(20);
    OptionData::data_ = saved_;
  }
  void Press(int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(dialog_->FindWindow(id));
    dialog_->GetEventHandler()->ProcessEvent(click);
  }
  std::string OptionsFile() {
    return testsupport::ReadFile(ZLAppPath::GetOptionsFilePath().utf8_string());
  }

  OptionConfig saved_;
  OptionDialog* dialog_ = nullptr;
};

TEST_F(OptionDialogTest, ShowsTheOptionsAsTheyAreAndOkKeepsThemAllInOrder) {
  EXPECT_TRUE(dialog_->select_folder_box()->GetValue());
  EXPECT_FALSE(dialog_->show_finished_box()->GetValue());
  for (size_t i = 0; i < kCategoryCount; ++i)
    EXPECT_EQ(dialog_->folder_text(i)->GetValue(),
              wxString("/home/u/Export\\ed") + kCategories[i].default_folder);
  const OptionConfig before = OptionData::data_;
  ASSERT_FALSE(wxFileExists(ZLAppPath::GetOptionsFilePath()));
  Press(kOptionOkId);
  // Unchanged, backslash and all, and all thirteen entries written in order.
  EXPECT_EQ(OptionData::data_.music_path, before.music_path);
  EXPECT_EQ(OptionData::data_.photo_path, before.photo_path);
  const std::string file = OptionsFile();
  size_t at = file.find("<key>select-folder</key>");
  ASSERT_NE(at, std::string::npos);
  at = file.find("<key>show-finished</key>", at);
  ASSERT_NE(at, std::string::npos);
  for (const CategoryInfo& category : kCategories) {
    at = file.find(std::string("<key>") + category.options_key + "</key>", at);
    ASSERT_NE(at, std::string::npos) << category.options_key;
    EXPECT_NE(file.find("Export\\ed" + std::string(category.default_folder), at), std::string::npos);
  }
  EXPECT_FALSE(dialog_->IsShown());
}

TEST_F(OptionDialogTest, TheFolderButtonsAndTheBoxesChangeOnlyOnOk) {
  g_chosen = "/media/disk/Tunes";
  Press(kFirstChangeFolderId);  // Music
  ASSERT_EQ(g_initial, std::vector<wxString>{"/home/u/Export\\ed/Music"});
  EXPECT_EQ(dialog_->music_text()->GetValue(), "/media/disk/Tunes");
  g_confirm = false;
  Press(kLastChangeFolderId);  // Photos, chooser cancelled: the field stays
  EXPECT_EQ(dialog_->folder_text(kCategoryCount - 1)->GetValue(), "/home/u/Export\\ed/Photos");
  dialog_->show_finished_box()->SetValue(true);

  // Cancel: neither the record nor the file changes.
  Press(kOptionCancelId);
  EXPECT_EQ(OptionData::data_.music_path, "/home/u/Export\\ed/Music");
  EXPECT_FALSE(OptionData::data_.show_finished);
  EXPECT_FALSE(wxFileExists(ZLAppPath::GetOptionsFilePath()));

  // The same changes with OK.
  dialog_->Show();
  dialog_->InitDialog();
  g_confirm = true;
  Press(kFirstChangeFolderId);
  dialog_->show_finished_box()->SetValue(true);
  dialog_->select_folder_box()->SetValue(false);
  Press(kOptionOkId);
  EXPECT_EQ(OptionData::data_.music_path, "/media/disk/Tunes");
  EXPECT_TRUE(OptionData::data_.show_finished);
  EXPECT_FALSE(OptionData::data_.select_folder);
  // The file reads back as the record.
  const OptionConfig kept = OptionData::data_;
  OptionData::data_ = OptionConfig();
  OptionData::FillOptionConfigFromFile();
  EXPECT_EQ(OptionData::data_.music_path, "/media/disk/Tunes");
  EXPECT_EQ(OptionData::data_.movie_path, kept.movie_path);
  EXPECT_TRUE(OptionData::data_.show_finished);
  EXPECT_FALSE(OptionData::data_.select_folder);
}

}  // namespace
