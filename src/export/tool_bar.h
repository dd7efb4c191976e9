#ifndef PORTIVA_EXPORT_TOOL_BAR_H
#define PORTIVA_EXPORT_TOOL_BAR_H

#include <plist/plist.h>
#include <wx/custombgwin.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/panel.h>

#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <cstdint>
#include <functional>

#include "export/export_item.h"

class wxBitmap;
class wxCloseEvent;
class wxMenu;
class wxThreadEvent;
class wxSearchCtrl;
class DhWordButton;
class ZLButton;
class ZLMenuBar;
class PictureIconView;
class PictureListCtrl;
class PublicListCtrl;
class PublicListViewCopy;

// The record node that a navigation popup's group export command works on
// (a book catalog or a playlist); the node is not owned.
class MenuItemData : public wxObject {
 public:
  explicit MenuItemData(plist_t node) : node(node) {}
  plist_t node;
};

// The strip below the title bar: the skinned menu bar with the command
// menu, the Export button, the two view switches and the search entry.
class ToolBar : public wxCustomBackgroundWindow<wxPanel> {
 public:
  explicit ToolBar(int language);
  ~ToolBar() override;

  // Takes ownership of the background.
  bool Create(wxBitmap* background, wxWindow* parent, wxWindowID id,
              const wxPoint& pos, const wxSize& size);
  void CreateMenuBar();
  void CreateZlMenu();
  void SetupString();
  void ChangeLanguage();

  void ZLEnableAllMenuItem(bool enable);
  void ZLEnableAllButton();
  void ZLDisableAllButton();
  void ZLEnableSearchEntry();
  void ZLDisableSearchEntry();

  void OnMenuQuit(wxCommandEvent& event);
  // Help > Help and Help > Support Center: the address file's help or
  // support page in the web browser.
  void OnMenuGotoOnLine(wxCommandEvent& event);
  // Help > About: the about dialog, modally, with the workers' events held
  // meanwhile.
  void OnMenuAbout(wxCommandEvent& event);
  // Help > Check for Update: asks the update address without waiting; the
  // main window reports the answer.
  void OnCheckForUpdate(wxCommandEvent& event);
  // How a web page is opened; tests put their own in.
  static std::function<void(const wxString& address)> open_page_;
  // Advanced > Options: the options dialog, modally.
  void OnMenuOption(wxCommandEvent& event);
  // A Language item: queues the choice to the main window, which applies
  // it once this menu is closed.
  void OnLanguage(wxCommandEvent& event);
  // Export requests: the Export button (what the content view shows,
  // checked or else all; all Music when no category is open), "Export
  // Checked" (checked only), the "Export All" commands and the navigation
  // popup's group commands (from the device's records).
  void OnExportButtonClicked(wxCommandEvent& event);
  void OnMenuExportChecked(wxCommandEvent& event);
  void OnMenuExportCatalog(wxCommandEvent& event);
  // Opens a category's export folder in the file manager.
  void OnMenuOpenDefaultFolder(wxCommandEvent& event);
  // Takes ownership of the request: asks for the folder when the options
  // say so, opens the progress dialog and starts the worker; an empty or
  // cancelled request is deleted.
  void ZLExportDeviceFileByCatalog(ExportCatalogInfo* request);
  // The export worker's hand-shakes (106, 108, 109) and the progress
  // dialog's close, which stops the export.
  void OnUpdateCurrentExportFile(wxThreadEvent& event);
  void OnUpdateProgressStep(wxThreadEvent& event);
  void OnExportComplete(wxThreadEvent& event);
  void OnProgressDialogClose(wxCloseEvent& event);

  // What the export asks of the user and the desktop; tests put their own
  // in. A message box with these wx style flags, answering wxYES, wxNO or
  // wxOK; the folder chooser, true with the folder confirmed; the file
  // manager on a folder.
  static std::function<int(const wxString& text, long style)> message_box_;
  static std::function<bool(wxString* folder)> choose_folder_;
  static std::function<void(const wxString& folder)> open_folder_;
  void OnMenuCheckAll(wxCommandEvent& event);
  void OnMenuClearChecked(wxCommandEvent& event);
  void OnMenuInverseChecked(wxCommandEvent& event);
  void OnFilterViewButtonClicked(wxCommandEvent& event);
  void OnListViewButtonClicked(wxCommandEvent& event);

  // Export lists from a device's records, for the whole-category exports:
  // each appends one item per element of the node, without clearing.
  static void GetExportList(ExportItemList* list, plist_t node);
  static void GetBookExportList(ExportItemList* list, plist_t node);
  static void GetSubBookExportList(ExportItemList* list, plist_t node);
  static void GetPlaylistExportList(ExportItemList* list, plist_t node);
  static void GetSubPlaylistExportList(ExportItemList* list, plist_t node);
  static void GetPictureExportList(ExportItemList* list, plist_t node);
  // Export lists from the views, in display order: the marked rows or all
  // rows of a list, the selected or all thumbnails of a thumbnail view.
  static void GetExportListFromPublicCheckedItem(ExportItemList* list, PublicListCtrl* view);
  static void GetExportListFromPublicItem(ExportItemList* list, PublicListCtrl* view);
  static void GetExportListFromPictureCheckedItem(ExportItemList* list, PictureListCtrl* view);
  static void GetExportListFromPictureItem(ExportItemList* list, PictureListCtrl* view);
  static void GetExportListFromPictureSelectedItem(ExportItemList* list, PictureIconView* view);
  static void GetExportListFromPictureItem(ExportItemList* list, PictureIconView* view);

