#include "test_support.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace testsupport {

std::string BuildRoot() {
  const char* root = getenv("PORTIVA_TEST_ROOT");
  return root ? root : PORTIVA_DEFAULT_TEST_ROOT;
}

std::string SourceRoot() {
  const char* root = getenv("PORTIVA_SOURCE_DIR");
  return root ? root : PORTIVA_DEFAULT_SOURCE_DIR;
}

namespace {
std::string& TempBase() {
  static std::string base;
  return base;
}
}  // namespace

void RemoveTempDirs() {
  if (!TempBase().empty())
    wxFileName::Rmdir(wxString::FromUTF8(TempBase()), wxPATH_RMDIR_RECURSIVE);
}

std::string MakeTempDir(const std::string& prefix) {
  std::string& base = TempBase();
  if (base.empty()) {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp ? tmp : "/tmp") + "/portiva-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    base = mkdtemp(buffer.data());
  }
  std::string pattern = base + "/" + prefix + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  return mkdtemp(buffer.data());
}

bool RunLoopUntil(const std::function<bool()>& condition, int timeout_ms) {
  wxStopWatch watch;
  while (true) {
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
      while (loop->Pending()) loop->Dispatch();
      loop->ProcessIdle();
    }
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
    if (condition()) return true;
    if (watch.Time() > timeout_ms) return condition();
    wxMilliSleep(2);
  }
}

void RunLoopFor(int ms) {
  RunLoopUntil([] { return false; }, ms);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

}  // namespace testsupport
