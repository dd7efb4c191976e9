#include "app/zl_string_helper.h"

#include <wx/intl.h>
#include <wx/wxcrt.h>

#include <algorithm>

wxString ZLStringHelper::MakeFileName(wxString& name) {
  static const char* const kRefused[] = {"/", "\\", "|", ">", "<",
                                         "?", "*", "\"", ":", "\t"};
  for (const char* c : kRefused) name.Replace(c, "_");
  return name;
}

wxString ZLStringHelper::GetTimeFromMilliseconds(unsigned long long ms) {
  unsigned long long s = ms / 1000;
  return wxString::Format("%llu:%llu:%llu", s / 3600, (s % 3600) / 60, s % 60);
}

wxString ZLStringHelper::GetCapacityFromBytes(unsigned long long bytes) {
  const double kKB = 1024.0;
  const double kMB = 1048576.0;
  const double kGB = 1073741824.0;
  double value = static_cast<double>(bytes);
  if (bytes >= 1073741824ULL) return wxString::Format("%.2fGB", value / kGB);
  if (bytes >= 1048576ULL) return wxString::Format("%.2fMB", value / kMB);
  if (bytes > 0) return wxString::Format("%.2fKB", value / kKB);
  return wxString::Format("%dKB", 0);
}

wxString ZLStringHelper::GetCheckedHint(long count, unsigned long long bytes) {
  wxString hint;
  // The catalogs give each language its own plural forms.
  if (count >= 1)
    hint = wxString::Format(wxPLURAL("Select %d file", "Select %d files", count),
                            static_cast<int>(count));
  if (bytes != 0) hint += wxString::Format(_(", total %s"), GetCapacityFromBytes(bytes));
  return hint;
}

namespace {

bool IsLineBreak(wxUniChar::value_type v) {
  return (v >= 0x0A && v <= 0x0D) || v == 0x85 || v == 0x2028 || v == 0x2029;
}

// What shows in place of a character that would break the line or show
// nothing: line breaks as a return arrow, a tab as a blank, any other
// control character as the replacement character. 0: shown as it is.
wchar_t StandIn(wxUniChar::value_type v) {
  if (IsLineBreak(v)) return 0x21B5;
  if (v == '\t') return ' ';
  if (v < 0x20 || (v >= 0x7F && v < 0xA0)) return 0xFFFD;
  return 0;
}

}  // namespace

wxString ZLStringHelper::MakeOneLine(const wxString& text, size_t max_length) {
  wxString line;
  if (max_length == 0) return line;
  line.reserve(std::min(text.length(), max_length));
  size_t count = 0;
  wxUniChar::value_type previous = 0;
  for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
    const wxUniChar::value_type v = (*it).GetValue();
    // "\r\n" is one line break.
    const bool joined = previous == '\r' && v == '\n';
    previous = v;
    if (joined) continue;
    if (count == max_length) {
      // There is more than fits: the last place goes to the ellipsis.
      line.RemoveLast();
      line += wxUniChar(0x2026);
      break;
    }
    const wchar_t stand_in = StandIn(v);
    line += stand_in ? wxUniChar(stand_in) : *it;
    ++count;
  }
  return line;
}

wxString ZLStringHelper::ShortenToWidth(
    const wxString& text, int max_width,
    const std::function<int(const wxString&)>& width) {
  if (width(text) <= max_width) return text;
  const wxString ellipsis(wxUniChar(0x2026));
  if (width(ellipsis) > max_width) return wxString();
  // The whole text does not fit; find the longest start that does.
  size_t low = 0;
  size_t high = text.length() - 1;
  while (low < high) {
    const size_t mid = low + (high - low + 1) / 2;
    if (width(text.Left(mid) + ellipsis) <= max_width)
      low = mid;
    else
      high = mid - 1;
  }
  return text.Left(low) + ellipsis;
}

wxString ZLStringHelper::MakeWrappable(const wxString& text, size_t run_length) {
  if (run_length == 0) return text;
  wxString wrappable;
  wrappable.reserve(text.length() + text.length() / run_length);
  size_t run = 0;
  for (wxUniChar c : text) {
    if (wxIsspace(c)) {
      run = 0;
    } else if (run == run_length) {
      wrappable += wxUniChar(0x200B);
      run = 1;
    } else {
      ++run;
    }
    wrappable += c;
  }
  return wrappable;
}
