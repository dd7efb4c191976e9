#include <stdio.h>
#include <string.h>
#include <wx/init.h>

#include "app/transfer_app.h"
#include "settings/domain_option.h"

namespace {

// What the toolkit itself takes from the command line; the program adds
// only --version.
const char kUsage[] =
    "Usage: portiva [OPTION...]\n"
    "Copies music, videos, pictures and books off a handheld device into\n"
    "folders on this computer.\n"
    "\n"
    "  -h, --help              show this help and exit\n"
    "      --version           show the product name and version and exit\n"
    "  -v, --verbose           log the toolkit's messages in detail\n"
    "      --display=DISPLAY   the X display to use\n"
    "      --class=CLASS       the window class the desktop sees\n"
    "      --name=NAME         the program name the desktop sees\n"
    "      --gtk-module=MODULES  GTK modules to load\n"
    "      --g-fatal-warnings  make every GTK warning fatal\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before the toolkit starts, so they work without a display.
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) break;
    if (strcmp(argv[i], "--version") == 0) {
      printf("Portiva %s\n", ProductVersion::GetVersion().utf8_string().c_str());
      return 0;
    }
    if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
      fputs(kUsage, stdout);
      return 0;
    }
  }
  // Made here rather than through the toolkit's initializer, which lives
  // in the same object file and would not be linked in otherwise.
  wxApp::SetInstance(new TransferApp);
  return wxEntry(argc, argv);
}
