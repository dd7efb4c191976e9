// Lays out every skinned control on themed windows, so that the skin can be
// checked by eye: run it (under Xvfb if need be) and take a screenshot.
//   skin_gallery [--install-root DIR]
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/gbsizer.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "app/transfer_app.h"
#include "common/domain_face.h"
#include "common/image_util.h"
#include "window/base/dh_hyperlink_ctrl.h"
#include "window/base/dh_static_bitmap.h"
#include "window/base/dh_static_text.h"
#include "window/base/dh_word_button.h"
#include "window/base/zl_border.h"
#include "window/base/zl_button.h"
#include "window/base/zl_histogram_ctrl.h"
#include "window/base/zl_menu_bar.h"
#include "window/base/zl_resizable_frame_base.h"
#include "window/base/zl_title_bar.h"

namespace {

wxBitmap* Picture(const char* path) {
  return ImageUtil::GetBitmapResourceP(path, wxBITMAP_TYPE_PNG);
}

wxStaticText* Caption(wxWindow* parent, const wxString& text, const wxColour& colour) {
  wxStaticText* label = new wxStaticText(parent, wxID_ANY, text);
  label->SetForegroundColour(colour);
  return label;
}

// The dark strip of the tool bar with its controls in every state.
wxPanel* ToolStrip(wxWindow* parent, wxBitmap* tool_tile) {
  wxPanel* strip = new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, 42));
  strip->SetBackgroundStyle(wxBG_STYLE_PAINT);
  strip->Bind(wxEVT_PAINT, [strip, tool_tile](wxPaintEvent&) {
    wxPaintDC dc(strip);
    wxSize size = strip->GetClientSize();
    for (int x = 0; x < size.x; x += tool_tile->GetWidth()) dc.DrawBitmap(*tool_tile, x, 0);
  });
  wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
  strip->SetSizer(row);
  row->AddSpacer(10);

  ZLMenuBar* menu_bar = new ZLMenuBar(Picture("image/tool/menu_bar_bg.png"), strip, wxID_ANY);
  const wxColour normal = DomainFace::GetColour(kFaceMenuTextNormalColour);
  const wxColour current = DomainFace::GetColour(kFaceMenuTextCurrentColour);
  const char* const menus[] = {"File", "Edit", "Advanced", "Help"};
  int id = 7000;
  for (const char* name : menus) {
    wxMenu* menu = new wxMenu;
    menu->Append(id + 100, wxString("First entry of ") + name);
    menu->AppendSeparator();
    menu->Append(id + 101, "Second entry");
    menu_bar->AppendMenuButton(id++, menu, name, normal, current);
  }
  row->Add(menu_bar, 0, wxALIGN_CENTER_VERTICAL);
  row->AddSpacer(30);

  wxBitmap export_pictures[] = {
      ImageUtil::GetBitmapResource("image/tool/export-normal.png", wxBITMAP_TYPE_PNG),
      ImageUtil::GetBitmapResource("image/tool/export-current.png", wxBITMAP_TYPE_PNG),
      ImageUtil::GetBitmapResource("image/tool/export-pressed.png", wxBITMAP_TYPE_PNG)};
  const wxRect crop = DomainFace::GetRect(kFaceExportButtonCrop);
  const wxFont font = DomainFace::GetFont(kFaceExportButtonFont);
  const struct {
    const char* caption;
    int look;  // which picture shows as the normal one
    bool enabled;
  } words[] = {{"Export", 0, true},
               {"Export", 1, true},
               {"Export", 2, true},
               {"Export everything checked", 0, true},
               {"Export", 0, false}};
  for (const auto& word : words) {
    DhWordButton* button = new DhWordButton;
    button->Create(strip, wxID_ANY);
    button->SetStatusBitmap(export_pictures[word.look], crop.x, crop.width,
                            export_pictures[1], export_pictures[2]);
    button->SetBackgroundMode(
        ImageUtil::GetBitmapResource("image/tool/tool_bg.png", wxBITMAP_TYPE_PNG),
        DhWordButtonBgTile);
    button->text_y_ = crop.y;
    button->SetForegroundColour(DomainFace::GetColour(kFaceExportButtonTextColour));
    button->SetText(word.caption, font);
    if (!word.enabled) button->Disable();
    row->Add(button, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  }
  row->AddStretchSpacer(1);

  // Each switch in its normal, hover and pressed look.
  const char* const switches[] = {"list_view", "filter_view"};
  const char* const states[] = {"normal", "hover", "pressed"};
  for (const char* name : switches) {
    for (const char* state : states) {
      wxString path = wxString::Format("image/tool/%s_%s.png", name, state);
      ZLButton* button = new ZLButton(tool_tile, Picture(path.c_str()), nullptr,
                                      nullptr, strip, wxID_ANY);
      row->Add(button, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    }
    row->AddSpacer(12);
  }
  return strip;
}

// Static controls over the about dialog's picture, and the histogram.
wxPanel* InfoPanel(wxWindow* parent, wxBitmap* info_bg) {
  wxPanel* panel = new wxPanel(parent, wxID_ANY, wxDefaultPosition,
                               wxSize(info_bg->GetWidth(), info_bg->GetHeight()));
  panel->SetBackgroundStyle(wxBG_STYLE_PAINT);
  panel->Bind(wxEVT_PAINT, [panel, info_bg](wxPaintEvent&) {
    wxPaintDC dc(panel);
    dc.DrawBitmap(*info_bg, 0, 0);
  });

  DhStaticBitmap* icon = new DhStaticBitmap;
  wxImage app_image = ImageUtil::LoadImage("application/application.png", wxBITMAP_TYPE_PNG);
  if (app_image.IsOk()) app_image.Rescale(80, 80, wxIMAGE_QUALITY_HIGH);
  icon->Create(panel, wxID_ANY, wxBitmap(app_image), wxPoint(160, 40));
  icon->SetBg(info_bg);

  DhStaticText* name = new DhStaticText;
  name->Create(panel, wxID_ANY, "Portiva 3.6.116", wxPoint(140, 135));
  wxFont bold = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  bold.SetPointSize(14);
  bold.MakeBold();
  name->SetFont(bold);
  name->SetSize(name->GetBestSize());
  name->SetForegroundColour(*wxBLACK);
  name->SetBg(info_bg);

  DhStaticText* note = new DhStaticText;
  note->Create(panel, wxID_ANY, "Text over the theme picture", wxPoint(120, 165));
  note->SetForegroundColour(*wxBLACK);
  note->SetBg(info_bg);

  DhHyperLinkCtrl* link = new DhHyperLinkCtrl;
  link->Create(panel, wxID_ANY, "https://www.portiva.example/portiva/",
               "https://www.portiva.example/portiva/", wxPoint(95, 190));
  link->SetBg(info_bg);
  return panel;
}

wxWindow* CapacityBar(wxWindow* parent) {
  wxPanel* panel = new wxPanel(parent, wxID_ANY);
  wxBitmap* client_tile = Picture("image/client/client_bg.png");
  ZLHistogramCtrl* bar = new ZLHistogramCtrl(client_tile, panel, wxID_ANY,
                                             wxPoint(10, 10), wxSize(560, 28), 3.25);
  const struct {
    const char* picture;
    double ratio;
  } parts[] = {{"image/client/device-info/percentage_audio.png", 0.15},
               {"image/client/device-info/percentage_video.png", 0.2},
               {"image/client/device-info/percentage_photo.png", 0.25},
               {"image/client/device-info/percentage_others.png", 0.1},
               {"image/client/device-info/percentage_available.png", 0}};
  for (const auto& part : parts) bar->ZLAppendHistogramPart(Picture(part.picture), part.ratio);
  panel->SetMinSize(wxSize(580, 48));
  return panel;
}

// A small shaped frame with the title bar and all eight border kinds.
void ChromeFrame() {
  ZLResizableFrameBase* frame = new ZLResizableFrameBase(
      nullptr, wxID_ANY, "Chrome", wxPoint(40, 520), wxSize(420, 200));
  frame->ZLSetRoundRectShape(false, 8.0);
  wxGridBagSizer* grid = new wxGridBagSizer(0, 0);
  frame->SetSizer(grid);
  const struct {
    int row, col, kind, w, h;
    const char* picture;
  } borders[] = {{0, 0, 0, 5, 5, "image/border/top_border_bg.png"},
                 {0, 1, 1, -1, 5, "image/border/top_border_bg.png"},
                 {0, 2, 2, 5, 5, "image/border/top_border_bg.png"},
                 {1, 0, 3, 5, 20, "image/border/title_border_bg.png"},
                 {1, 2, 4, 5, 20, "image/border/title_border_bg.png"},
                 {2, 0, 3, 5, -1, "image/border/border_bg.png"},
                 {2, 2, 4, 5, -1, "image/border/border_bg.png"},
                 {3, 0, 5, 5, 5, "image/border/border_bg.png"},
                 {3, 1, 6, -1, 5, "image/border/border_bg.png"},
                 {3, 2, 7, 5, 5, "image/border/border_bg.png"}};
  for (const auto& b : borders) {
    ZLBorder* border = new ZLBorder(b.kind, frame, wxID_ANY, wxDefaultPosition, wxSize(b.w, b.h));
    border->SetBackgroundBitmap(ImageUtil::GetBitmapResource(b.picture, wxBITMAP_TYPE_PNG));
    border->owner_ = frame;
    border->active_ = true;
    grid->Add(border, wxGBPosition(b.row, b.col), wxGBSpan(1, 1), wxEXPAND);
  }
  ZLTitleBar* title = new ZLTitleBar(
      3, Picture("image/title/title_bg.png"), Picture("image/title/icon.png"),
      Picture("image/title/minimize_normal.png"), Picture("image/title/minimize_hover.png"),
      Picture("image/title/minimize_pressed.png"), Picture("image/title/maximize_normal.png"),
      Picture("image/title/maximize_hover.png"), Picture("image/title/maximize_pressed.png"),
      Picture("image/title/restore_normal.png"), Picture("image/title/restore_hover.png"),
      Picture("image/title/restore_pressed.png"), Picture("image/title/close_normal.png"),
      Picture("image/title/close_hover.png"), Picture("image/title/close_pressed.png"),
      frame, wxID_ANY, "Chrome", wxDefaultPosition, wxDefaultSize, wxSize(5, 5),
      wxSize(5, 5), 5, 0);
  title->title_text()->SetForegroundColour(DomainFace::GetColour(kFaceTitleTextColour));
  title->owner_ = frame;
  title->active_ = true;
  grid->Add(title, wxGBPosition(1, 1), wxGBSpan(1, 1), wxEXPAND);
  wxPanel* body = new wxPanel(frame, wxID_ANY);
  body->SetBackgroundColour(wxColour(236, 238, 241));
  grid->Add(body, wxGBPosition(2, 1), wxGBSpan(1, 1), wxEXPAND);
  grid->AddGrowableCol(1);
  grid->AddGrowableRow(2);
  frame->Layout();
  title->ZLLayoutControl();
  frame->Show();
}

class GalleryApp : public TransferApp {
 public:
  bool OnInit() override {
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
    wxInitAllImageHandlers();
    wxString root = PORTIVA_GALLERY_ROOT;
    for (int i = 1; i + 1 < argc; ++i)
      if (argv[i] == wxString("--install-root")) root = argv[i + 1];
    ImageUtil::SetThemeArchivePath(root + "/Themes/default.zip");
    DomainFace::LoadFace(root + "/Themes/face.xml");

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Skin gallery", wxPoint(20, 20),
                                 wxSize(1200, 480));
    wxPanel* page = new wxPanel(frame);
    page->SetBackgroundColour(wxColour(236, 238, 241));
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    page->SetSizer(column);
    tool_tile_ = Picture("image/tool/tool_bg.png");
    info_bg_ = Picture("image/dialog/info_bg.png");
    if (!tool_tile_ || !info_bg_) {
      fprintf(stderr, "no theme at %s\n", static_cast<const char*>(root.utf8_str()));
      return false;
    }
    column->Add(Caption(page, "Tool bar: menu bar, Export button (normal, current, "
                              "pressed, long caption, disabled), view switches",
                        *wxBLACK), 0, wxALL, 6);
    column->Add(ToolStrip(page, tool_tile_), 0, wxEXPAND);
    wxBoxSizer* lower = new wxBoxSizer(wxHORIZONTAL);
    wxBoxSizer* left = new wxBoxSizer(wxVERTICAL);
    left->Add(Caption(page, "Capacity histogram", *wxBLACK), 0, wxALL, 6);
    left->Add(CapacityBar(page), 0, wxALL, 4);
    lower->Add(left, 1, wxEXPAND);
    wxBoxSizer* right = new wxBoxSizer(wxVERTICAL);
    right->Add(Caption(page, "Static controls over a picture", *wxBLACK), 0, wxALL, 6);
    right->Add(InfoPanel(page, info_bg_), 0, wxALL, 4);
    lower->Add(right, 0, wxEXPAND);
    column->Add(lower, 1, wxEXPAND | wxTOP, 10);
    frame->Show();
    ChromeFrame();
    return true;
  }

 private:
  wxBitmap* tool_tile_ = nullptr;
  wxBitmap* info_bg_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  wxApp::SetInstance(new GalleryApp);
  return wxEntry(argc, argv);
}
