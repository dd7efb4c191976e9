#include "app/transfer_app.h"

#include <signal.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/image.h>
#include <wx/log.h>

#include "app/app_data.h"
#include "app/app_util.h"
#include "app/trace.h"
#include "common/domain_face.h"
#include "app/zl_app_path.h"
#include "settings/option_data.h"
#include "window/transfer_frame.h"

wxIMPLEMENT_APP_NO_MAIN(TransferApp);

wxString TransferApp::GetWindowTitle() {
  wxString title = kProductAlias;
  title.Replace("+", " ");
  return title;
}

bool TransferApp::InitBeforeFrame() {
  wxFileSystem::AddHandler(new wxArchiveFSHandler);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
    wxImage::AddHandler(new wxPNGHandler);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG))
    wxImage::AddHandler(new wxJPEGHandler);

  if (!OptionData::Init()) return false;
  if (!AppData::Init()) return false;

  // A missing or broken face file only costs the theme's colours.
  DomainFace::LoadFace(AppUtil::getInstallDirectory() + "/Themes/face.xml");

  wxLog::SetLogLevel(0);
  return true;
}

namespace {

// The desktop ends a session with SIGTERM: the window closes as if the
// user closed it, so the program ends cleanly.
void CloseOnSignal(int) {
  if (wxGetApp().frame_) wxGetApp().frame_->Close();
}

}  // namespace

bool TransferApp::OnInit() {
  if (!wxApp::OnInit()) return false;
  if (!InitBeforeFrame()) return false;
  Trace("Install directory: " + AppUtil::getInstallDirectory());
  SetSignalHandler(SIGTERM, CloseOnSignal);

  frame_ = new TransferFrame(nullptr, wxID_ANY, GetWindowTitle(),
                             wxDefaultPosition, wxDefaultSize);
  frame_->Show(true);
  return true;
}
