// Short clips as Motion-JPEG AVI files with an uncompressed sound track.
#ifndef PORTIVA_GENERATORS_VIDEO_H
#define PORTIVA_GENERATORS_VIDEO_H

#include <cstdint>
#include <string>

#include "audio.h"
#include "picture.h"

namespace gen {

struct ClipParams {
  int width = 320;
  int height = 180;
  int fps = 25;  // 25 and 20 give a whole number of microseconds a frame
  uint32_t duration_ms = 4000;
  Scene scene = Scene::kLandscape;
  uint64_t seed = 1;
};

// Frames in the clip and its exact length, a whole number of frames.
uint32_t ClipFrames(const ClipParams& clip);
uint32_t ClipDurationMs(const ClipParams& clip);

// Writes the clip's bytes to out; the sound is pcm (trimmed or padded with
// silence to the clip's length). False when a frame cannot be encoded.
bool EncodeMjpegAvi(const ClipParams& clip, const Pcm& pcm, std::string* out);

}  // namespace gen

#endif
