#ifndef PORTIVA_TESTS_TEST_SUPPORT_H
#define PORTIVA_TESTS_TEST_SUPPORT_H

#include <wx/string.h>

#include <functional>
#include <string>

namespace testsupport {

// The build folder, which is also the program's install tree.
std::string BuildRoot();
std::string SourceRoot();

// A fresh directory under the test run's own temporary folder.
std::string MakeTempDir(const std::string& prefix);
// Removes every directory MakeTempDir made.
void RemoveTempDirs();

// Runs the GUI event loop (pending events, toolkit events, idle) until the
// condition holds or the time is up. Returns the condition's last value.
bool RunLoopUntil(const std::function<bool()>& condition,
                  int timeout_ms = 5000);

// Runs the GUI event loop for a while.
void RunLoopFor(int ms);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

}  // namespace testsupport

#endif
