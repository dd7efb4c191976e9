#ifndef PORTIVA_APP_ZL_STRING_HELPER_H
#define PORTIVA_APP_ZL_STRING_HELPER_H

#include <wx/string.h>

#include <functional>

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
  // The status hint for marked items: "Select 3 files, total 3.00MB" in
  // the current language, without the total when the size is 0, empty
  // when nothing is marked.
  static wxString GetCheckedHint(long count, unsigned long long bytes);

  // A value from a device as one line of at most max_length characters:
  // each line break (LF, CR, CR LF, VT, FF, NEL, line and paragraph
  // separator) shows as a return arrow U+21B5, a tab as a blank, any other
  // control character as U+FFFD; a longer text is cut and ends in an
  // ellipsis U+2026. Only the start of the text is looked at, so a huge
  // value costs nothing.
  static wxString MakeOneLine(const wxString& text, size_t max_length);
  // The text with an invisible break opportunity (U+200B) after every
  // run_length characters without a blank, so that a tooltip can wrap a
  // long word instead of running off the screen.
  static wxString MakeWrappable(const wxString& text, size_t run_length);
  // The text when it is at most max_width wide by the measure; otherwise its
  // longest start that fits followed by an ellipsis U+2026, or nothing when
  // not even the ellipsis fits.
  static wxString ShortenToWidth(
      const wxString& text, int max_width,
      const std::function<int(const wxString&)>& width);
};

// How much of a device's text the windows take, tooltips included.
const size_t kMaxShownTextLength = 256;
// Longest run of characters a tooltip shows without a chance to wrap.
const size_t kToolTipRunLength = 32;

#endif
