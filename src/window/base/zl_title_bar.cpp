#include "window/base/zl_title_bar.h"

#include <wx/generic/statbmpg.h>
#include <wx/stattext.h>

#include "common/domain_face.h"
#include "window/base/zl_button.h"
#include "window/base/zl_resizable_frame_base.h"

wxIMPLEMENT_DYNAMIC_CLASS(ZLTitleBar, wxPanel);

wxBEGIN_EVENT_TABLE(ZLTitleBar, wxPanel)
  EVT_SIZE(ZLTitleBar::OnSize)
  EVT_LEFT_DOWN(ZLTitleBar::OnLeftDown)
  EVT_LEFT_UP(ZLTitleBar::OnLeftUp)
  EVT_LEFT_DCLICK(ZLTitleBar::OnLeftDClick)
  EVT_MOUSE_CAPTURE_LOST(ZLTitleBar::OnMouseCaptureLost)
  EVT_MOTION(ZLTitleBar::OnMouseMove)
  EVT_BUTTON(ZLTitleBar::kCloseBoxId, ZLTitleBar::OnCloseBoxClicked)
  EVT_BUTTON(ZLTitleBar::kMaximizeBoxId, ZLTitleBar::OnMaximizeBoxClicked)
  EVT_BUTTON(ZLTitleBar::kRestoreBoxId, ZLTitleBar::OnMaximizeBoxClicked)
  EVT_BUTTON(ZLTitleBar::kMinimizeBoxId, ZLTitleBar::OnMinimizeBoxClicked)
wxEND_EVENT_TABLE()

ZLTitleBar::ZLTitleBar()
    : owner_(nullptr),
      active_(false),
      style_(0),
      background_(nullptr),
      icon_bitmap_(nullptr),
      minimize_bitmap_(),
      maximize_bitmap_(),
      restore_bitmap_(),
      close_bitmap_(),
      extra_bitmap_(),
      icon_gap_(0),
      button_gap_(0),
      icon_(nullptr),
      title_text_(nullptr),
      close_button_(nullptr),
      maximize_button_(nullptr),
      restore_button_(nullptr),
      minimize_button_(nullptr),
      drag_offset_x_(0),
      drag_offset_y_(0) {}

ZLTitleBar::ZLTitleBar(
    int style, wxBitmap* background, wxBitmap* icon,
    wxBitmap* minimize_normal, wxBitmap* minimize_hover,
    wxBitmap* minimize_pressed, wxBitmap* maximize_normal,
    wxBitmap* maximize_hover, wxBitmap* maximize_pressed,
    wxBitmap* restore_normal, wxBitmap* restore_hover,
    wxBitmap* restore_pressed, wxBitmap* close_normal, wxBitmap* close_hover,
    wxBitmap* close_pressed, wxWindow* parent, int id, const wxString& title,
    const wxPoint& pos, const wxSize& size, const wxSize& left_margin_top,
    const wxSize& right_margin_top, int icon_gap, int button_gap,
    wxBitmap* minimize_extra1, wxBitmap* minimize_extra2,
    wxBitmap* maximize_extra1, wxBitmap* maximize_extra2,
    wxBitmap* restore_extra1, wxBitmap* restore_extra2,
    wxBitmap* close_extra1, wxBitmap* close_extra2)
    : ZLTitleBar() {
  style_ = style;
  title_ = title;
  background_ = background;
  icon_bitmap_ = icon;
  minimize_bitmap_[0] = minimize_normal;
  minimize_bitmap_[1] = minimize_hover;
  minimize_bitmap_[2] = minimize_pressed;
  maximize_bitmap_[0] = maximize_normal;
  maximize_bitmap_[1] = maximize_hover;
  maximize_bitmap_[2] = maximize_pressed;
  restore_bitmap_[0] = restore_normal;
  restore_bitmap_[1] = restore_hover;
  restore_bitmap_[2] = restore_pressed;
  close_bitmap_[0] = close_normal;
  close_bitmap_[1] = close_hover;
  close_bitmap_[2] = close_pressed;
  extra_bitmap_[0] = minimize_extra1;
  extra_bitmap_[1] = minimize_extra2;
  extra_bitmap_[2] = maximize_extra1;
  extra_bitmap_[3] = maximize_extra2;
  extra_bitmap_[4] = restore_extra1;
  extra_bitmap_[5] = restore_extra2;
  extra_bitmap_[6] = close_extra1;
  extra_bitmap_[7] = close_extra2;
  left_margin_top_ = left_margin_top;
  right_margin_top_ = right_margin_top;
  icon_gap_ = icon_gap;
  button_gap_ = button_gap;
  if (!Create(parent, id, pos, size)) {
    // Pictures that no button took over stay ours.
    for (wxBitmap** set : {minimize_bitmap_, maximize_bitmap_,
                           restore_bitmap_, close_bitmap_}) {
      for (int i = 0; i < 3; ++i) {
        delete set[i];
        set[i] = nullptr;
      }
    }
  }
}

