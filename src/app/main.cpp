#include "app/transfer_app.h"

wxIMPLEMENT_WXWIN_MAIN
