#include "app/file_util.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <glib.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadRegularFile(const wxString& path, std::string* contents,
                     size_t max_size) {
  contents->clear();
  const std::string name = path.utf8_string();
  // Non-blocking, so a named pipe cannot hold the open; it is refused below.
  int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<unsigned long long>(st.st_size) <= max_size;
  char buffer[65536];
  while (ok) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (contents->size() + static_cast<size_t>(n) > max_size) ok = false;
    else contents->append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  if (!ok) contents->clear();
  return ok;
}

bool WriteFileWhole(const wxString& path, const std::string& contents) {
  const std::string name = path.utf8_string();
  return g_file_set_contents(name.c_str(), contents.data(),
                             static_cast<gssize>(contents.size()), nullptr);
}

namespace {
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}
}  // namespace

bool RemoveTree(const wxString& path) {
  const wxScopedCharBuffer utf8 = path.utf8_str();
  nftw(utf8.data(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  struct stat st;
  return lstat(utf8.data(), &st) != 0;
}