ZLTitleBar::~ZLTitleBar() {
  // The buttons and the icon draw with the background; they go first.
  DestroyChildren();
  delete background_;
  delete icon_bitmap_;
  for (wxBitmap* extra : extra_bitmap_) delete extra;
}

bool ZLTitleBar::Create(wxWindow* parent, int id, const wxPoint& pos,
                        const wxSize& size) {
  if (!wxPanel::Create(parent, id, pos, size,
                       wxTAB_TRAVERSAL | wxBORDER_NONE))
    return false;
  if (background_ && background_->IsOk()) SetBackgroundBitmap(*background_);

  icon_ = new wxGenericStaticBitmap(
      this, wxID_ANY,
      icon_bitmap_ && icon_bitmap_->IsOk() ? *icon_bitmap_ : wxBitmap(),
      wxDefaultPosition, wxSize(16, 16));
  // Around a partly transparent icon the bar's texture shows through.
  icon_->Bind(wxEVT_ERASE_BACKGROUND, &ZLTitleBar::OnIconEraseBackground,
              this);
  if (!(style_ & kShowIcon)) icon_->Hide();

  title_text_ = new wxStaticText(this, wxID_ANY, title_, wxDefaultPosition,
                                 wxSize(-1, 16));
  title_text_->Bind(wxEVT_LEFT_DOWN, &ZLTitleBar::OnLeftDown, this);
  title_text_->Bind(wxEVT_LEFT_UP, &ZLTitleBar::OnLeftUp, this);
  title_text_->Bind(wxEVT_LEFT_DCLICK, &ZLTitleBar::OnLeftDClick, this);
  title_text_->Bind(wxEVT_MOUSE_CAPTURE_LOST,
                    &ZLTitleBar::OnMouseCaptureLost, this);
  title_text_->Bind(wxEVT_MOTION, &ZLTitleBar::OnMouseMove, this);
  title_text_->SetForegroundColour(DomainFace::GetColour(kFaceTitleTextColour));

  close_button_ = new ZLButton(background_, close_bitmap_[0], close_bitmap_[1],
                               close_bitmap_[2], this, kCloseBoxId,
                               wxDefaultPosition, nullptr, nullptr);
  maximize_button_ = new ZLButton(
      background_, maximize_bitmap_[0], maximize_bitmap_[1],
      maximize_bitmap_[2], this, kMaximizeBoxId, wxDefaultPosition, nullptr,
      nullptr);
  restore_button_ = new ZLButton(
      background_, restore_bitmap_[0], restore_bitmap_[1], restore_bitmap_[2],
      this, kRestoreBoxId, wxDefaultPosition, nullptr, nullptr);
  restore_button_->Hide();
  minimize_button_ = new ZLButton(
      background_, minimize_bitmap_[0], minimize_bitmap_[1],
      minimize_bitmap_[2], this, kMinimizeBoxId, wxDefaultPosition, nullptr,
      nullptr);

  ZLLayoutControl();
  return true;
}

void ZLTitleBar::ZLLayoutControl() {
  if (!icon_ || !title_text_ || !close_button_ || !maximize_button_ ||
      !restore_button_ || !minimize_button_)
    return;
  const wxSize bar = GetSize();
  const bool centred = (style_ & kCentreVertically) != 0;
  auto top = [&](wxWindow* child, int fixed_top) {
    return centred ? (bar.y - child->GetSize().y) / 2 : fixed_top;
  };

  int title_x = left_margin_top_.x;
  if (icon_->IsShown()) {
    icon_->Move(left_margin_top_.x, top(icon_, left_margin_top_.y));
    title_x += icon_->GetSize().x + icon_gap_;
  }
  // The owner may have changed the text's font or label since last time.
  title_text_->SetSize(title_text_->GetBestSize().x, title_text_->GetSize().y);
  title_text_->Move(title_x, top(title_text_, left_margin_top_.y));

  const int button_top = right_margin_top_.y;
  const int close_x =
      bar.x - right_margin_top_.x - close_button_->GetSize().x;
  close_button_->Move(close_x, top(close_button_, button_top));
  const int maximize_x =
      close_x - maximize_button_->GetSize().x - button_gap_;
  maximize_button_->Move(maximize_x, top(maximize_button_, button_top));
  restore_button_->Move(maximize_x, top(restore_button_, button_top));
  const int minimize_x =
      maximize_x - minimize_button_->GetSize().x - button_gap_;
  minimize_button_->Move(minimize_x, top(minimize_button_, button_top));
}

