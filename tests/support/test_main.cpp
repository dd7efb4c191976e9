// Test entry: isolates HOME and the XDG folders in a temporary directory,
// starts the toolkit as the program would (its first argument pointing at
// the program in the build's install tree) and keeps a GUI event loop
// active, so that tests can create windows and exchange events.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/thread.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/transfer_app.h"
#include "test_support.h"

// Last: its macros clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

class WarmUpThread : public wxThread {
 public:
  WarmUpThread() : wxThread(wxTHREAD_JOINABLE) {}
  ExitCode Entry() override { return nullptr; }
};

}  // namespace

int main(int argc, char** argv) {
  // Kept whole for a fresh start below: InitGoogleTest takes its flags out.
  std::vector<char*> original_args(argv, argv + argc);
  original_args.push_back(nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

  std::string home = testsupport::MakeTempDir("home");
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
  unsetenv("PORTIVA_DEVICE_IMAGES");
  // No phone plugged into this machine reaches a test; tests that want one
  // start a simulated one.
  setenv("USBMUXD_SOCKET_ADDRESS", ("UNIX:" + home + "/no-usbmuxd").c_str(), 1);
  // Nor a disk or phone this machine has mounted.
  setenv("PORTIVA_MOUNT_TABLE", (home + "/no-mounts").c_str(), 1);
  setenv("PORTIVA_GVFS_ROOT", (home + "/no-gvfs").c_str(), 1);

  std::string program = testsupport::BuildRoot() + "/bin/portiva";
  std::vector<char*> args;
  args.push_back(const_cast<char*>(program.c_str()));
  int wx_argc = 1;
  args.push_back(nullptr);
  // The program's own application object, so that wxGetApp() and its
  // window registry work in tests.
  wxApp::SetInstance(new TransferApp);
  // A display that is still starting, or busy with other clients, can
  // refuse a connection for a moment; wait for it rather than fail.
  for (int attempt = 0; attempt < 50; ++attempt) {
    Display* display = XOpenDisplay(nullptr);
    if (display) {
      XCloseDisplay(display);
      break;
    }
    usleep(100 * 1000);
  }
  // Log to the terminal: a log window needs the very display that may have
  // refused us, and asking GTK for one then aborts the whole process.
  delete wxLog::SetActiveTarget(new wxLogStderr);
  if (!wxEntryStart(wx_argc, args.data())) {
    // Now and then the toolkit cannot open a display that a plain
    // connection just reached; a fresh process gets through.
    const char* tries = getenv("PORTIVA_TEST_START_TRIES");
    int attempt = tries ? atoi(tries) : 0;
    // Seen to refuse for over a second at a time: wait longer each time.
    if (attempt < 10) {
      setenv("PORTIVA_TEST_START_TRIES", std::to_string(attempt + 1).c_str(), 1);
      testsupport::RemoveTempDirs();
      usleep(200 * 1000 * (attempt + 1));
      execv("/proc/self/exe", original_args.data());
    }
    fprintf(stderr, "cannot start the toolkit (is there a display?)\n");
    return 1;
  }
  // What the toolkit's own start-up does before OnInit; the program's
  // OnInit itself is left to the tests that want it.
  wxTheApp->OnInitGui();
  wxInitAllImageHandlers();
  // As start-up does, so that theme pictures load from the archive.
  wxFileSystem::AddHandler(new wxArchiveFSHandler);
  // Every new toolkit thread asks at its start whether it may log, which
  // makes the toolkit build a lock of its own the first time. Built by one
  // worker, the next worker's use of it looks to ThreadSanitizer like a
  // race, since the toolkit's once-only guard is not instrumented; a thread
  // started and joined here builds it before any test's worker exists.
  {
    WarmUpThread warm_up;
    if (warm_up.Create() == wxTHREAD_NO_ERROR && warm_up.Run() == wxTHREAD_NO_ERROR)
      warm_up.Wait();
  }
  int result;
  {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    result = RUN_ALL_TESTS();
  }
  // Windows still alive belong to the toolkit; leave without tearing down
  // so a test's left-over window cannot crash the exit.
  testsupport::RemoveTempDirs();
  fflush(stdout);
  fflush(stderr);
  _exit(result);
}
