#ifndef PORTIVA_BENCH_DETECT_BENCH_FILES_H
#define PORTIVA_BENCH_DETECT_BENCH_FILES_H

#include <string>

namespace bench {

// A fresh folder under $TMPDIR (or /tmp) named "<prefix>-<tag>-XXXXXX";
// empty when it cannot be made.
std::string MakeTempDir(const char* prefix, const char* tag);
// Removes a folder and everything in it, links not followed.
void RemoveTree(const std::string& path);

// The process's resident memory in megabytes, -1 when unknown.
long ResidentMegabytes();

}  // namespace bench

#endif
