#include "window/base/dh_static_text.h"

DhStaticTextBase::DhStaticTextBase() : bg_(nullptr) {}

void DhStaticTextBase::SetBg(wxBitmap* bg) { bg_ = bg; }
