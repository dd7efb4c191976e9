#include "window/public_list_view_copy.h"

#include <wx/listimpl.cpp>
WX_DEFINE_LIST(PublicListViewCopy);
