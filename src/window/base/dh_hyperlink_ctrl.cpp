#include "window/base/dh_hyperlink_ctrl.h"

DhHyperLinkCtrlBase::DhHyperLinkCtrlBase() : bg_(nullptr) {}

void DhHyperLinkCtrlBase::SetBg(wxBitmap* bg) { bg_ = bg; }
