#ifndef PORTIVA_WINDOW_BASE_ABOUT_DIALOG_H
#define PORTIVA_WINDOW_BASE_ABOUT_DIALOG_H

#include <wx/dialog.h>

class wxButton;
class wxBitmap;

// Ids of the about dialog's buttons.
enum AboutDialogId {
  kAboutCloseId = 2,
  kAboutMinimiseId = 3,
  kAboutOkId = 5100,
};

// A small borderless dialog with four rounded corners, painted from a theme
// picture: its own title, close and minimise buttons, the application
// picture, the product name and version, the product page and "Ok".
class AboutDialogBase : public wxDialog {
 public:
  AboutDialogBase();
  ~AboutDialogBase() override {}

  // The background is the whole dialog surface; it stays the caller's, as
  // does the picture the dialog makes (both deleted after it closed).
  virtual bool Create(wxBitmap* background, wxWindow* parent, int id, const wxString& title,
                      const wxPoint& pos, const wxSize& size, long style);
  virtual void OnPaint(wxPaintEvent& event);
  virtual void PaintTitle(wxDC& dc);
  virtual void PaintBg(wxDC& dc);
  virtual void CreateOkButton();
  virtual void CreateControl();
  virtual void CreateTitleControl();
  virtual void OnLeftDown(wxMouseEvent& event);
  virtual void OnMouseMove(wxMouseEvent& event);
  virtual void OnLeftUp(wxMouseEvent& event);
  virtual void SetShapeRegion(int width, int height);

  void OnCloseWindow(wxCommandEvent& event);
  void OnMinWindow(wxCommandEvent& event);

  wxBitmap* background() const { return background_; }
  wxBitmap* picture() const { return picture_; }
  wxButton* ok_button() const { return ok_button_; }

 protected:
  wxBitmap* background_;
  wxBitmap* picture_;
  wxPoint drag_offset_;
  wxButton* ok_button_;

  wxDECLARE_DYNAMIC_CLASS(AboutDialogBase);
  wxDECLARE_EVENT_TABLE();
};

class AboutDialog : public AboutDialogBase {
 public:
  AboutDialog() {}
};

#endif
