#include "app/trace.h"

#include <cstdio>
#include <string>

void Trace(const wxString& line) {
  wxScopedCharBuffer utf8 = line.utf8_str();
  // One call per line keeps lines of different threads whole.
  std::string text(utf8.data(), utf8.length());
  text += '\n';
  fwrite(text.data(), 1, text.size(), stdout);
  fflush(stdout);
}
