// Resident memory across Refresh: the program is started in this process on
// one device image, detects it, and then Refresh is pressed a few times.
//
//   refresh_bench [--items N] [--refreshes N] [--core] [--keep] [IMAGE]
//
// Without IMAGE it writes one into a temporary folder: a phone whose Music,
// Photos and CameraRoll lists each hold N empty dictionaries as items
// (200,000 unless told). --keep leaves the folder for the next run.
//
// By default the whole program runs: its start-up and main window, whose
// first idle event starts detection; each Refresh is a pointer click on the
// refresh button, sent through the X server's test extension. With --core only the detection runs,
// DetectDevices() on a thread of its own for each pass, as the worker does,
// without any window.
//
// After each detection it waits until the resident size has not changed for
// a second and prints VmRSS, and VmHWM at the end. It needs an X display:
//
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/bench/detect/refresh_bench
#include <wx/app.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/transfer_app.h"
#include "device/do_detect_device.h"
#include "window/left_pane.h"
#include "window/transfer_frame.h"

// Last: its macros clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "bench_files.h"

namespace {

using Clock = std::chrono::steady_clock;

using bench::RemoveTree;

std::string MakeTempDir(const char* tag) {
  return bench::MakeTempDir("refresh-bench", tag);
}

double StatusMiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t length = strlen(field);
  while (std::getline(in, line))
    if (line.compare(0, length, field) == 0 && line.size() > length &&
        line[length] == ':')
      return atof(line.c_str() + length + 1) / 1024.0;
  return -1;
}

// Three flat lists of empty dictionaries, written as text: building the
// nodes first would itself take the memory being measured.
bool WriteImage(const std::string& folder, long items) {
  if (mkdir((folder + "/files").c_str(), 0777) != 0) return false;
  std::ofstream out(folder + "/device.plist", std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<plist version=\"1.0\"><dict>"
         "<key>Identifier</key><string>"
         "00000000000000000000000000000000000be7c4</string>"
         "<key>Info</key><dict><key>DeviceName</key><string>Refresh bench"
         "</string><key>Type</key><string>iPhone14,2</string></dict>"
         "<key>Lists</key><dict>";
  std::string array;
  array.reserve(static_cast<size_t>(items) * 8 + 16);
  array += "<array>";
  for (long i = 0; i < items; ++i) array += "<dict/>\n";
  array += "</array>";
  for (const char* key : {"Music", "Photos", "CameraRoll"})
    out << "<key>" << key << "</key><dict><key>item</key>" << array
        << "<key>number</key><integer>" << items << "</integer></dict>";
  out << "</dict></dict></plist>\n";
  return static_cast<bool>(out.flush());
}

// Runs the toolkit's events until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, double seconds) {
  const Clock::time_point end =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(seconds));
  for (;;) {
    wxTheApp->ProcessPendingEvents();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
      while (loop->Pending()) loop->Dispatch();
      loop->ProcessIdle();
    }
    wxTheApp->ProcessPendingEvents();
    if (condition()) return true;
    if (Clock::now() > end) return false;
    wxMilliSleep(5);
  }
}

// The resident size once it has stayed the same for a second.
double SettledMiB(bool pump) {
  double last = StatusMiB("VmRSS");
  Clock::time_point stable_since = Clock::now();
  while (std::chrono::duration<double>(Clock::now() - stable_since).count() < 1.0) {
    if (pump)
      PumpUntil([] { return false; }, 0.1);
    else
      usleep(100 * 1000);
    const double now = StatusMiB("VmRSS");
    if (now != last) {
      last = now;
      stable_since = Clock::now();
    }
  }
  return last;
}

void Print(const char* what, double mib) {
  printf("  %-22s %8.1f MB\n", what, mib);
  fflush(stdout);
}

const char* PassName(int pass) {
  static char name[32];
  if (pass == 0) return "after detection";
  snprintf(name, sizeof name, "after refresh %d", pass);
  return name;
}

bool RunCore(int refreshes) {
  Print("before detection", SettledMiB(false));
  for (int pass = 0; pass <= refreshes; ++pass) {
    wxString warning;
    std::thread worker([&warning] { warning = DetectDevices(); });
    worker.join();
    if (!warning.empty()) {
      fprintf(stderr, "refresh_bench: %s\n", warning.utf8_string().c_str());
      return false;
    }
    Print(PassName(pass), SettledMiB(false));
  }
  return true;
}

void IgnoreWarning(const wxString& text) {
  fprintf(stderr, "refresh_bench: warning: %s\n", text.utf8_string().c_str());
}

// Presses the refresh button with the pointer, through the X server, so
// that the click takes the toolkit's own way to the button.
bool g_clicked = false;

