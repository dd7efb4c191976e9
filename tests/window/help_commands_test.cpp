#include <gtest/gtest.h>

#include <vector>

#include "app/zl_app_path.h"
#include "common/domain_face.h"
#include "export/tool_bar.h"
#include "app/transfer_app.h"
#include "main_window.h"
#include "settings/domain_option.h"
#include "test_support.h"
#include "window/left_pane.h"
#include "window/transfer_frame.h"

namespace {

void IgnoreWarning(const wxString&) {}

TEST(HelpCommands, HelpAndSupportOpenTheirPagesFromTheAddressFile) {
  LeftPane::show_warning_ = IgnoreWarning;
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
  std::vector<wxString> opened;
  ToolBar::open_page_ = [&](const wxString& address) { opened.push_back(address); };
  TransferFrame* frame = nullptr;
  ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(900, 600)));
  ToolBar* tool_bar = wxGetApp().tool_bar_;
  for (int id : {kHelpId, kSupportCenterId}) {
    wxCommandEvent command(wxEVT_MENU, id);
    tool_bar->GetEventHandler()->ProcessEvent(command);
  }
  DomainOption addresses(ZLAppPath::GetUrlFilePath());
  EXPECT_EQ(opened, (std::vector<wxString>{addresses.help_url(), addresses.support_url()}));
  EXPECT_FALSE(opened[0].empty());
  ToolBar::open_page_ = nullptr;
  frame->Destroy();
  testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
}

}  // namespace
