// Sound made by code: short pieces of music, speech-like babble and chimes,
// and their WAV encoding.
#ifndef PORTIVA_GENERATORS_AUDIO_H
#define PORTIVA_GENERATORS_AUDIO_H

#include <cstdint>
#include <string>
#include <vector>

#include "gen_util.h"

namespace gen {

// 16-bit signed PCM, channels interleaved.
struct Pcm {
  int sample_rate = 22050;
  int channels = 1;
  std::vector<int16_t> samples;

  size_t Frames() const { return samples.size() / static_cast<size_t>(channels); }
  uint64_t DurationMs() const {
    return static_cast<uint64_t>(Frames()) * 1000u / static_cast<uint64_t>(sample_rate);
  }
};

// Durations are rounded to 20 ms so that every common rate holds a whole
// number of frames and the recorded "time" is exact.
uint32_t RoundDurationMs(uint32_t ms);

// A few bars in a key, tempo and groove picked from rng.
Pcm SynthesizeMusic(Rng& rng, int sample_rate, int channels, uint32_t duration_ms);
// Voiced babble with pauses, like someone talking; room noise when noisy.
Pcm SynthesizeSpeech(Rng& rng, int sample_rate, uint32_t duration_ms, bool noisy);
// A bell-like repeating figure.
Pcm SynthesizeChime(Rng& rng, int sample_rate, uint32_t duration_ms);
// Music first, then speech (a podcast's jingle and host).
Pcm Concatenate(const Pcm& a, const Pcm& b);

struct WavTags {
  std::string title;
  std::string artist;
  std::string album;
  std::string genre;
};

// A RIFF WAVE file; tags go into a LIST/INFO chunk after the data.
std::string EncodeWav(const Pcm& pcm, const WavTags* tags);

}  // namespace gen

#endif
