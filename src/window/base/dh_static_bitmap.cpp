#include "window/base/dh_static_bitmap.h"

DhStaticBitmapBase::DhStaticBitmapBase() : bg_(nullptr) {}

void DhStaticBitmapBase::SetBg(wxBitmap* bg) { bg_ = bg; }
