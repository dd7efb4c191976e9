#include "window/base/about_dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/toplevel.h>

#include <algorithm>

#include "app/transfer_app.h"
#include "app/zl_app_path.h"
#include "common/image_util.h"
#include "settings/domain_option.h"
#include "window/base/dh_bitmap_button.h"
#include "window/base/dh_hyperlink_ctrl.h"
#include "window/base/dh_static_bitmap.h"
#include "window/base/dh_static_text.h"
#include "window/base/dh_window_move.h"
#include "window/base/zl_resizable_frame_base.h"

namespace {

wxFont BoldTen() {
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  font.SetPointSize(10);
  font.MakeBold();
  return font;
}

wxBitmap* Picture(const char* path) {
  return ImageUtil::GetBitmapResourceP(path, wxBITMAP_TYPE_PNG);
}

}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(AboutDialogBase, wxDialog);

wxBEGIN_EVENT_TABLE(AboutDialogBase, wxDialog)
  EVT_BUTTON(kAboutCloseId, AboutDialogBase::OnCloseWindow)
  EVT_BUTTON(kAboutMinimiseId, AboutDialogBase::OnMinWindow)
  EVT_BUTTON(kAboutOkId, AboutDialogBase::OnCloseWindow)
  EVT_LEFT_DOWN(AboutDialogBase::OnLeftDown)
  EVT_LEFT_UP(AboutDialogBase::OnLeftUp)
  EVT_MOTION(AboutDialogBase::OnMouseMove)
wxEND_EVENT_TABLE()

AboutDialogBase::AboutDialogBase()
    : background_(nullptr), picture_(nullptr), ok_button_(nullptr) {}

bool AboutDialogBase::Create(wxBitmap* background, wxWindow* parent, int id,
                             const wxString& title, const wxPoint& pos, const wxSize& size,
                             long style) {
  // Painted wholly by the dialog itself: no flicker of the system colour.
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (!wxDialog::Create(parent, id, title, pos, size, style)) return false;
  if (background && background->IsOk()) {
    background_ = background;
    Bind(wxEVT_PAINT, &AboutDialogBase::OnPaint, this);
  }
  wxImage image = ImageUtil::LoadImage("application/application.png", wxBITMAP_TYPE_PNG);
  if (image.IsOk()) picture_ = new wxBitmap(image.Rescale(80, 80, wxIMAGE_QUALITY_HIGH));
  CreateTitleControl();
  CreateControl();
  CreateOkButton();
  SetShapeRegion(size.x, size.y);
  Centre(wxBOTH);
  return true;
}

void AboutDialogBase::CreateTitleControl() {
  const int width = GetSize().x;
  struct Button {
    int id;
    const char* normal;
    const char* pressed;
    const char* hover;
  };
  const Button kButtons[] = {
      {kAboutCloseId, "image/title/close_normal.png", "image/title/close_pressed.png",
       "image/title/close_hover.png"},
      {kAboutMinimiseId, "image/title/minimize_normal.png", "image/title/minimize_pressed.png",
       "image/title/minimize_hover.png"},
  };
  // Right to left: close 4 pixels from the edge, minimise 1 pixel before it.
  int right = width - 4;
  for (const Button& spec : kButtons) {
    wxBitmap* normal = Picture(spec.normal);
    const wxSize size = normal && normal->IsOk() ? normal->GetSize() : wxSize(16, 16);
    const wxPoint at(right - size.x, 2);
    DhBitmapButton* button = new DhBitmapButton(this, spec.id, at, size, wxBORDER_NONE);
    button->set_normal_bitmap(normal)->set_down_bitmap(Picture(spec.pressed))->set_enter_bitmap(
        Picture(spec.hover));
    if (background_) {
      wxBitmap* piece =
          ImageUtil::GetBackgroundImageFromPositionP(*background_, at.x, at.y, size.x, size.y);
      if (piece) button->set_background(*piece);
      delete piece;
    }
    right = at.x - 1;
  }
}

