#include "video.h"

#include <algorithm>
#include <vector>

namespace gen {

namespace {

constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAvifIsInterleaved = 0x100;
constexpr uint32_t kAviifKeyframe = 0x10;

void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Patch32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Opens a chunk or list; returns where its size goes.
size_t Open(std::string& out, const char* id, const char* list_type) {
  out += id;
  size_t at = out.size();
  Put32(out, 0);
  if (list_type) out += list_type;
  return at;
}
void Close(std::string& out, size_t size_at) {
  Patch32(out, size_at, static_cast<uint32_t>(out.size() - size_at - 4));
  if (out.size() % 2) out += '\0';
}

struct IndexEntry {
  char id[4];
  uint32_t offset;
  uint32_t size;
};

}  // namespace

uint32_t ClipFrames(const ClipParams& clip) {
  return std::max<uint32_t>(1, static_cast<uint32_t>(static_cast<uint64_t>(clip.duration_ms) * clip.fps / 1000u));
}

uint32_t ClipDurationMs(const ClipParams& clip) {
  return static_cast<uint32_t>(static_cast<uint64_t>(ClipFrames(clip)) * 1000u / static_cast<uint32_t>(clip.fps));
}

bool EncodeMjpegAvi(const ClipParams& clip, const Pcm& pcm, std::string* out) {
  const uint32_t frames = ClipFrames(clip);
  const uint32_t fps = static_cast<uint32_t>(clip.fps);
  const uint32_t rate = static_cast<uint32_t>(pcm.sample_rate);
  const uint32_t channels = static_cast<uint32_t>(pcm.channels);
  const uint32_t block = channels * 2;
  const uint64_t audio_frames = static_cast<uint64_t>(frames) * rate / fps;

  // Encode every frame first: the headers carry the largest frame size.
  std::vector<std::string> jpegs(frames);
  size_t largest = 0;
  Canvas canvas(clip.width, clip.height);
  for (uint32_t i = 0; i < frames; ++i) {
    PaintScene(canvas, clip.scene, clip.seed, frames > 1 ? static_cast<double>(i) / (frames - 1) : 0.0);
    // A playhead along the bottom edge, so motion is obvious in any scene.
    double x = static_cast<double>(i) / frames * clip.width;
    canvas.Rect(0, clip.height - 4, x, clip.height, Color{255, 255, 255}, 0.8);
    if (!EncodeJpeg(canvas, 80, &jpegs[i])) return false;
    largest = std::max(largest, jpegs[i].size());
  }
  const uint32_t audio_chunk_max = (rate / fps + 1) * block;

  std::string& avi = *out;
  avi.clear();
  size_t riff = Open(avi, "RIFF", "AVI ");
  size_t hdrl = Open(avi, "LIST", "hdrl");
  size_t avih = Open(avi, "avih", nullptr);
  Put32(avi, 1000000u / fps);
  Put32(avi, static_cast<uint32_t>(largest * fps + rate * block));
  Put32(avi, 0);
  Put32(avi, kAvifHasIndex | kAvifIsInterleaved);
  Put32(avi, frames);
  Put32(avi, 0);
  Put32(avi, 2);
  Put32(avi, static_cast<uint32_t>(largest + audio_chunk_max));
  Put32(avi, static_cast<uint32_t>(clip.width));
  Put32(avi, static_cast<uint32_t>(clip.height));
  for (int i = 0; i < 4; ++i) Put32(avi, 0);
  Close(avi, avih);

  size_t strl = Open(avi, "LIST", "strl");
  size_t strh = Open(avi, "strh", nullptr);
  avi += "vidsMJPG";
  Put32(avi, 0);       // flags
  Put16(avi, 0);       // priority
  Put16(avi, 0);       // language
  Put32(avi, 0);       // initial frames
  Put32(avi, 1);       // scale
  Put32(avi, fps);     // rate
  Put32(avi, 0);       // start
  Put32(avi, frames);  // length
  Put32(avi, static_cast<uint32_t>(largest));
  Put32(avi, 0xFFFFFFFFu);  // quality: default
  Put32(avi, 0);            // sample size: varies
  Put16(avi, 0);
  Put16(avi, 0);
  Put16(avi, static_cast<uint32_t>(clip.width));
  Put16(avi, static_cast<uint32_t>(clip.height));
  Close(avi, strh);
  size_t strf = Open(avi, "strf", nullptr);
  Put32(avi, 40);
  Put32(avi, static_cast<uint32_t>(clip.width));
  Put32(avi, static_cast<uint32_t>(clip.height));
  Put16(avi, 1);
  Put16(avi, 24);
  avi += "MJPG";
  Put32(avi, static_cast<uint32_t>(clip.width * clip.height * 3));
  for (int i = 0; i < 4; ++i) Put32(avi, 0);
  Close(avi, strf);
  Close(avi, strl);

  strl = Open(avi, "LIST", "strl");
  strh = Open(avi, "strh", nullptr);
  avi += "auds";
  Put32(avi, 0);  // handler
  Put32(avi, 0);
  Put16(avi, 0);
  Put16(avi, 0);
  Put32(avi, 0);
  Put32(avi, block);
  Put32(avi, rate * block);
  Put32(avi, 0);
  Put32(avi, static_cast<uint32_t>(audio_frames));
  Put32(avi, audio_chunk_max);
  Put32(avi, 0xFFFFFFFFu);
  Put32(avi, block);
  for (int i = 0; i < 4; ++i) Put16(avi, 0);
  Close(avi, strh);
  strf = Open(avi, "strf", nullptr);
  Put16(avi, 1);  // PCM
  Put16(avi, channels);
  Put32(avi, rate);
  Put32(avi, rate * block);
  Put16(avi, block);
  Put16(avi, 16);
  Put16(avi, 0);
  Close(avi, strf);
  Close(avi, strl);
  Close(avi, hdrl);

  std::vector<IndexEntry> index;
  size_t movi = Open(avi, "LIST", "movi");
  const size_t movi_base = movi + 4;  // offsets count from the list's "movi"
  uint64_t audio_done = 0;
  for (uint32_t i = 0; i < frames; ++i) {
    IndexEntry v{{'0', '0', 'd', 'c'}, static_cast<uint32_t>(avi.size() - movi_base),
                 static_cast<uint32_t>(jpegs[i].size())};
    index.push_back(v);
    size_t chunk = Open(avi, "00dc", nullptr);
    avi += jpegs[i];
    Close(avi, chunk);
    std::string().swap(jpegs[i]);

    uint64_t audio_end = static_cast<uint64_t>(i + 1) * rate / fps;
    IndexEntry a{{'0', '1', 'w', 'b'}, static_cast<uint32_t>(avi.size() - movi_base),
                 static_cast<uint32_t>((audio_end - audio_done) * block)};
    index.push_back(a);
    chunk = Open(avi, "01wb", nullptr);
    for (uint64_t f = audio_done; f < audio_end; ++f) {
      for (uint32_t c = 0; c < channels; ++c) {
        size_t at = static_cast<size_t>(f * channels + c);
        int16_t s = at < pcm.samples.size() ? pcm.samples[at] : 0;
        Put16(avi, static_cast<uint16_t>(s));
      }
    }
    Close(avi, chunk);
    audio_done = audio_end;
  }
  Close(avi, movi);

  size_t idx1 = Open(avi, "idx1", nullptr);
  for (const IndexEntry& e : index) {
    avi.append(e.id, 4);
    Put32(avi, kAviifKeyframe);
    Put32(avi, e.offset);
    Put32(avi, e.size);
  }
  Close(avi, idx1);
  Close(avi, riff);
  return true;
}

}  // namespace gen
