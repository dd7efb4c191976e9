#include "window/transfer_frame.h"

#include <wx/bitmap.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/gbsizer.h>
#include <wx/icon.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include "app/app_util.h"
#include "app/file_util.h"
#include "app/my_event.h"
#include "app/trace.h"
#include "app/transfer_app.h"
#include "app/zl_app_path.h"
#include "common/domain_face.h"
#include "common/image_util.h"
#include "export/tool_bar.h"
#include "settings/domain_language.h"
#include "settings/domain_option.h"
#include "window/base/zl_border.h"
#include "window/base/zl_title_bar.h"
#include "window/client.h"
#include "window/device_content_view.h"
#include "window/device_info_view.h"
#include "window/left_pane.h"
#include "window/no_device_view.h"
#include "window/status_bar.h"

namespace {

void ExitAtOnce(int code) {
  // Workers are not joined and windows are not torn down: leave now.
  fflush(stdout);
  fflush(stderr);
  _exit(code);
}

struct BorderPiece {
  int row;
  int col;
  int kind;
  int width;
  int height;
  const char* picture;
};

const BorderPiece kBorderPieces[] = {
    {0, 0, 0, 5, 5, "image/border/top_border_bg.png"},
    {0, 1, 1, -1, 5, "image/border/top_border_bg.png"},
    {0, 2, 2, 5, 5, "image/border/top_border_bg.png"},
    {1, 0, 3, 5, 20, "image/border/title_border_bg.png"},
    {1, 2, 4, 5, 20, "image/border/title_border_bg.png"},
    {2, 0, 3, 5, 42, "image/border/tool_border_bg.png"},
    {2, 2, 4, 5, 42, "image/border/tool_border_bg.png"},
    {3, 0, 3, -1, -1, "image/border/border_bg.png"},
    {3, 2, 4, -1, -1, "image/border/border_bg.png"},
    {4, 0, 3, 5, 30, "image/border/border_bg.png"},
    {4, 2, 4, 5, 30, "image/border/border_bg.png"},
    {5, 0, 5, 5, 5, "image/border/border_bg.png"},
    {5, 1, 6, -1, 5, "image/border/border_bg.png"},
    {5, 2, 7, 5, 5, "image/border/border_bg.png"},
};

wxBitmap* Picture(const char* path) {
  return ImageUtil::GetBitmapResourceP(path, wxBITMAP_TYPE_PNG);
}

}  // namespace

namespace {
// The one locale of the process. A locale restores the one made before it
// when it goes, so two alive at once (a closing window's and a new one's)
// would leave the survivor pointing at a deleted one: the old one always
// goes before the next is made.
std::unique_ptr<wxLocale> g_locale;
}  // namespace

void (*TransferFrame::exit_process_)(int code) = ExitAtOnce;

wxBEGIN_EVENT_TABLE(TransferFrame, ZLResizableFrameBase)
  EVT_CLOSE(TransferFrame::OnClose)
  EVT_COMMAND(wxID_ANY, wxEVT_SELECT_LANGUAGE, TransferFrame::OnLanguage)
  EVT_COMMAND(wxID_ANY, wxEVT_CHECK_FOR_UPDATE, TransferFrame::OnCheckForUpdate)
wxEND_EVENT_TABLE()

TransferFrame::TransferFrame(wxWindow* parent, wxWindowID id,
                             const wxString& title, const wxPoint& pos,
                             const wxSize& size)
    : ZLResizableFrameBase(parent, id, title, pos, size,
                           wxBORDER_NONE | wxFRAME_SHAPED),
      detection_started_(false),
      locale_(nullptr),
      language_(DomainLanguage::kDefaultLanguage) {
  ZLSetRoundRectShape(false, 8.0);
  SelectLanguage(DomainLanguage::ReadLanguageFile());
  SetAppIcon();

  TransferApp& app = wxGetApp();
  wxGridBagSizer* sizer = new wxGridBagSizer(0, 0);
  SetSizer(sizer);
  CreateBorder(sizer);

  ZLTitleBar* title_bar = new ZLTitleBar(
      3, Picture("image/title/title_bg.png"), Picture("image/title/icon.png"),
      Picture("image/title/minimize_normal.png"),
      Picture("image/title/minimize_hover.png"),
      Picture("image/title/minimize_pressed.png"),
      Picture("image/title/maximize_normal.png"),
      Picture("image/title/maximize_hover.png"),
      Picture("image/title/maximize_pressed.png"),
      Picture("image/title/restore_normal.png"),
      Picture("image/title/restore_hover.png"),
      Picture("image/title/restore_pressed.png"),
      Picture("image/title/close_normal.png"),
      Picture("image/title/close_hover.png"),
      Picture("image/title/close_pressed.png"), this, wxID_ANY, title,
      wxDefaultPosition, wxDefaultSize, wxSize(5, 5), wxSize(5, 5), 5, 0);
  wxFont bold = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  bold.MakeBold();
  title_bar->title_text()->SetFont(bold);
  title_bar->title_text()->SetForegroundColour(
      DomainFace::GetColour(kFaceTitleTextColour));
  title_bar->title_text()->SetLabel(TransferApp::GetWindowTitle());
  title_bar->owner_ = this;
  title_bar->active_ = true;
  title_bar->ZLLayoutControl();
  app.title_bar_ = title_bar;

  ToolBar* tool_bar = new ToolBar(language_);
  app.tool_bar_ = tool_bar;
  tool_bar->Create(Picture("image/tool/tool_bg.png"), this, wxID_ANY,
                   wxDefaultPosition, wxSize(-1, 42));

  Client* client = new Client(this, wxID_ANY, wxDefaultPosition, wxDefaultSize);

  StatusBar* status_bar =
      new StatusBar(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 30));
  status_bar->SetBackgroundBitmap(
      ImageUtil::GetBitmapResource("image/status/status_bg.png", wxBITMAP_TYPE_PNG));
  app.status_bar_ = status_bar;

  sizer->Add(title_bar, wxGBPosition(1, 1), wxGBSpan(1, 1), wxEXPAND, 0);
  sizer->Add(tool_bar, wxGBPosition(2, 1), wxGBSpan(1, 1), wxEXPAND, 0);
  sizer->Add(client, wxGBPosition(3, 1), wxGBSpan(1, 1), wxEXPAND, 0);
  sizer->Add(status_bar, wxGBPosition(4, 1), wxGBSpan(1, 1), wxEXPAND, 0);
  sizer->AddGrowableCol(1);
  sizer->AddGrowableRow(3);

  sizer->Fit(this);
  sizer->SetSizeHints(this);
  Centre(wxBOTH);
  detection_started_ = false;
  Bind(wxEVT_IDLE, &TransferFrame::OnIdle, this);
}