// Seen on the button itself, before the pane handles the click: a small
// image is detected again before a later look at the pane could notice.
void NoteClick(wxCommandEvent& event) {
  g_clicked = true;
  event.Skip();
}

bool ClickRefresh(TransferApp& app) {
  g_clicked = false;
  app.refresh_button_->Bind(wxEVT_BUTTON, &NoteClick);
  const wxRect button = app.refresh_button_->GetScreenRect();
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XTestFakeMotionEvent(display, -1, button.x + button.width / 2,
                       button.y + button.height / 2, CurrentTime);
  XFlush(display);
  PumpUntil([] { return false; }, 0.2);  // the button sees the pointer enter
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XFlush(display);
  PumpUntil([] { return false; }, 0.05);
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XFlush(display);
  XCloseDisplay(display);
  PumpUntil([] { return g_clicked; }, 5);
  app.refresh_button_->Unbind(wxEVT_BUTTON, &NoteClick);
  return g_clicked;
}

bool RunProgram(int refreshes) {
  LeftPane::show_warning_ = IgnoreWarning;
  TransferApp& app = wxGetApp();
  if (!app.OnInit()) {
    fprintf(stderr, "refresh_bench: the program did not start\n");
    return false;
  }
  auto detected = [&app] {
    return app.frame_ != nullptr && app.frame_->detection_started() &&
           app.left_pane_ != nullptr && !app.left_pane_->detecting();
  };
  for (int pass = 0; pass <= refreshes; ++pass) {
    if (pass > 0 && !ClickRefresh(app)) {
      fprintf(stderr, "refresh_bench: the click did not start a detection\n");
      return false;
    }
    if (!PumpUntil(detected, 300)) {
      fprintf(stderr, "refresh_bench: detection did not finish\n");
      return false;
    }
    Print(PassName(pass), SettledMiB(true));
  }
  return true;
}

void Usage(FILE* to) {
  fprintf(to,
          "usage: refresh_bench [--items N] [--refreshes N] [--core] [--keep] "
          "[IMAGE]\n");
}

}  // namespace

int main(int argc, char** argv) {
  long items = 200000;
  int refreshes = 2;
  bool core = false;
  bool keep = false;
  std::string image;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--items" && i + 1 < argc) {
      items = atol(argv[++i]);
    } else if (arg == "--refreshes" && i + 1 < argc) {
      refreshes = atoi(argv[++i]);
    } else if (arg == "--core") {
      core = true;
    } else if (arg == "--keep") {
      keep = true;
    } else if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else if (!arg.empty() && arg[0] != '-' && image.empty()) {
      image = arg;
    } else {
      Usage(stderr);
      return 2;
    }
  }
  if (items < 0 || refreshes < 0) {
    Usage(stderr);
    return 2;
  }
  if (getenv("DISPLAY") == nullptr) {
    fprintf(stderr, "refresh_bench: no display; run it under xvfb-run\n");
    return 2;
  }

  std::string generated;
  if (image.empty()) {
    generated = MakeTempDir("image");
    if (generated.empty() || !WriteImage(generated, items)) {
      fprintf(stderr, "refresh_bench: cannot write the image\n");
      if (!generated.empty()) RemoveTree(generated);
      return 1;
    }
    image = generated;
  }
  // The program's own folders, apart from the user's.
  const std::string home = MakeTempDir("home");
  if (home.empty()) return 1;
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
  setenv("PORTIVA_DEVICE_IMAGES", image.c_str(), 1);

  // The program's path as its first argument, so that it finds its install
  // tree (themes, languages) as when it is started.
  std::string program = PORTIVA_BENCH_PROGRAM;
  std::vector<char*> args = {&program[0], nullptr};
  int wx_argc = 1;
  wxApp::SetInstance(new TransferApp);
  delete wxLog::SetActiveTarget(new wxLogStderr);
  if (!wxEntryStart(wx_argc, args.data())) {
    fprintf(stderr, "refresh_bench: cannot start the toolkit\n");
    return 1;
  }
  wxTheApp->OnInitGui();

  printf("%s: %s, %s\n", image.c_str(),
         generated.empty() ? "given image"
                           : (std::to_string(items) +
                              " empty items in each of 3 lists").c_str(),
         core ? "detection only" : "whole program");
  bool ok;
  {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    if (!core) {
      // Start-up as the program does it; the frame's first idle event
      // starts detection.
      ok = RunProgram(refreshes);
    } else {
      ok = wxGetApp().InitBeforeFrame() && RunCore(refreshes);
    }
  }
  Print("peak", StatusMiB("VmHWM"));

  RemoveTree(home);
  if (!generated.empty() && !keep) RemoveTree(generated);
  fflush(stdout);
  // Windows are left to the toolkit; tearing them down is not measured.
  _exit(ok ? 0 : 1);
}
