// Device texts of any length and content stay on one line and inside the
// main window: the device information view, the selection box and the
// tree root, at the window's minimum size and larger.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/generic/statbmpg.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/transfer_app.h"
#include "app/zl_string_helper.h"
#include "common/domain_face.h"
#include "device_image_fixture.h"
#include "test_support.h"
#include "window/base/zl_histogram_ctrl.h"
#include "window/device_info_view.h"
#include "window/left_pane.h"
#include "window/right_pane.h"
#include "window/transfer_frame.h"

namespace {

using testsupport::DeviceImageBuilder;
using testsupport::Dict;

const wxUniChar kEllipsis(0x2026);
const uint64_t kMaxBytes = ~0ULL;

void IgnoreWarning(const wxString&) {}
void IgnoreExit(int) {}

wxString Utf8(const std::string& text) { return wxString::FromUTF8(text); }

// No character that would break the line or show nothing.
bool IsOneLine(const wxString& text) {
  for (wxUniChar c : text) {
    const auto v = c.GetValue();
    if (v < 0x20 || (v >= 0x7F && v < 0xA0) || v == 0x2028 || v == 0x2029)
      return false;
  }
  return true;
}

// A tooltip's text without the invisible chances to wrap it.
wxString Unwrapped(wxString tip) {
  tip.Replace(wxString(wxUniChar(0x200B)), wxString());
  return tip;
}

// The whole text, or a start of it followed by the ellipsis.
bool IsShortenedFrom(const wxString& shown, const wxString& whole) {
  if (shown == whole) return true;
  if (shown.empty()) return true;
  return shown.Last() == kEllipsis && whole.StartsWith(shown.Left(shown.length() - 1));
}

class LongValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LeftPane::show_warning_ = IgnoreWarning;
    TransferFrame::exit_process_ = IgnoreExit;
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) +
                         "/Themes/face.xml");
    images_ = testsupport::MakeTempDir("long-values");
  }

  TransferFrame* MakeFrame() {
    TransferApp& app = wxGetApp();
    app.frame_ = new TransferFrame(nullptr, wxID_ANY, TransferApp::GetWindowTitle(),
                                   wxDefaultPosition, wxDefaultSize);
    return app.frame_;
  }

  // Sizes the frame and waits until the toolkit has applied it.
  static void Resize(TransferFrame* frame, const wxSize& size) {
    frame->SetSize(size);
    EXPECT_TRUE(testsupport::RunLoopUntil([&] { return frame->GetSize() == size; }));
    frame->Layout();
    testsupport::RunLoopFor(50);
  }

  std::string images_;
};

// What the view shows for one label: one line, the whole (bounded) text or
// a start of it with an ellipsis, within the label's width, and the whole
// text as tooltip when shortened.
void ExpectFitted(DeviceInfoView* view, wxStaticText* label,
                  const wxString& expected_whole, const char* what) {
  SCOPED_TRACE(what);
  const wxString whole = view->whole_text(label);
  const wxString shown = label->GetLabelText();
  EXPECT_EQ(whole, expected_whole);
  EXPECT_LE(whole.length(), kMaxShownTextLength);
  EXPECT_TRUE(IsOneLine(shown));
  EXPECT_TRUE(IsShortenedFrom(shown, whole)) << shown;
  EXPECT_LE(label->GetTextExtent(shown).x, label->GetSize().x) << shown;
  EXPECT_EQ(Unwrapped(label->GetToolTipText()), shown == whole ? wxString() : whole);
}

void ExpectInside(wxWindow* window, const wxRect& view, const wxRect& frame,
                  const char* what) {
  SCOPED_TRACE(what);
  const wxRect rect = window->GetScreenRect();
  EXPECT_TRUE(window->IsShownOnScreen());
  EXPECT_TRUE(view.Contains(rect)) << rect.x << "," << rect.y << " " << rect.width
                                   << "x" << rect.height;
  EXPECT_TRUE(frame.Contains(rect));
}

