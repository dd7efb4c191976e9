#include "app/zl_string_helper.h"

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