void AboutDialogBase::CreateControl() {
  const int width = GetSize().x;
  DhStaticBitmap* icon = new DhStaticBitmap;
  icon->Create(this, wxID_ANY, picture_ ? *picture_ : wxBitmap(80, 80),
               wxPoint((width - 80) / 2, 36), wxSize(80, 80));
  icon->SetBg(background_);

  const wxString page = DomainOption(ZLAppPath::GetUrlFilePath()).product_url();
  DhHyperLinkCtrl* link = new DhHyperLinkCtrl;
  link->Create(this, wxID_ANY, page, page, wxPoint(0, 190));
  wxFont underlined = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  underlined.MakeUnderlined();
  link->SetFont(underlined);
  link->SetSize(link->GetBestSize());
  link->Move((width - link->GetSize().x) / 2, 190);
  link->SetBg(background_);

  DhStaticText* name = new DhStaticText;
  name->Create(this, wxID_ANY, TransferApp::GetWindowTitle() + " " + ProductVersion::GetVersion(),
               wxPoint(0, 120));
  name->SetForegroundColour(*wxBLACK);
  name->SetSize(name->GetBestSize());
  wxClientDC dc(name);
  dc.SetFont(name->GetFont());
  name->Move((width - dc.GetTextExtent(name->GetLabel()).x) / 2, 120);
  name->SetBg(background_);
}

void AboutDialogBase::CreateOkButton() {
  const wxString label = _("Ok");
  wxMemoryDC dc;
  dc.SetFont(BoldTen());
  const wxSize text = dc.GetTextExtent(label);
  const wxSize size = GetSize();
  ok_button_ = new wxButton(this, kAboutOkId, label, wxDefaultPosition,
                            wxSize(text.x + 16, text.y + 8), wxBU_EXACTFIT);
  ok_button_->SetFont(BoldTen());
  // The label with its margins, or what the theme's button needs when that
  // is more, its right edge 20 and its bottom edge 40 pixels from the
  // dialog's.
  const wxSize best = ok_button_->GetBestSize();
  const wxSize button(std::max(text.x + 16, best.x), std::max(text.y + 8, best.y));
  ok_button_->SetSize(size.x - button.x - 20, size.y - button.y - 40, button.x, button.y);
}

void AboutDialogBase::SetShapeRegion(int width, int height) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (width <= 0 || height <= 0) return;
  if (HasFlag(wxFRAME_SHAPED)) SetShape(RoundedRectRegion(wxSize(width, height), 8, true));
}

void AboutDialogBase::OnPaint(wxPaintEvent&) {
  wxBufferedPaintDC dc(this);
  PaintBg(dc);
  PaintTitle(dc);
}

void AboutDialogBase::PaintBg(wxDC& dc) {
  if (background_) dc.DrawBitmap(*background_, 0, 0, false);
}

void AboutDialogBase::PaintTitle(wxDC& dc) {
  dc.SetFont(BoldTen());
  dc.SetTextForeground(*wxBLACK);
  dc.DrawText(GetTitle(), 20, 6);
}

void AboutDialogBase::OnCloseWindow(wxCommandEvent&) {
  if (IsModal()) EndModal(0);
}

void AboutDialogBase::OnMinWindow(wxCommandEvent&) {
  if (wxTopLevelWindow* top = wxDynamicCast(wxTheApp->GetTopWindow(), wxTopLevelWindow))
    top->Iconize(true);
}

void AboutDialogBase::OnLeftDown(wxMouseEvent& event) {
  DhWindowMove::CallOnLeftDown2(this, this, event, drag_offset_);
}

void AboutDialogBase::OnMouseMove(wxMouseEvent& event) {
  DhWindowMove::CallOnMotion2(this, this, event, drag_offset_);
}

void AboutDialogBase::OnLeftUp(wxMouseEvent& event) {
  DhWindowMove::CallOnLeftUp2(this, this, event, drag_offset_);
}
