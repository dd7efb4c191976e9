#include "settings/option_dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dirdlg.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "settings/option_data.h"

bool ChooseExportFolder(wxString* folder) {
  // The main window is the top window.
  wxDirDialog dialog(wxTheApp->GetTopWindow(), _("Select export folder"), *folder, 0);
  dialog.Centre(wxBOTH);
  if (dialog.ShowModal() != wxID_OK) return false;
  *folder = dialog.GetPath();
  return true;
}

std::function<bool(wxString*)> OptionDialog::choose_folder_ = ChooseExportFolder;

wxBEGIN_EVENT_TABLE(OptionDialog, wxDialog)
  EVT_INIT_DIALOG(OptionDialog::OnInitDialog)
  EVT_BUTTON(kOptionOkId, OptionDialog::OnOKClicked)
  EVT_BUTTON(kOptionCancelId, OptionDialog::OnCancelClicked)
  EVT_BUTTON(504, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(505, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(506, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(507, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(508, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(509, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(510, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(511, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(512, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(513, OptionDialog::OnChangeFolderClicked)
  EVT_BUTTON(514, OptionDialog::OnChangeFolderClicked)
wxEND_EVENT_TABLE()

OptionDialog::OptionDialog(wxWindow* parent, wxWindowID id, const wxString& title,
                           const wxPoint& pos, const wxSize& size)
    : wxDialog(parent, id, title, pos, size, wxDEFAULT_DIALOG_STYLE) {
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  const int kSides = wxLEFT | wxRIGHT;
  sizer->AddSpacer(20);
  select_folder_box_ =
      new wxCheckBox(this, kSelectFolderBoxId, _("Show select export folder dialog box"));
  sizer->Add(select_folder_box_, 0, kSides, 20);
  sizer->AddSpacer(10);
  show_finished_box_ =
      new wxCheckBox(this, kShowFinishedBoxId, _("Show export finished message box"));
  sizer->Add(show_finished_box_, 0, kSides, 20);
  sizer->AddSpacer(20);
  sizer->Add(new wxStaticText(this, wxID_ANY, _("Change export folder:")), 0, kSides, 20);
  sizer->AddSpacer(10);

  wxFlexGridSizer* folders = new wxFlexGridSizer(3, 0, 0);
  for (size_t i = 0; i < kCategoryCount; ++i) {
    // GTK's fields and buttons need more than 23 pixels of height and a
    // "..." button more than 30 of width: each takes at least that, as
    // much as its theme asks for.
    folders->Add(new wxStaticText(this, wxID_ANY, wxGetTranslation(kCategories[i].folder_label)),
                 0, wxALIGN_CENTER_VERTICAL);
    folder_texts_[i] = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                      wxSize(220, -1), wxTE_READONLY);
    folder_texts_[i]->SetMinSize(wxSize(220, std::max(23, folder_texts_[i]->GetBestSize().y)));
    folders->Add(folder_texts_[i], 0, kSides | wxALIGN_CENTER_VERTICAL, 5);
    wxButton* change = new wxButton(this, kFirstChangeFolderId + static_cast<int>(i), "...",
                                    wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    const wxSize best = change->GetBestSize();
    change->SetMinSize(wxSize(std::max(30, best.x), std::max(23, best.y)));
    folders->Add(change, 0, wxALIGN_CENTER_VERTICAL);
  }
  sizer->Add(folders, 0, kSides, 20);
  sizer->AddSpacer(20);

  wxGridSizer* buttons = new wxGridSizer(2, 0, 10);
  buttons->Add(new wxButton(this, kOptionCancelId, _("Cancel")));
  buttons->Add(new wxButton(this, kOptionOkId, _("OK")));
  sizer->Add(buttons, 0, wxALIGN_RIGHT | kSides, 20);
  sizer->AddSpacer(20);
  sizer->Fit(this);
  sizer->SetSizeHints(this);
}

// Folders are shown and kept as they are: a backslash is part of a name.
void OptionDialog::OnInitDialog(wxInitDialogEvent&) {
  const OptionConfig& options = OptionData::data_;
  select_folder_box_->SetValue(options.select_folder);
  show_finished_box_->SetValue(options.show_finished);
  for (size_t i = 0; i < kCategoryCount; ++i) ShowFolder(i, options.*kCategories[i].folder);
}

// The end of a long folder is what tells folders apart: it is what the
// field shows, and the whole folder is its tooltip.
void OptionDialog::ShowFolder(size_t row, const wxString& folder) {
  wxTextCtrl* text = folder_texts_[row];
  text->ChangeValue(folder);
  text->SetInsertionPointEnd();
  text->ShowPosition(text->GetLastPosition());
  text->SetToolTip(folder);
}

void OptionDialog::OnChangeFolderClicked(wxCommandEvent& event) {
  const int row = event.GetId() - kFirstChangeFolderId;
  if (row < 0 || row >= static_cast<int>(kCategoryCount)) return;
  wxString folder = folder_texts_[row]->GetValue();
  if (choose_folder_(&folder)) ShowFolder(static_cast<size_t>(row), folder);
}

void OptionDialog::OnOKClicked(wxCommandEvent&) {
  OptionConfig& options = OptionData::data_;
  options.select_folder = select_folder_box_->GetValue();
  options.show_finished = show_finished_box_->GetValue();
  for (size_t i = 0; i < kCategoryCount; ++i)
    options.*kCategories[i].folder = folder_texts_[i]->GetValue();
  OptionData::SaveOptionConfigToFile();
  Close();
}

void OptionDialog::OnCancelClicked(wxCommandEvent&) { Close(); }
