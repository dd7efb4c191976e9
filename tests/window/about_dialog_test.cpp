#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/timer.h>

#include <memory>

#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "common/image_util.h"
#include "export/tool_bar.h"
#include "main_window.h"
#include "screen_capture.h"
#include "test_support.h"
#include "window/base/about_dialog.h"
#include "window/base/dh_static_bitmap.h"
#include "window/left_pane.h"
#include "window/transfer_frame.h"

namespace {

void IgnoreWarning(const wxString&) {}

// A plain light grey background of the size.
wxBitmap* Background(int width, int height) {
  wxBitmap* bitmap = new wxBitmap(width, height, 24);
  wxMemoryDC dc(*bitmap);
  dc.SetBackground(wxBrush(wxColour(220, 220, 220)));
  dc.Clear();
  return bitmap;
}

TEST(AboutDialogTest, PlacesItsControlsByTheWidthAndIsRoundedAtEveryCorner) {
  std::unique_ptr<wxBitmap> background(Background(400, 260));
  AboutDialog dialog;
  ASSERT_TRUE(dialog.Create(background.get(), nullptr, wxID_ANY, "About", wxDefaultPosition,
                            wxSize(400, 260), wxBORDER_NONE | wxFRAME_SHAPED));
  dialog.Move(100, 100);
  dialog.Show();
  testsupport::RunLoopFor(300);

  wxWindow* close = dialog.FindWindow(kAboutCloseId);
  wxWindow* minimise = dialog.FindWindow(kAboutMinimiseId);
  ASSERT_TRUE(close && minimise);
  const wxSize close_size =
      ImageUtil::GetBitmapResource("image/title/close_normal.png", wxBITMAP_TYPE_PNG).GetSize();
  const wxSize minimise_size =
      ImageUtil::GetBitmapResource("image/title/minimize_normal.png", wxBITMAP_TYPE_PNG).GetSize();
  EXPECT_EQ(close->GetPosition(), wxPoint(400 - close_size.x - 4, 2));
  EXPECT_EQ(minimise->GetPosition(), wxPoint(close->GetPosition().x - minimise_size.x - 1, 2));
  // The picture in the middle, 80 pixels wide.
  bool found_picture = false;
  for (wxWindow* child : dialog.GetChildren())
    if (dynamic_cast<DhStaticBitmap*>(child)) {
      EXPECT_EQ(child->GetPosition(), wxPoint(160, 36));
      found_picture = true;
    }
  EXPECT_TRUE(found_picture);
  // "Ok": 20 pixels from the right edge, 40 from the bottom.
  const wxRect ok = dialog.ok_button()->GetRect();
  EXPECT_EQ(ok.GetRight() + 1, 400 - 20);
  EXPECT_EQ(ok.GetBottom() + 1, 260 - 40);
  EXPECT_EQ(dialog.ok_button()->GetLabel(), "Ok");

  // Each corner's very pixel is cut away, the surface a little inside it is
  // the background.
  const wxImage shot = testsupport::CaptureScreen(wxRect(100, 100, 400, 260));
  const wxPoint corners[] = {{0, 0}, {399, 0}, {0, 259}, {399, 259}};
  const wxPoint inside[] = {{10, 10}, {389, 40}, {10, 249}, {389, 249}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NE(shot.GetRed(corners[i].x, corners[i].y), 220);
    EXPECT_EQ(shot.GetRed(inside[i].x, inside[i].y), 220);
  }
  delete dialog.picture();
}

TEST(AboutDialogTest, OkEndsTheDialogAndWorkersEventsWaitMeanwhile) {
  LeftPane::show_warning_ = IgnoreWarning;
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
  TransferFrame* frame = nullptr;
  ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(900, 600)));
  ToolBar* tool_bar = wxGetApp().tool_bar_;
  int handled = 0;
  tool_bar->Bind(wxEVT_THREAD, [&](wxThreadEvent&) { ++handled; }, 999);
  bool held = false;
  wxTimer press;
  press.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    wxWindow* ok = wxWindow::FindWindowById(kAboutOkId);
    if (!ok) return;  // not up yet
    // An event a worker queued while the dialog is up is held.
    wxQueueEvent(tool_bar, new wxThreadEvent(wxEVT_THREAD, 999));
    wxTheApp->ProcessPendingEvents();
    held = handled == 0;
    wxCommandEvent click(wxEVT_BUTTON, kAboutOkId);
    click.SetEventObject(ok);
    ok->GetEventHandler()->ProcessEvent(click);
    press.Stop();
  });
  press.Start(200);
  wxCommandEvent about(wxEVT_MENU, wxID_ABOUT);
  tool_bar->GetEventHandler()->ProcessEvent(about);
  EXPECT_TRUE(held);
  testsupport::RunLoopUntil([&] { return handled == 1; }, 2000);
  EXPECT_EQ(handled, 1);
  frame->Destroy();
  testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
}

}  // namespace
