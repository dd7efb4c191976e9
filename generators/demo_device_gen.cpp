// Writes a device image for the program to show without a real handheld:
// by default a demo phone with every kind of media, with counts a larger
// image for benchmarks.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image_builder.h"

namespace {

void Usage(FILE* to) {
  std::fprintf(to,
               "usage: demo_device_gen --out DIR [--name NAME] [--songs N] [--photos N]\n"
               "                       [--camera-roll N] [--song-bytes N] [--seed S] [--verbose]\n"
               "Without counts it writes the demo phone; a count replaces the demo's number\n"
               "for that list, and items beyond the demo's share their content.\n");
}

bool ParseCount(const char* text, long* value) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!text[0] || *end || v < 0) return false;
  *value = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  gen::ImageOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    bool ok = true;
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--out" && has_value) {
      options.out = argv[++i];
    } else if (arg == "--name" && has_value) {
      options.name = argv[++i];
    } else if (arg == "--songs" && has_value) {
      ok = ParseCount(argv[++i], &options.songs);
    } else if (arg == "--photos" && has_value) {
      ok = ParseCount(argv[++i], &options.photos);
    } else if (arg == "--camera-roll" && has_value) {
      ok = ParseCount(argv[++i], &options.camera_roll);
    } else if (arg == "--song-bytes" && has_value) {
      long bytes = 0;
      ok = ParseCount(argv[++i], &bytes);
      options.song_bytes = static_cast<uint64_t>(bytes);
    } else if (arg == "--seed" && has_value) {
      char* end = nullptr;
      options.seed = std::strtoull(argv[++i], &end, 10);
      ok = *end == 0;
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "demo_device_gen: bad argument %s\n", arg.c_str());
      Usage(stderr);
      return 2;
    }
  }
  if (options.out.empty()) {
    Usage(stderr);
    return 2;
  }

  const auto start = std::chrono::steady_clock::now();
  gen::ImageReport report;
  std::string error;
  if (!gen::BuildDeviceImage(options, &report, &error)) {
    std::fprintf(stderr, "demo_device_gen: %s\n", error.c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("demo_device_gen: %s: %llu items, %llu files, %.1f MB (%.1f MB on disk), %.1f s%s%s\n",
              options.out.c_str(), static_cast<unsigned long long>(report.items),
              static_cast<unsigned long long>(report.files), report.bytes / 1e6, report.bytes_on_disk / 1e6,
              seconds, report.heic_written ? "" : ", no HEIC (heif-enc missing)",
              report.mp3_written ? "" : ", no MP3 (lame missing)");
  return 0;
}
