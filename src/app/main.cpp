#include <wx/init.h>

#include "app/transfer_app.h"

int main(int argc, char** argv) {
  // Made here rather than through the toolkit's initializer, which lives
  // in the same object file and would not be linked in otherwise.
  wxApp::SetInstance(new TransferApp);
  return wxEntry(argc, argv);
}
