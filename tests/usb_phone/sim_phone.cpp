// Serves a simulated phone over its own usbmuxd socket until interrupted,
// so the real program can be tried with a phone over USB:
//   build/tests/usb_phone/sim_phone [folder]
//   USBMUXD_SOCKET_ADDRESS=<printed address> build/bin/portiva
// Without a folder, a phone's media partition is written into a fresh one.
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

#include "phone_fixture.h"
#include "sim_device.h"

namespace {
volatile sig_atomic_t g_stop = 0;
void Stop(int) { g_stop = 1; }
}  // namespace

int main(int argc, char** argv) {
  testsupport::TempFolder temp;
  std::string root = argc > 1 ? argv[1] : temp.path() + "/partition";
  if (argc <= 1) {
    testsupport::PhoneContents contents;
    std::string error;
    if (!testsupport::WritePhone(root, {}, &contents, &error)) {
      fprintf(stderr, "cannot write the phone: %s\n", error.c_str());
      return 1;
    }
  }
  testsupport::SimDevice sim;
  testsupport::SimDevice::Options options;
  options.root = root;
  options.device_name = "Simulated iPhone";
  if (!sim.Start(options)) {
    fprintf(stderr, "cannot start the simulated phone\n");
    return 1;
  }
  signal(SIGINT, Stop);
  signal(SIGTERM, Stop);
  printf("USBMUXD_SOCKET_ADDRESS=%s\n", sim.SocketAddress().c_str());
  fflush(stdout);
  while (!g_stop) pause();
  return 0;
}