TEST_F(LongValuesTest, DeviceInformationStaysInViewOnOneLine) {
  const std::string name60 = "Phone " + std::string(54, 'W');
  const std::string long300(300, 'W');
  const std::string huge(1000000, 'M');
  const std::string controls = "Line one\nLine two\r\nthree\tfour\x01\x1b[0m\x7f"
                               "\xc2\x85" "five\xe2\x80\xa8six\xe2\x80\xa9";
  const struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> strings;
    std::vector<std::pair<std::string, uint64_t>> numbers;
    // The texts the value labels hold whole (after the one-line rule).
    const char* name;
    const char* capacity;
  } cases[] = {
      {"60-character name",
       {{"DeviceName", name60}, {"Type", "iPhone14,2"}, {"Version", "17.5.1"},
        {"SerialNumber", "FR4BCCWGUUZ4"}},
       {{"Catacity", 64000000000ULL}, {"Audio", 5000000000ULL},
        {"Available", 30000000000ULL}},
       nullptr, "59.60GB"},
      {"300 characters in every text",
       {{"DeviceName", long300}, {"Type", "iPad" + long300},
        {"Version", std::string(300, '9')}, {"SerialNumber", std::string(300, 'S')}},
       {{"Catacity", 1024}, {"Available", 512}},
       nullptr, "1.00KB"},
      {"1,000,000 characters in every text",
       {{"DeviceName", huge}, {"Type", huge}, {"Version", huge},
        {"SerialNumber", huge}},
       {{"Catacity", 1024}, {"Available", 512}},
       nullptr, "1.00KB"},
      {"line breaks and control characters",
       {{"DeviceName", controls}, {"Type", "iPod\ntouch"},
        {"Version", "17.0\n\n\nbeta"}, {"SerialNumber", "\t\r\n"}},
       {{"Catacity", 1024}, {"Available", 512}},
       "Line one\xe2\x86\xb5Line two\xe2\x86\xb5three four\xef\xbf\xbd\xef\xbf\xbd"
       "[0m\xef\xbf\xbd\xe2\x86\xb5" "five\xe2\x86\xb5six\xe2\x86\xb5",
       "1.00KB"},
      {"the largest numbers",
       {{"DeviceName", "Big"}, {"Type", "iPhone"}},
       {{"Catacity", kMaxBytes}, {"Audio", kMaxBytes}, {"Video", kMaxBytes},
        {"Photos", kMaxBytes}, {"Others", kMaxBytes}, {"Available", kMaxBytes}},
       "Big", "17179869184.00GB"},
      {"zero numbers",
       {{"DeviceName", "Zero"}, {"Type", "iPhone"}},
       {{"Catacity", 0}, {"Audio", 0}, {"Video", 0}, {"Photos", 0}, {"Others", 0},
        {"Available", 0}},
       "Zero", "unknown"},
      {"mnemonic and markup characters",
       {{"DeviceName", "Tom & Jerry && <b>Co</b> _x_"}, {"Type", "iPhone"}},
       {{"Catacity", 1024}, {"Available", 512}},
       "Tom & Jerry && <b>Co</b> _x_", "1.00KB"},
  };

  TransferFrame* frame = MakeFrame();
  frame->Show(true);
  TransferApp& app = wxGetApp();
  DeviceInfoView* view = app.device_info_view_;
  const wxSize smallest = frame->GetMinSize();
  ASSERT_GT(smallest.x, 0);

  // Shown texts at the smallest size, to compare with a larger window.
  std::map<std::pair<std::string, wxStaticText*>, wxString> shown_when_small;
  for (const wxSize& size : {smallest, smallest + wxSize(400, 200)}) {
    Resize(frame, size);
    const bool small = size == smallest;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (small ? " (smallest)" : " (larger)"));
      plist_t info = Dict(c.strings, c.numbers);
      view->UpdateDeviceInfo(info);
      app.right_pane_->ZLShowView(1);
      testsupport::RunLoopFor(20);

      const wxRect view_rect = view->GetScreenRect();
      const wxRect frame_rect = frame->GetScreenRect();
      ExpectInside(view->device_picture(), view_rect, frame_rect, "picture");
      ExpectInside(view->histogram(), view_rect, frame_rect, "bar");
      ExpectInside(view->capacity_text(), view_rect, frame_rect, "capacity text");
      EXPECT_GE(view->histogram()->GetSize().x, 100);
      EXPECT_GE(view->capacity_text()->GetScreenRect().x,
                view->histogram()->GetScreenRect().GetRight());
      for (int i = 0; i < DeviceInfoView::kPartCount; ++i) {
        SCOPED_TRACE(i);
        ExpectInside(view->part_sample(i), view_rect, frame_rect, "legend sample");
        ExpectInside(view->part_label(i), view_rect, frame_rect, "legend label");
        ExpectInside(view->part_value(i), view_rect, frame_rect, "legend value");
        if (i + 1 < DeviceInfoView::kPartCount) {
          // The legend entries stand side by side without overlapping.
          const int next = view->part_sample(i + 1)->GetScreenRect().x;
          EXPECT_LE(view->part_label(i)->GetScreenRect().GetRight(), next);
          EXPECT_LE(view->part_value(i)->GetScreenRect().GetRight(), next);
        }
      }
      wxStaticText* values[] = {view->name_value(), view->type_value(),
                                view->capacity_value(), view->version_value(),
                                view->serial_value()};
      for (wxStaticText* value : values)
        ExpectInside(value, view_rect, frame_rect, "value");

      std::map<std::string, std::string> strings(c.strings.begin(), c.strings.end());
      auto whole = [&](const char* key) {
        return ZLStringHelper::MakeOneLine(Utf8(strings[key]), kMaxShownTextLength);
      };
      ExpectFitted(view, view->name_value(),
                   c.name ? Utf8(c.name) : whole("DeviceName"), "name");
      ExpectFitted(view, view->type_value(), whole("Type"), "type");
      ExpectFitted(view, view->version_value(), whole("Version"), "version");
      ExpectFitted(view, view->serial_value(), whole("SerialNumber"), "serial");
      ExpectFitted(view, view->capacity_value(), Utf8(c.capacity), "capacity");
      ExpectFitted(view, view->capacity_text(), Utf8(c.capacity), "capacity text");
      for (int i = 0; i < DeviceInfoView::kPartCount; ++i) {
        ExpectFitted(view, view->part_label(i), view->whole_text(view->part_label(i)),
                     "legend label");
        ExpectFitted(view, view->part_value(i), view->whole_text(view->part_value(i)),
                     "legend value");
      }
      // Long texts are cut to the limit before they reach the toolkit.
      if (strings["DeviceName"].size() > kMaxShownTextLength) {
        const wxString name = view->whole_text(view->name_value());
        EXPECT_EQ(name.length(), kMaxShownTextLength);
        EXPECT_EQ(name.Last(), kEllipsis);
        EXPECT_NE(view->name_value()->GetLabelText(), name);
      }

      wxStaticText* fitted[] = {view->name_value(), view->type_value(),
                                view->version_value(), view->serial_value(),
                                view->capacity_text(), view->part_value(0)};
      for (wxStaticText* label : fitted) {
        const auto key = std::make_pair(std::string(c.what), label);
        if (small) {
          shown_when_small[key] = label->GetLabelText();
        } else {
          // A larger window shows at least as much of every text.
          EXPECT_GE(label->GetLabelText().length(), shown_when_small[key].length());
        }
      }
      if (!small && strings["DeviceName"].size() >= 300) {
        EXPECT_GT(view->name_value()->GetLabelText().length(),
                  shown_when_small[std::make_pair(std::string(c.what),
                                                  view->name_value())].length());
      }
      plist_free(info);
    }
  }
  frame->Destroy();
}

