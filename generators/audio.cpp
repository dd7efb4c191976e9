#include "audio.h"

#include <algorithm>
#include <cmath>

namespace gen {

namespace {

constexpr double kPi = 3.14159265358979323846;

double MidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Constant-power pan; position in -1 .. 1.
struct Pan {
  double left;
  double right;
  explicit Pan(double position)
      : left(std::cos((position + 1.0) * kPi / 4.0)), right(std::sin((position + 1.0) * kPi / 4.0)) {}
};

// Float stereo mix bus, turned into PCM at the end.
struct Mix {
  int rate;
  std::vector<float> left;
  std::vector<float> right;

  Mix(int sample_rate, size_t frames) : rate(sample_rate), left(frames, 0.f), right(frames, 0.f) {}

  void Add(size_t frame, double value, const Pan& pan) {
    if (frame >= left.size()) return;
    left[frame] += static_cast<float>(value * pan.left);
    right[frame] += static_cast<float>(value * pan.right);
  }
};

struct Timbre {
  double harmonics[4];  // amplitudes of partials 1..4
  double attack_s;
  double decay_per_s;   // exponential decay rate while the note is held
  double release_s;
};

void AddNote(Mix& mix, double start_s, double length_s, double hz, double amp, double position,
             const Timbre& timbre) {
  const Pan pan(position);
  size_t start = static_cast<size_t>(start_s * mix.rate);
  size_t held = static_cast<size_t>(length_s * mix.rate);
  size_t release = static_cast<size_t>(timbre.release_s * mix.rate);
  size_t attack = std::max<size_t>(1, static_cast<size_t>(timbre.attack_s * mix.rate));
  // Rotating phasors and a per-sample decay factor instead of sin and exp
  // for every sample: the demo holds thousands of notes.
  double re[4], im[4], rot_re[4], rot_im[4], weight[4];
  for (int h = 0; h < 4; ++h) {
    double step = 2.0 * kPi * hz * (h + 1) / mix.rate;
    re[h] = 1.0;
    im[h] = 0.0;
    rot_re[h] = std::cos(step);
    rot_im[h] = std::sin(step);
    weight[h] = hz * (h + 1) < mix.rate / 2.2 ? timbre.harmonics[h] : 0.0;
  }
  const double decay = std::exp(-timbre.decay_per_s / mix.rate);
  double env = 1.0;
  for (size_t i = 0; i < held + release; ++i) {
    double e = env;
    if (i < attack) e *= static_cast<double>(i) / attack;
    if (i >= held) e *= 1.0 - static_cast<double>(i - held) / static_cast<double>(release + 1);
    double v = 0;
    for (int h = 0; h < 4; ++h) {
      v += weight[h] * im[h];
      double nr = re[h] * rot_re[h] - im[h] * rot_im[h];
      im[h] = re[h] * rot_im[h] + im[h] * rot_re[h];
      re[h] = nr;
    }
    mix.Add(start + i, v * e * amp, pan);
    env *= decay;
  }
}

void AddKick(Mix& mix, double start_s, double amp) {
  const Pan center(0.0);
  size_t start = static_cast<size_t>(start_s * mix.rate);
  size_t n = static_cast<size_t>(0.25 * mix.rate);
  double phase = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / mix.rate;
    double hz = 45.0 + 85.0 * std::exp(-t * 30.0);
    phase += 2.0 * kPi * hz / mix.rate;
    mix.Add(start + i, std::sin(phase) * std::exp(-t * 14.0) * amp, center);
  }
}

void AddNoiseHit(Mix& mix, Rng& rng, double start_s, double amp, double decay, bool bright,
                 double tone_hz, double position) {
  const Pan pan(position);
  size_t start = static_cast<size_t>(start_s * mix.rate);
  size_t n = static_cast<size_t>(std::min(0.3, 6.0 / decay) * mix.rate);
  double prev = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / mix.rate;
    double noise = rng.Uniform(-1.0, 1.0);
    double v = bright ? (noise - prev) * 0.6 : noise;
    prev = noise;
    if (tone_hz > 0) v = 0.6 * v + 0.5 * std::sin(2.0 * kPi * tone_hz * t);
    mix.Add(start + i, v * std::exp(-t * decay) * amp, pan);
  }
}

