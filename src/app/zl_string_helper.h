#ifndef PORTIVA_APP_ZL_STRING_HELPER_H
#define PORTIVA_APP_ZL_STRING_HELPER_H

#include <wx/string.h>

// Display and file-name rules shared by the lists, the device views and
// the export.
class ZLStringHelper {
 public:
  // Replaces the characters that file systems refuse by "_", in place, and
  // returns a copy of the result.
  static wxString MakeFileName(wxString& name);
  // "h:m:s" without leading zeros.
  static wxString GetTimeFromMilliseconds(unsigned long long ms);
  // Two decimals in binary units, "0KB" for nothing.
  static wxString GetCapacityFromBytes(unsigned long long bytes);
};

#endif
