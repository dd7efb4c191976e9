#ifndef PORTIVA_WINDOW_TRANSFER_FRAME_H
#define PORTIVA_WINDOW_TRANSFER_FRAME_H

#include "window/base/zl_resizable_frame_base.h"

#include <functional>

class wxGridBagSizer;
class wxLocale;

// The skinned main window: borders around the title bar, tool bar, client
// area and status bar.
class TransferFrame : public ZLResizableFrameBase {
 public:
  TransferFrame(wxWindow* parent, wxWindowID id, const wxString& title,
                const wxPoint& pos, const wxSize& size);
  ~TransferFrame() override;

  // The frame itself is never repainted as a whole.
  void Refresh(bool erase_background = true,
               const wxRect* rect = nullptr) override;

  void OnClose(wxCloseEvent& event);
  void OnIdle(wxIdleEvent& event);
  void SetAppIcon();
  void CreateBorder(wxGridBagSizer* sizer);
  // Makes the code the interface language: a new locale with the
  // program's catalog.
  void SelectLanguage(int language);
  // A language chosen in the menu: kept for the next start, applied, and
  // every window retranslated.
  void OnLanguage(wxCommandEvent& event);
  // The update check's answer: failed, a newer version (its page offered),
  // or this one is the latest.
  void OnCheckForUpdate(wxCommandEvent& event);
  // A message box with the text, caption and wx style flags, answering
  // wxYES, wxNO or wxOK; tests put their own in.
  static std::function<int(const wxString& text, const wxString& caption, long style)>
      message_box_;

  bool detection_started() const { return detection_started_; }
  int language() const { return language_; }

  // What closing the frame does; tests replace it to stay alive.
  static void (*exit_process_)(int code);

 private:
  bool detection_started_;
  wxLocale* locale_;
  int language_;

  wxDECLARE_EVENT_TABLE();
};

#endif