Pcm Render(const Mix& mix, int channels, double fade_in_s, double fade_out_s) {
  Pcm pcm;
  pcm.sample_rate = mix.rate;
  pcm.channels = channels;
  size_t frames = mix.left.size();
  float peak = 1e-6f;
  for (size_t i = 0; i < frames; ++i) {
    float l = mix.left[i], r = mix.right[i];
    if (channels == 1) l = r = (l + r) * 0.5f;
    peak = std::max(peak, std::max(std::fabs(l), std::fabs(r)));
  }
  double gain = 0.85 * 32767.0 / peak;
  size_t fade_in = static_cast<size_t>(fade_in_s * mix.rate);
  size_t fade_out = static_cast<size_t>(fade_out_s * mix.rate);
  pcm.samples.resize(frames * static_cast<size_t>(channels));
  for (size_t i = 0; i < frames; ++i) {
    double env = 1.0;
    if (i < fade_in) env = static_cast<double>(i) / fade_in;
    if (i + fade_out > frames) env *= static_cast<double>(frames - i) / fade_out;
    float l = mix.left[i], r = mix.right[i];
    if (channels == 1) {
      pcm.samples[i] = static_cast<int16_t>(std::lround((l + r) * 0.5 * gain * env));
    } else {
      pcm.samples[2 * i] = static_cast<int16_t>(std::lround(l * gain * env));
      pcm.samples[2 * i + 1] = static_cast<int16_t>(std::lround(r * gain * env));
    }
  }
  return pcm;
}