  // Count and total size of the media list's marked rows.
  static void GetPublicCheckedItemCountAndSize(PublicListCtrl* list, int32_t& count,
                                               uint64_t& size);
  // Recomputes the status hint from the media list's marks.
  static void ZLSetStatusHintWhenPublicCheck(PublicListCtrl* list);
  // Count and total size of a picture list's marked rows.
  static void GetPictureCheckedItemCountAndSize(PictureListCtrl* list, int32_t& count,
                                                uint64_t& size);
  // Recomputes the status hint from a picture list's marks.
  static void ZLSetStatusHintWhenPictureCheck(PictureListCtrl* list);
  // Count and total size of a thumbnail view's selected items.
  static void GetPictureCheckedItemCountAndSize(PictureIconView* view, int32_t& count,
                                                uint64_t& size);
  // Recomputes the status hint from a thumbnail view's selection.
  static void ZLSetStatusHintWhenPictureCheck(PictureIconView* view);

  void OnSearchEntrySearch(wxCommandEvent& event);
  void OnSearchEntryCancel(wxCommandEvent& event);
  // Appends the snapshot rows whose title, genre, artist or album holds the
  // text, in any case, rebuilt unmarked.
  static void FillPublicListViewAfterSearch(PublicListCtrl* list,
                                            const PublicListViewCopy& copy,
                                            const wxString& text);

  int language() const { return language_; }
  ZLMenuBar* zl_menu_bar() const { return zl_menu_bar_; }
  wxMenu* file_menu() const { return file_menu_; }
  wxMenu* edit_menu() const { return edit_menu_; }
  wxMenu* advanced_menu() const { return advanced_menu_; }
  wxMenu* language_menu() const { return language_menu_; }
  wxMenu* help_menu() const { return help_menu_; }
  DhWordButton* export_button() const { return export_button_; }
  ZLButton* list_view_button() const { return list_view_button_; }
  ZLButton* filter_view_button() const { return filter_view_button_; }
  wxSearchCtrl* search_entry() const { return search_entry_; }

 private:
  ZLMenuBar* zl_menu_bar_;
  wxMenu* file_menu_;
  wxMenu* edit_menu_;
  wxMenu* advanced_menu_;
  wxMenu* language_menu_;
  wxMenu* help_menu_;
  DhWordButton* export_button_;
  ZLButton* list_view_button_;
  ZLButton* filter_view_button_;
  wxSearchCtrl* search_entry_;
  enum CheckCommand { kCheckAll, kClearChecked, kInverseChecked };
  // The Edit menu's check commands on whatever list or thumbnail view the
  // content view shows.
  void ApplyCheckCommand(CheckCommand command);

  // The worker's news reach the progress dialog at most every
  // kProgressIntervalMs: each update lays the dialog out and runs an event
  // loop, which would cost more than copying a small file. What came in
  // between is shown by a timer.
  void ShowProgress();
  void FlushProgress();
  void OnProgressTimer(wxTimerEvent& event);
  static const long kProgressIntervalMs = 40;

  wxBitmap* background_;
  int language_;
  wxString export_text_;      // the current item's progress text
  int progress_value_ = 0;    // the value the dialog is to show
  uint64_t progress_done_ = 0;
  uint64_t progress_total_ = 0;
  bool message_changed_ = false;
  wxStopWatch export_clock_;  // since the export started
  long progress_shown_ms_ = 0;
  long overall_shown_ms_ = 0;
  wxTimer progress_timer_;

  wxDECLARE_EVENT_TABLE();
};

// The content view when the right pane shows it, else null.
class DeviceContentView* ShownContentView();

// The Export button's cut of its picture (left cap width in x, stretched
// middle width in width, caption top in y) from the face, or one that fits
// the picture when the face's does not.
wxRect FitExportButtonCrop(const wxRect& crop, const wxSize& picture,
                           const wxFont& font);

// Ids of the tool bar's controls and commands.
enum ToolBarId {
  kExportButtonId = 102,
  kListViewButtonId = 103,
  kFilterViewButtonId = 104,
  kSearchEntryId = 105,
  kFileMenuButtonId = 236,
  kEditMenuButtonId = 5125,
  kAdvancedMenuButtonId = 5130,
  kHelpMenuButtonId = 5132,
  kFirstExportCatalogId = 5100,  // the category code's id less one
  kLastExportCatalogId = 5112,
  kFirstOpenFolderId = 5114,
  kLastOpenFolderId = 5124,
  kExportCheckedId = 5126,
  kCheckAllId = 5127,
  kInverseCheckedId = 5128,
  kClearCheckedId = 5129,
  kOptionsId = 5131,
  kHelpId = 5133,
  kSupportCenterId = 5136,
  kCheckForUpdateId = 5137,
};

#endif