wxSize ZLTitleBar::DoGetBestSize() const {
  if (!icon_ || !title_text_ || !close_button_ || !maximize_button_ ||
      !restore_button_ || !minimize_button_)
    return wxSize(0, -1);
  int width = left_margin_top_.x;
  if (icon_->IsShown()) width += icon_->GetSize().x + icon_gap_;
  width += title_text_->GetSize().x + minimize_button_->GetSize().x +
           maximize_button_->GetSize().x + close_button_->GetSize().x +
           2 * button_gap_ + right_margin_top_.x;
  return wxSize(width, -1);
}

void ZLTitleBar::OnSize(wxSizeEvent& event) {
  ZLLayoutControl();
  event.Skip();
}

namespace {
wxWindow* Receiver(wxEvent& event, wxWindow* fallback) {
  wxWindow* window = wxDynamicCast(event.GetEventObject(), wxWindow);
  return window ? window : fallback;
}
}  // namespace

void ZLTitleBar::OnLeftDown(wxMouseEvent& event) {
  if (active_ && owner_) {
    wxWindow* receiver = Receiver(event, this);
    if (!receiver->HasCapture()) receiver->CaptureMouse();
    const wxPoint offset = receiver->ClientToScreen(event.GetPosition()) -
                           owner_->GetPosition();
    drag_offset_x_ = offset.x;
    drag_offset_y_ = offset.y;
  }
  event.Skip();
}

void ZLTitleBar::OnMouseMove(wxMouseEvent& event) {
  wxWindow* receiver = Receiver(event, this);
  if (active_ && owner_ && !owner_->IsMaximized() && event.Dragging() &&
      event.LeftIsDown() && receiver->HasCapture()) {
    const wxPoint mouse = receiver->ClientToScreen(event.GetPosition());
    owner_->ZLUpdatePosition(
        wxPoint(mouse.x - drag_offset_x_, mouse.y - drag_offset_y_));
  }
  event.Skip();
}

void ZLTitleBar::OnLeftUp(wxMouseEvent& event) {
  wxWindow* receiver = Receiver(event, this);
  if (receiver->HasCapture()) receiver->ReleaseMouse();
  event.Skip();
}

void ZLTitleBar::OnLeftDClick(wxMouseEvent& event) {
  ToggleMaximized();
  event.Skip();
}

void ZLTitleBar::OnMouseCaptureLost(wxMouseCaptureLostEvent& event) {
  wxWindow* receiver = Receiver(event, this);
  if (receiver->HasCapture()) receiver->ReleaseMouse();
}

void ZLTitleBar::OnCloseBoxClicked(wxCommandEvent& event) {
  if (active_ && owner_) owner_->OnCloseBoxClicked(event);
}

void ZLTitleBar::OnMinimizeBoxClicked(wxCommandEvent&) {
  if (active_ && owner_ && !owner_->IsIconized()) owner_->Iconize(true);
}

void ZLTitleBar::OnMaximizeBoxClicked(wxCommandEvent&) { ToggleMaximized(); }

void ZLTitleBar::ToggleMaximized() {
  if (!active_ || !owner_ || !maximize_button_ || !restore_button_) return;
  if (owner_->IsMaximized()) {
    owner_->Restore();
    maximize_button_->Show();
    restore_button_->Hide();
  } else {
    owner_->Maximize(true);
    restore_button_->Show();
    maximize_button_->Hide();
  }
}

void ZLTitleBar::OnIconEraseBackground(wxEraseEvent& event) {
  if (!background_ || !background_->IsOk() || !event.GetDC()) {
    event.Skip();
    return;
  }
  icon_piece_.PaintTiled(event.GetDC(), background_, GetSize(),
                         wxRect(icon_->GetPosition(), icon_->GetSize()));
}
