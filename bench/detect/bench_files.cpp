#include "bench_files.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace bench {
namespace {
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}
}  // namespace

void RemoveTree(const std::string& path) {
  nftw(path.c_str(), RemoveEntry, 32, FTW_DEPTH | FTW_PHYS);
}

std::string MakeTempDir(const char* prefix, const char* tag) {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/" +
                        prefix + "-" + tag + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  return mkdtemp(name.data()) ? std::string(name.data()) : std::string();
}

long ResidentMegabytes() {
  long pages = 0, resident = 0;
  FILE* statm = fopen("/proc/self/statm", "r");
  if (!statm) return -1;
  if (fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = -1;
  fclose(statm);
  return resident * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

}  // namespace bench
