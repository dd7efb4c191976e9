// Writes a whole device image: the media files under files/ and the
// description device.plist that names them.
#ifndef PORTIVA_GENERATORS_IMAGE_BUILDER_H
#define PORTIVA_GENERATORS_IMAGE_BUILDER_H

#include <cstdint>
#include <string>

namespace gen {

struct ImageOptions {
  std::string out;
  std::string name = "Demo iPhone";
  // -1: as many as the demo phone holds. More than that adds benchmark
  // items, which share their content through hard links.
  long songs = -1;
  long photos = -1;
  long camera_roll = -1;
  // 0: as synthesised. Otherwise every added benchmark song is about this
  // many bytes: a shorter sound, or its sound followed by a padding chunk
  // that players skip.
  uint64_t song_bytes = 0;
  uint64_t seed = 1;
  bool verbose = false;
};

struct ImageReport {
  uint64_t items = 0;
  uint64_t files = 0;
  uint64_t bytes = 0;          // sum of the sizes of all files
  uint64_t bytes_on_disk = 0;  // counting shared content once
  bool heic_written = false;
  bool mp3_written = false;
};

// Builds the image in out + ".tmp" and then puts it in place of out, so an
// interrupted run never leaves half an image where a good one was.
bool BuildDeviceImage(const ImageOptions& options, ImageReport* report, std::string* error);

}  // namespace gen

#endif
