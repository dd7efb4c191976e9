// In every language, no label, button, check box or column header is cut:
// each control's best size fits inside the size it got.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dataview.h>
#include <wx/dcclient.h>
#include <wx/filefn.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

#include <string>
#include <vector>

#include "app/transfer_app.h"
#include "app/zl_app_path.h"
#include "common/domain_face.h"
#include "export/tool_bar.h"
#include "main_window.h"
#include "settings/domain_language.h"
#include "settings/option_dialog.h"
#include "test_support.h"
#include "window/base/about_dialog.h"
#include "window/left_pane.h"
#include "window/transfer_frame.h"

namespace {

void IgnoreWarning(const wxString&) {}

// Every shown control of the window's tree whose text would be cut.
void FindCut(wxWindow* window, std::vector<std::string>* cut) {
  for (wxWindow* child : window->GetChildren()) {
    if (!child->IsShown()) continue;
    const bool texty = dynamic_cast<wxStaticText*>(child) || dynamic_cast<wxButton*>(child) ||
                       dynamic_cast<wxCheckBox*>(child);
    if (texty && !child->GetLabel().empty()) {
      const wxSize best = child->GetBestSize();
      const wxSize size = child->GetSize();
      if (best.x > size.x || best.y > size.y)
        cut->push_back(child->GetLabel().utf8_string() + " needs " + std::to_string(best.x) + "x" +
                       std::to_string(best.y) + ", has " + std::to_string(size.x) + "x" +
                       std::to_string(size.y));
    }
    if (wxDataViewCtrl* list = dynamic_cast<wxDataViewCtrl*>(child)) {
      wxClientDC dc(list);
      dc.SetFont(list->GetFont());
      for (unsigned int c = 0; c < list->GetColumnCount(); ++c) {
        wxDataViewColumn* column = list->GetColumn(c);
        // The header's text with the padding GTK gives a header cell.
        const int needed = dc.GetTextExtent(column->GetTitle()).x + 12;
        if (needed > column->GetWidth())
          cut->push_back("column " + column->GetTitle().utf8_string() + " needs " +
                         std::to_string(needed) + ", has " + std::to_string(column->GetWidth()));
      }
    }
    FindCut(child, cut);
  }
}

TEST(TextFit, NoTextIsCutInAnyLanguage) {
  LeftPane::show_warning_ = IgnoreWarning;
  DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
  setenv("PORTIVA_DEVICE_IMAGES", (testsupport::BuildRoot() + "/demo-device").c_str(), 1);
  for (int language : DomainLanguage::match_la_) {
    SCOPED_TRACE(language);
    DomainLanguage::SetDefaultLanguage(language);
    TransferFrame* frame = nullptr;
    ASSERT_TRUE(testsupport::StartMainWindow(&frame, wxSize(1100, 720), 20000));
    std::vector<std::string> cut;
    FindCut(frame, &cut);
    LeftPane* pane = wxGetApp().left_pane_;
    pane->navigation_tree()->SelectItem(pane->category_item(0));  // Music with its filters
    testsupport::RunLoopFor(200);
    FindCut(frame, &cut);

    // Parentless: the window going must not take this one with it.
    OptionDialog options(nullptr, wxID_ANY, _("Option"));
    options.Show();
    options.InitDialog();
    testsupport::RunLoopFor(100);
    FindCut(&options, &cut);
    options.Hide();

    AboutDialog about;
    wxBitmap* background = new wxBitmap(400, 260, 24);
    ASSERT_TRUE(about.Create(background, nullptr, wxID_ANY, _("About"), wxDefaultPosition,
                             wxSize(400, 260), wxBORDER_NONE | wxFRAME_SHAPED));
    about.Show();
    testsupport::RunLoopFor(100);
    FindCut(&about, &cut);
    about.Hide();
    delete about.picture();

    EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
    frame->Destroy();
    testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
    delete background;
  }
  wxRemoveFile(ZLAppPath::GetLanguageFilePath());
}

}  // namespace