size_t FramesFor(int rate, uint32_t duration_ms) {
  return static_cast<size_t>(static_cast<uint64_t>(rate) * duration_ms / 1000u);
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

uint32_t RoundDurationMs(uint32_t ms) { return std::max<uint32_t>(20, (ms + 10) / 20 * 20); }

Pcm SynthesizeMusic(Rng& rng, int sample_rate, int channels, uint32_t duration_ms) {
  static const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
  static const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
  static const int kProgressions[][4] = {{0, 4, 5, 3}, {0, 5, 3, 4}, {5, 3, 0, 4},
                                         {0, 3, 4, 4}, {0, 0, 3, 4}, {1, 4, 0, 0}};
  static const Timbre kLeads[] = {
      {{1.0, 0.5, 0.25, 0.12}, 0.01, 3.0, 0.05},   // plucked
      {{1.0, 0.0, 0.33, 0.0}, 0.02, 0.8, 0.08},    // hollow reed
      {{1.0, 0.3, 0.1, 0.05}, 0.005, 6.0, 0.12},   // piano-ish
      {{0.8, 0.6, 0.4, 0.3}, 0.04, 0.5, 0.10},     // brass-ish
  };
  const Timbre pad = {{1.0, 0.4, 0.2, 0.1}, 0.25, 0.2, 0.3};
  const Timbre bass = {{1.0, 0.35, 0.1, 0.0}, 0.01, 2.0, 0.05};

  Mix mix(sample_rate, FramesFor(sample_rate, duration_ms));
  const double seconds = duration_ms / 1000.0;
  const double beat = 60.0 / rng.Range(76, 148);
  const int* scale = rng.Chance(0.5) ? kMajor : kMinor;
  const int* prog = kProgressions[rng.Below(6)];
  const int root = rng.Range(40, 52);
  const Timbre& lead = kLeads[rng.Below(4)];
  const bool drums = rng.Chance(0.8);
  const bool hats = drums && rng.Chance(0.7);
  const bool arpeggio = rng.Chance(0.4);
  const double swing = rng.Chance(0.3) ? 0.08 * beat : 0.0;

  auto degree_note = [&](int degree, int octave_base) {
    int oct = degree >= 0 ? degree / 7 : (degree - 6) / 7;
    int d = degree - oct * 7;
    return octave_base + 12 * oct + scale[d];
  };

  int melody_degree = rng.Range(0, 6);
  int beats = static_cast<int>(seconds / beat) + 1;
  for (int b = 0; b < beats; ++b) {
    double t = b * beat;
    int chord = prog[(b / 4) % 4];
    if (b % 4 == 0) {
      for (int k = 0; k < 3; ++k) {
        AddNote(mix, t, beat * 4, MidiToHz(degree_note(chord + 2 * k, root + 12)), 0.10,
                -0.4 + 0.4 * k, pad);
      }
    }
    AddNote(mix, t, beat * 0.9, MidiToHz(degree_note(chord, root)), 0.35, 0.0, bass);
    if (drums) {
      if (b % 2 == 0) AddKick(mix, t, 0.6);
      if (b % 2 == 1) AddNoiseHit(mix, rng, t, 0.3, 28.0, false, 190.0, 0.1);
      if (hats) {
        AddNoiseHit(mix, rng, t, 0.12, 90.0, true, 0, 0.3);
        AddNoiseHit(mix, rng, t + beat / 2 + swing, 0.08, 90.0, true, 0, 0.3);
      }
    }
    for (int half = 0; half < 2; ++half) {
      double nt = t + half * (beat / 2) + (half ? swing : 0.0);
      if (arpeggio) {
        int step = (b * 2 + half) % 4;
        int deg = chord + (step == 3 ? 2 : 2 * step);
        AddNote(mix, nt, beat / 2, MidiToHz(degree_note(deg, root + 24)), 0.22, 0.25, lead);
      } else if (rng.Chance(0.6)) {
        melody_degree += rng.Range(-2, 2);
        melody_degree = std::max(-2, std::min(9, melody_degree));
        double len = beat / 2 * rng.Range(1, 3);
        AddNote(mix, nt, len, MidiToHz(degree_note(melody_degree, root + 24)), 0.25, -0.2, lead);
      }
    }
  }
  return Render(mix, channels, 0.01, std::min(0.4, seconds / 4));
}

Pcm SynthesizeSpeech(Rng& rng, int sample_rate, uint32_t duration_ms, bool noisy) {
  // Formants (F1, F2, F3) of a few vowels.
  static const double kVowels[][3] = {{730, 1090, 2440}, {270, 2290, 3010}, {300, 870, 2240},
                                      {530, 1840, 2480}, {570, 840, 2410}, {660, 1720, 2410},
                                      {440, 1020, 2240}, {390, 1990, 2550}};
  const size_t frames = FramesFor(sample_rate, duration_ms);
  Mix mix(sample_rate, frames);
  const double base_f0 = rng.Chance(0.5) ? rng.Uniform(95, 130) : rng.Uniform(175, 230);

  const Pan center(0.0);
  double y[3][2] = {{0, 0}, {0, 0}, {0, 0}};
  double f[3] = {500, 1500, 2500};
  double target[3] = {500, 1500, 2500};
  double glottal_phase = 0;
  double room = 0;
  size_t i = 0;
  while (i < frames) {
    // One phrase of syllables, then a pause.
    size_t phrase_end = std::min(frames, i + static_cast<size_t>(rng.Uniform(1.2, 3.2) * sample_rate));
    size_t phrase_start = i;
    while (i < phrase_end) {
      size_t syl_len = static_cast<size_t>(rng.Uniform(0.12, 0.26) * sample_rate);
      size_t fric_len = rng.Chance(0.35) ? static_cast<size_t>(rng.Uniform(0.03, 0.07) * sample_rate) : 0;
      const double* v = kVowels[rng.Below(8)];
      for (int k = 0; k < 3; ++k) target[k] = v[k] * rng.Uniform(0.92, 1.08);
      double stress = rng.Uniform(0.6, 1.0);
      for (size_t s = 0; s < syl_len && i < phrase_end; ++s, ++i) {
        double pos = static_cast<double>(s) / syl_len;
        double phrase_pos = static_cast<double>(i - phrase_start) / (phrase_end - phrase_start);
        double f0 = base_f0 * (1.1 - 0.2 * phrase_pos) * (1.0 + 0.05 * std::sin(2 * kPi * pos));
        glottal_phase += f0 / sample_rate;
        double source = 0;
        if (glottal_phase >= 1.0) {
          glottal_phase -= 1.0;
          source = 1.0;
        }
        double out = 0;
        for (int k = 0; k < 3; ++k) {
          f[k] += (target[k] - f[k]) * 0.002;
          double bw = 60.0 + 40.0 * k;
          double r = std::exp(-kPi * bw / sample_rate);
          double a1 = 2 * r * std::cos(2 * kPi * f[k] / sample_rate);
          double a2 = -r * r;
          double yk = a1 * y[k][0] + a2 * y[k][1] + (1 - r) * source;
          y[k][1] = y[k][0];
          y[k][0] = yk;
          out += yk / (k + 1);
        }
        double env = std::sin(kPi * pos) * stress;
        double sample = out * env * 3.0;
        if (s < fric_len) sample += rng.Uniform(-1, 1) * 0.05 * (1.0 - static_cast<double>(s) / fric_len);
        mix.Add(i, sample, center);
      }
    }
    size_t pause = static_cast<size_t>(rng.Uniform(0.18, 0.6) * sample_rate);
    i = std::min(frames, i + pause);
  }
  if (noisy) {
    // Low rumble of a room, added after the voice so pauses are not silent.
    float peak = 1e-6f;
    for (float s : mix.left) peak = std::max(peak, std::fabs(s));
    for (size_t k = 0; k < frames; ++k) {
      room = room * 0.97 + rng.Uniform(-1, 1) * 0.03;
      mix.left[k] += static_cast<float>(room * peak * 0.6);
      mix.right[k] += static_cast<float>(room * peak * 0.6);
    }
  }
  return Render(mix, 1, 0.02, 0.05);
}

Pcm SynthesizeChime(Rng& rng, int sample_rate, uint32_t duration_ms) {
  static const int kPentatonic[5] = {0, 2, 4, 7, 9};
  Mix mix(sample_rate, FramesFor(sample_rate, duration_ms));
  const double seconds = duration_ms / 1000.0;
  const double step = rng.Uniform(0.14, 0.28);
  const int root = rng.Range(67, 79);
  const double decay = rng.Uniform(3.0, 6.0);
  int pattern[6];
  int length = rng.Range(4, 6);
  for (int k = 0; k < length; ++k) pattern[k] = rng.Range(0, 7);
  const Timbre bell = {{1.0, 0.0, 0.0, 0.0}, 0.002, decay, 0.05};
  int n = 0;
  for (double t = 0; t < seconds - 0.05; t += step, ++n) {
    if (n % (length * 2) >= length + 1 && n % (length * 2) < length + 2) continue;  // breath
    int deg = pattern[n % length];
    int note = root + 12 * (deg / 5) + kPentatonic[deg % 5];
    double hz = MidiToHz(note);
    AddNote(mix, t, step * 3, hz, 0.5, 0.0, bell);
    // Inharmonic partials make it ring like metal rather than a flute.
    AddNote(mix, t, step * 1.5, hz * 2.76, 0.18, 0.2, bell);
    AddNote(mix, t, step * 0.8, hz * 5.40, 0.07, -0.2, bell);
  }
  return Render(mix, 1, 0.005, 0.1);
}

Pcm Concatenate(const Pcm& a, const Pcm& b) {
  Pcm out = a;
  if (a.sample_rate != b.sample_rate || a.channels != b.channels) return out;
  out.samples.insert(out.samples.end(), b.samples.begin(), b.samples.end());
  return out;
}

std::string EncodeWav(const Pcm& pcm, const WavTags* tags) {
  const uint32_t block_align = static_cast<uint32_t>(pcm.channels) * 2u;
  const uint32_t data_bytes = static_cast<uint32_t>(pcm.samples.size() * 2u);

  std::string info;
  if (tags) {
    auto sub = [&info](const char* id, const std::string& text) {
      if (text.empty()) return;
      std::string value = text + '\0';
      if (value.size() % 2) value += '\0';
      info += id;
      PutLe(info, static_cast<uint32_t>(text.size() + 1), 4);
      info += value;
    };
    sub("INAM", tags->title);
    sub("IART", tags->artist);
    sub("IPRD", tags->album);
    sub("IGNR", tags->genre);
    if (!info.empty()) info = std::string("LIST") + std::string(4, '\0') + "INFO" + info;
    if (!info.empty()) {
      std::string size;
      PutLe(size, static_cast<uint32_t>(info.size() - 8), 4);
      info.replace(4, 4, size);
    }
  }

  std::string out;
  out.reserve(44 + data_bytes + info.size());
  out += "RIFF";
  PutLe(out, 36u + data_bytes + static_cast<uint32_t>(info.size()), 4);
  out += "WAVE";
  out += "fmt ";
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, static_cast<uint32_t>(pcm.channels), 2);
  PutLe(out, static_cast<uint32_t>(pcm.sample_rate), 4);
  PutLe(out, static_cast<uint32_t>(pcm.sample_rate) * block_align, 4);
  PutLe(out, block_align, 2);
  PutLe(out, 16, 2);
  out += "data";
  PutLe(out, data_bytes, 4);
  for (int16_t s : pcm.samples) PutLe(out, static_cast<uint16_t>(s), 2);
  out += info;
  return out;
}

}  // namespace gen