// Values of real devices show whole, without tooltips: a phone's at the
// smallest window, a 1 TB tablet's in a larger one.
TEST_F(LongValuesTest, NormalValuesShowWhole) {
  const struct {
    const char* name;
    const char* type;
    uint64_t capacity;
    uint64_t part;
    uint64_t available;
    wxSize larger;
    const char* capacity_text;
    const char* part_text;
    const char* available_text;
  } cases[] = {
      {"Demo iPhone", "iPhone14,2", 64000000000ULL, 11300000000ULL,
       31000000000ULL, wxSize(0, 0), "59.60GB", "10.52GB", "28.87GB"},
      {"Studio iPad Pro 12.9-inch", "iPad13,11", 1000000000000ULL,
       250000000000ULL, 0, wxSize(300, 0), "931.32GB", "232.83GB", "0KB"},
  };
  TransferFrame* frame = MakeFrame();
  frame->Show(true);
  DeviceInfoView* view = wxGetApp().device_info_view_;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Resize(frame, frame->GetMinSize() + c.larger);
    plist_t info = Dict({{"DeviceName", c.name}, {"Type", c.type},
                         {"Version", "17.5.1"}, {"SerialNumber", "FR4BCCWGUUZ4"}},
                        {{"Catacity", c.capacity}, {"Audio", c.part},
                         {"Video", c.part}, {"Photos", c.part}, {"Others", c.part},
                         {"Available", c.available}});
    view->UpdateDeviceInfo(info);
    wxGetApp().right_pane_->ZLShowView(1);
    testsupport::RunLoopFor(20);
    const struct {
      wxStaticText* label;
      const char* text;
    } expected[] = {
        {view->name_value(), c.name},
        {view->type_value(), c.type},
        {view->version_value(), "17.5.1"},
        {view->serial_value(), "FR4BCCWGUUZ4"},
        {view->capacity_value(), c.capacity_text},
        {view->capacity_text(), c.capacity_text},
        {view->part_value(0), c.part_text},
        {view->part_value(3), c.part_text},
        {view->part_value(4), c.available_text},
        {view->part_label(4), "Available"},
    };
    for (const auto& e : expected) {
      EXPECT_EQ(e.label->GetLabelText(), e.text);
      EXPECT_EQ(e.label->GetToolTipText(), "");
    }
    plist_free(info);
  }
  frame->Destroy();
}

class LongNamesDetectedTest : public LongValuesTest {
 protected:
  std::string Image(const std::string& folder, int n, const std::string& name) {
    char id[41];
    snprintf(id, sizeof id, "%040x", n);
    DeviceImageBuilder image(images_ + "/" + folder);
    image.Identifier(id);
    image.Info(Dict({{"DeviceName", name}, {"Type", "iPhone14,2"}},
                    {{"Catacity", 1024}, {"Available", 512}}));
    return image.Write();
  }
};

