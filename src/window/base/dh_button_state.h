#ifndef PORTIVA_WINDOW_BASE_DH_BUTTON_STATE_H
#define PORTIVA_WINDOW_BASE_DH_BUTTON_STATE_H

#include <wx/control.h>

// The mouse state of a skinned push button, shared by DhBitmapButton and
// DhWordButton: each mouse event moves the state, repaints the button and,
// on the release of an unbroken press, clicks it.
class DhButtonState {
 public:
  // 3 (released) and 4 (left) look like 0; 5 is drawn like 2.
  enum {
    kNormal = 0,
    kEntered = 1,
    kDown = 2,
    kReleased = 3,
    kLeft = 4,
    kDownAgain = 5,
    kDisabled = 6
  };

  explicit DhButtonState(wxControl* button)
      : button_(button), state_(kNormal) {}

  int state() const { return state_; }

  void Enter();
  // Ignored while the button is disabled, which keeps its disabled look.
  void Leave();
  void Down();
  void DoubleClick();
  // Clicks only when the button is still down from the press.
  void Up();
  // Moves to the enabled or disabled state; the caller then enables or
  // disables the window itself.
  void SetEnabled(bool enable);

 private:
  void Repaint(bool erase);
  void Click();

  wxControl* button_;
  int state_;

  wxDECLARE_NO_COPY_CLASS(DhButtonState);
};

#endif