TransferFrame::~TransferFrame() {
  if (g_locale.get() == locale_) g_locale.reset();
}

void TransferFrame::Refresh(bool, const wxRect*) {}

void TransferFrame::OnClose(wxCloseEvent&) { exit_process_(0); }

void TransferFrame::OnIdle(wxIdleEvent& event) {
  event.Skip();
  if (detection_started_ || !IsShown()) return;
  detection_started_ = true;
  Unbind(wxEVT_IDLE, &TransferFrame::OnIdle, this);
  Trace("TransferFrame::OnIdle detect device: ");
  if (LeftPane* pane = wxGetApp().left_pane_) pane->ZLDetectDevice();
}

void TransferFrame::SetAppIcon() {
  wxBitmap picture = ImageUtil::GetBitmapResource("application/application.png",
                                                  wxBITMAP_TYPE_PNG);
  if (!picture.IsOk()) return;
  wxIcon icon;
  icon.CopyFromBitmap(picture);
  SetIcon(icon);
}

void TransferFrame::CreateBorder(wxGridBagSizer* sizer) {
  for (const BorderPiece& piece : kBorderPieces) {
    ZLBorder* border = new ZLBorder(piece.kind, this, wxID_ANY, wxDefaultPosition,
                                    wxSize(piece.width, piece.height));
    border->SetBackgroundBitmap(
        ImageUtil::GetBitmapResource(piece.picture, wxBITMAP_TYPE_PNG));
    border->owner_ = this;
    border->active_ = true;
    sizer->Add(border, wxGBPosition(piece.row, piece.col), wxGBSpan(1, 1),
               wxEXPAND, 0);
  }
}

void TransferFrame::SelectLanguage(int language) {
  language_ = language;
  g_locale.reset();
  g_locale.reset(new wxLocale);
  locale_ = g_locale.get();
  {
    // A locale the system lacks still gets its catalogs; the toolkit's
    // complaint about it is no news for the user.
    wxLogNull quiet;
    locale_->Init(DomainLanguage::ToWxLanguage(language), wxLOCALE_LOAD_DEFAULT);
  }
  wxLocale::AddCatalogLookupPathPrefix(AppUtil::getInstallDirectory() + "/Language");
  locale_->AddCatalog("language");
}

namespace {
int ShowMessageBox(const wxString& text, const wxString& caption, long style) {
  return wxMessageBox(text, caption, style | wxCENTRE, wxGetApp().frame_);
}
}  // namespace

std::function<int(const wxString&, const wxString&, long)> TransferFrame::message_box_ =
    ShowMessageBox;

void TransferFrame::OnCheckForUpdate(wxCommandEvent& event) {
  const wxString caption = ZLAppPath::GetWholeProductAlias();
  const wxString published = event.GetString();
  if (published.empty()) {
    message_box_(_("Update failed!Please check if the network is available."), caption, wxOK);
    return;
  }
  const wxString running = ProductVersion::GetVersion();
  if (ProductVersion::CompareVersion(running, published) < 0) {
    const wxString text = _("A new version of ") + caption + "(" + published +
                          _(") is available. Click Yes to open download page.");
    if (message_box_(text, caption, wxYES_NO) == wxYES)
      ToolBar::open_page_(DomainOption(ZLAppPath::GetUrlFilePath()).product_url());
    return;
  }
  message_box_(_("This version of ") + caption + "(" + running + _(") is the latest version."),
               caption, wxOK);
}

void TransferFrame::OnLanguage(wxCommandEvent& event) {
  const int language = event.GetInt();
  DomainLanguage::SetDefaultLanguage(language);
  SelectLanguage(language);
  TransferApp& app = wxGetApp();
  if (app.tool_bar_) app.tool_bar_->ChangeLanguage();
  if (app.left_pane_) app.left_pane_->ChangeLanguage();
  if (app.no_device_view_) app.no_device_view_->ChangeLanguage();
  if (ZLTitleBar* title_bar = app.title_bar_) {
    wxFont bold = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    bold.MakeBold();
    title_bar->title_text()->SetFont(bold);
    title_bar->title_text()->SetLabel(TransferApp::GetWindowTitle());
    title_bar->Refresh(false);
  }
  if (app.device_info_view_) app.device_info_view_->ChangeLanguage();
  if (app.device_content_view_) app.device_content_view_->ChangeLanguage();
}