// The selection box has the pane's width and shows each name on one line,
// shortened to its room; the chosen name is whole in its tooltip, and so is
// the tree root's.
TEST_F(LongNamesDetectedTest, SelectionBoxAndTreeRootShortenNamesToTheirRoom) {
  const std::vector<std::string> names = {
      "Demo iPhone", "Phone " + std::string(54, 'W'), std::string(300, 'W'),
      std::string(1000000, 'M'), "Line one\nLine two\x01 and a third line"};
  std::vector<std::string> folders;
  for (size_t i = 0; i < names.size(); ++i)
    folders.push_back(Image("device" + std::to_string(i), 40 + int(i), names[i]));
  testsupport::ConnectImages(folders);

  TransferFrame* frame = MakeFrame();
  frame->Show(true);
  TransferApp& app = wxGetApp();
  ASSERT_TRUE(testsupport::RunLoopUntil([&] {
    return frame->detection_started() && !app.left_pane_->detecting();
  }, 20000));
  Resize(frame, frame->GetMinSize());
  wxComboBox* box = app.device_combo_box_;
  wxTreeCtrl* tree = app.navigation_tree_;
  ASSERT_EQ(box->GetCount(), names.size());

  // Box and button lie inside the pane, one below the other.
  const wxRect pane = app.left_pane_->GetScreenRect();
  const wxRect box_rect = box->GetScreenRect();
  const wxRect button_rect = app.refresh_button_->GetScreenRect();
  EXPECT_TRUE(pane.Contains(box_rect));
  EXPECT_TRUE(pane.Contains(button_rect));
  EXPECT_FALSE(box_rect.Intersects(button_rect));
  EXPECT_GE(box_rect.width, pane.width - 4);
  const int room = box->GetSize().x - box->GetSizeFromTextSize(0).x;
  EXPECT_GE(room, box->GetTextExtent("Demo iPhone").x);

  for (size_t pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      // A narrower pane shortens the names again.
      wxSplitterWindow* client = static_cast<wxSplitterWindow*>(app.left_pane_->GetParent());
      client->SetSashPosition(120);
      testsupport::RunLoopUntil([&] { return box->GetSize().x < 120; });
    }
    const int box_room = box->GetSize().x - box->GetSizeFromTextSize(0).x;
    for (size_t i = 0; i < names.size(); ++i) {
      SCOPED_TRACE(std::to_string(pass) + " " + names[i].substr(0, 20));
      const wxString whole = ZLStringHelper::MakeOneLine(Utf8(names[i]), kMaxShownTextLength);
      const wxString shown = box->GetString(i);
      EXPECT_TRUE(IsOneLine(shown));
      EXPECT_TRUE(IsShortenedFrom(shown, whole)) << shown;
      EXPECT_LE(box->GetTextExtent(shown).x, box_room);
      if (pass == 0 && i == 0) {
        EXPECT_EQ(shown, "Demo iPhone");
      }
      if (i > 0) {
        EXPECT_NE(shown, whole);
      }

      box->SetSelection(int(i));
      wxCommandEvent select(wxEVT_COMBOBOX, box->GetId());
      select.SetInt(int(i));
      app.left_pane_->ProcessWindowEvent(select);
      EXPECT_EQ(box->GetValue(), shown);
      EXPECT_EQ(Unwrapped(box->GetToolTipText()), shown == whole ? wxString() : whole);

      const wxTreeItemId root = tree->GetRootItem();
      ASSERT_TRUE(root.IsOk());
      const wxString root_text = tree->GetItemText(root);
      EXPECT_TRUE(IsOneLine(root_text));
      EXPECT_TRUE(IsShortenedFrom(root_text, whole)) << root_text;
      wxRect root_rect;
      testsupport::RunLoopFor(20);
      ASSERT_TRUE(tree->GetBoundingRect(root, root_rect, true));
      EXPECT_LE(root_rect.x + tree->GetTextExtent(root_text).x,
                tree->GetClientSize().x);
      wxTreeEvent tip(wxEVT_TREE_ITEM_GETTOOLTIP, tree, root);
      tree->ProcessWindowEvent(tip);
      if (root_text == whole) {
        EXPECT_FALSE(tip.IsAllowed());
      } else {
        EXPECT_TRUE(tip.IsAllowed());
        EXPECT_EQ(Unwrapped(tip.GetLabel()), whole);
      }
      // The information view got the same name, cut to the same limit.
      EXPECT_EQ(app.device_info_view_->whole_text(app.device_info_view_->name_value()),
                whole);
    }
  }
  frame->Destroy();
}

}  // namespace
