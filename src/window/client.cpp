#include "window/client.h"

#include "app/transfer_app.h"
#include "common/image_util.h"
#include "window/left_pane.h"
#include "window/right_pane.h"

Client::Client(wxWindow* parent, wxWindowID id, const wxPoint& pos,
               const wxSize& size)
    : wxSplitterWindow(parent, id, pos, size, wxSP_3D, "splitter") {
  const char kBackground[] = "image/client/client_bg.png";
  LeftPane* left = new LeftPane(
      ImageUtil::GetBitmapResourceP(kBackground, wxBITMAP_TYPE_PNG), this,
      wxID_ANY, wxDefaultPosition, wxDefaultSize);
  // Registered before the right pane is built: its views look for it.
  wxGetApp().left_pane_ = left;
  RightPane* right = new RightPane(
      ImageUtil::GetBitmapResourceP(kBackground, wxBITMAP_TYPE_PNG), this,
      wxID_ANY, wxDefaultPosition, wxDefaultSize);
  if (!IsSplit()) SplitVertically(left, right, 200);
  SetSashGravity(0.2);
  SetMinimumPaneSize(1);
  SetMinSize(wxSize(800, 450));
  wxGetApp().right_pane_ = right;
}
