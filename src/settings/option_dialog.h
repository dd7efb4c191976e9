#ifndef PORTIVA_SETTINGS_OPTION_DIALOG_H
#define PORTIVA_SETTINGS_OPTION_DIALOG_H

#include <wx/dialog.h>

#include <functional>

#include "app/category_table.h"

class wxCheckBox;
class wxTextCtrl;

// Ids of the options dialog's controls.
enum OptionDialogId {
  kSelectFolderBoxId = 501,
  kShowFinishedBoxId = 502,
  kFirstChangeFolderId = 504,  // one "..." button a folder row, in table order
  kLastChangeFolderId = 514,
  kOptionCancelId = 515,
  kOptionOkId = 516,
};

// The folder chooser of the export folders, over the main window: true with
// the folder confirmed, which then holds the chosen one.
bool ChooseExportFolder(wxString* folder);

// The two export prompts and the eleven export folders; OK keeps them in the
// options record and file, Cancel leaves both alone.
class OptionDialog : public wxDialog {
 public:
  OptionDialog(wxWindow* parent, wxWindowID id, const wxString& title,
               const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);

  void OnInitDialog(wxInitDialogEvent& event);
  void OnOKClicked(wxCommandEvent& event);
  void OnCancelClicked(wxCommandEvent& event);
  void OnChangeFolderClicked(wxCommandEvent& event);

  wxCheckBox* select_folder_box() const { return select_folder_box_; }
  wxCheckBox* show_finished_box() const { return show_finished_box_; }
  // The folder field of kCategories[index].
  wxTextCtrl* folder_text(size_t index) const {
    return index < kCategoryCount ? folder_texts_[index] : nullptr;
  }
  wxTextCtrl* music_text() const { return folder_texts_[0]; }

  // The folder chooser: true with the folder confirmed; tests put their own
  // in.
  static std::function<bool(wxString* folder)> choose_folder_;

 private:
  void ShowFolder(size_t row, const wxString& folder);

  wxCheckBox* select_folder_box_;
  wxCheckBox* show_finished_box_;
  wxTextCtrl* folder_texts_[kCategoryCount];

  wxDECLARE_EVENT_TABLE();
};

#endif
