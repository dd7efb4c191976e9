#include "tool_util.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" uint64_t GetFileSizeByPath(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  struct stat st;
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  // Opening proves the file can be read; O_NONBLOCK keeps a file swapped for
  // a pipe in the meantime from hanging the caller.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return 0;
  uint64_t size = 0;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    size = static_cast<uint64_t>(st.st_size);
  close(fd);
  return size;
}
