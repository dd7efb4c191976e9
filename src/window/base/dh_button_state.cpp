#include "window/base/dh_button_state.h"

void DhButtonState::Enter() {
  state_ = kEntered;
  Repaint(true);
}

void DhButtonState::Leave() {
  if (!button_->IsEnabled()) return;
  state_ = kLeft;
  Repaint(true);
}

void DhButtonState::Down() {
  state_ = kDown;
  Repaint(true);
}

void DhButtonState::DoubleClick() {
  state_ = kDown;
  Repaint(false);
}

void DhButtonState::Up() {
  // Leaving and entering again both replace the down state, so a press
  // dragged off the button never clicks.
  if (state_ != kDown) return;
  state_ = kReleased;
  Repaint(true);
  Click();
}

void DhButtonState::SetEnabled(bool enable) {
  state_ = enable ? kNormal : kDisabled;
  Repaint(false);
}

void DhButtonState::Repaint(bool erase) {
  button_->Refresh(erase);
  button_->Update();
}

void DhButtonState::Click() {
  wxCommandEvent event(wxEVT_BUTTON, button_->GetId());
  event.SetEventObject(button_);
  button_->ProcessWindowEvent(event);
}
