#include "image_builder.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include <plist/plist.h>

#include "audio.h"
#include "demo_catalog.h"
#include "documents.h"
#include "gen_util.h"
#include "picture.h"
#include "video.h"

namespace fs = std::filesystem;

namespace gen {

namespace {

constexpr uint64_t kGB = 1000ull * 1000ull * 1000ull;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

std::string DateText(int64_t seconds) {
  int64_t z = seconds / 86400 + 719468;
  int64_t secs = seconds % 86400;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld", static_cast<long long>(y), m, d,
                static_cast<long long>(secs / 3600), static_cast<long long>(secs / 60 % 60),
                static_cast<long long>(secs % 60));
  return buf;
}

int64_t Moment(int y, unsigned m, unsigned d, int hh, int mm, int ss) {
  return DaysFromCivil(y, m, d) * 86400 + hh * 3600 + mm * 60 + ss;
}

bool IsAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

bool EndsWithEpub(const std::string& path) {
  if (path.size() < 5) return false;
  std::string tail = path.substr(path.size() - 5);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".epub";
}

struct Track {
  std::string title, artist, album, genre, path;
  uint64_t time = 0;
  uint64_t size = 0;
};

struct Picture {
  std::string path, time;
  uint64_t size = 0;
};

struct Book {
  std::string catalog, title, artist, album, genre, path;
};

struct Memo {
  std::string name, title, path;
  uint64_t time = 0, size = 0;
};

void SetString(plist_t dict, const char* key, const std::string& value) {
  plist_dict_set_item(dict, key, plist_new_string(value.c_str()));
}

void SetUint(plist_t dict, const char* key, uint64_t value) {
  plist_dict_set_item(dict, key, plist_new_uint(value));
}

plist_t TrackNode(const Track& t) {
  plist_t d = plist_new_dict();
  SetString(d, "title", t.title);
  SetUint(d, "time", t.time);
  SetUint(d, "size", t.size);
  SetString(d, "genre", t.genre);
  SetString(d, "artist", t.artist);
  SetString(d, "album", t.album);
  SetString(d, "path", t.path);
  return d;
}

plist_t FlatList(const std::vector<plist_t>& items) {
  plist_t list = plist_new_dict();
  plist_t array = plist_new_array();
  for (plist_t item : items) plist_array_append_item(array, item);
  plist_dict_set_item(list, "item", array);
  SetUint(list, "number", items.size());
  return list;
}

plist_t TrackList(const std::vector<Track>& tracks) {
  std::vector<plist_t> items;
  for (const Track& t : tracks) items.push_back(TrackNode(t));
  return FlatList(items);
}

plist_t PictureList(const std::vector<Picture>& pictures) {
  std::vector<plist_t> items;
  for (const Picture& p : pictures) {
    plist_t d = plist_new_dict();
    SetString(d, "path", p.path);
    SetString(d, "time", p.time);
    SetUint(d, "size", p.size);
    items.push_back(d);
  }
  return FlatList(items);
}

plist_t Group(const char* name_key, const std::string& name, const std::vector<plist_t>& items) {
  plist_t group = FlatList(items);
  SetString(group, name_key, name);
  return group;
}

class Builder {
 public:
  Builder(const ImageOptions& options, std::string root, ImageReport* report)
      : options_(options),
        root_(std::move(root)),
        work_(root_ + "/.work"),
        report_(report),
        use_lame_(ToolAvailable("lame")),
        use_heif_(ToolAvailable("heif-enc")) {}

  bool Run(std::string* error);

 private:
  Rng Stream(const char* name) const { return Rng(HashText(name, options_.seed)); }
  std::string Local(const std::string& device_path) const { return root_ + "/files" + device_path; }

  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = what;
    return false;
  }
  bool Store(const std::string& device_path, const std::string& bytes, uint64_t* size);
  // A free path of the form /iTunes_Control/<folder>/Fnn/ABCD.ext.
  std::string MediaPath(Rng& rng, const char* folder, const std::string& ext, bool numbered);
  // WAV, or MP3 through lame when asked and the tags are plain ASCII.
  bool EncodeAudio(const Pcm& pcm, const WavTags& tags, bool mp3, std::string* bytes, std::string* ext);
  bool EncodeHeic(const Canvas& canvas, std::string* bytes);

  bool MakeMusic();
  bool MakeBulkMusic(size_t count);
  bool MakeClips(const ClipEntry* entries, size_t count, const char* stream, std::vector<Track>* out);
  enum class Talk { kPodcast, kAudiobook, kRingtone };
  bool MakeTalk(const TalkEntry* entries, size_t count, const char* stream, Talk kind, std::vector<Track>* out);
  bool MakeMemos();
  bool MakeBooks();
  bool MakeCameraRoll();
  bool MakePhotos();
  bool PoolPicture(Rng& rng, std::string* pool_file, std::string* ext);
  bool WriteDescription();

  const ImageOptions& options_;
  std::string root_;
  std::string work_;
  ImageReport* report_;
  bool use_lame_;
  bool use_heif_;
  std::string error_;
  std::set<std::string> used_paths_;

  std::vector<Track> music_, movies_, tv_shows_, podcasts_, audiobooks_, ringtones_;
  std::vector<Memo> memos_;
  std::vector<Book> books_;
  std::vector<Picture> camera_roll_, photos_;
  uint64_t book_bytes_ = 0;
  std::vector<std::string> picture_pool_;
  size_t bulk_pictures_ = 0;
};

bool Builder::Store(const std::string& device_path, const std::string& bytes, uint64_t* size) {
  if (!WriteFile(Local(device_path), bytes)) return Fail("cannot write " + Local(device_path));
  *size = bytes.size();
  report_->files++;
  report_->bytes += bytes.size();
  report_->bytes_on_disk += bytes.size();
  return true;
}

std::string Builder::MediaPath(Rng& rng, const char* folder, const std::string& ext, bool numbered) {
  for (;;) {
    char name[64];
    char letters[5];
    for (int i = 0; i < 4; ++i) letters[i] = static_cast<char>('A' + rng.Below(26));
    letters[4] = 0;
    if (numbered) {
      std::snprintf(name, sizeof name, "/iTunes_Control/%s/F%02u/%s.%s", folder, rng.Below(50), letters, ext.c_str());
    } else {
      std::snprintf(name, sizeof name, "/iTunes_Control/%s/%s.%s", folder, letters, ext.c_str());
    }
    if (used_paths_.insert(name).second) return name;
  }
}

bool Builder::EncodeAudio(const Pcm& pcm, const WavTags& tags, bool mp3, std::string* bytes, std::string* ext) {
  if (mp3 && use_lame_ && IsAscii(tags.title + tags.artist + tags.album + tags.genre)) {
    MakeDirs(work_);
    const std::string wav = work_ + "/lame-in.wav", out = work_ + "/lame-out.mp3";
    std::vector<std::string> argv = {"lame", "--quiet", "--noreplaygain", "-b",
                                     pcm.channels == 2 ? "160" : "64"};
    auto tag = [&argv](const char* flag, const std::string& value) {
      if (value.empty()) return;
      argv.push_back(flag);
      argv.push_back(value);
    };
    tag("--tt", tags.title);
    tag("--ta", tags.artist);
    tag("--tl", tags.album);
    tag("--tg", tags.genre);
    argv.push_back(wav);
    argv.push_back(out);
    if (WriteFile(wav, EncodeWav(pcm, nullptr)) && RunTool(argv) && ReadFile(out, bytes) && !bytes->empty()) {
      *ext = "mp3";
      report_->mp3_written = true;
      return true;
    }
    std::fprintf(stderr, "demo_device_gen: lame failed, writing WAV instead\n");
    use_lame_ = false;
  }
  *bytes = EncodeWav(pcm, &tags);
  *ext = "wav";
  return true;
}

bool Builder::EncodeHeic(const Canvas& canvas, std::string* bytes) {
  if (!use_heif_) return false;
  MakeDirs(work_);
  const std::string png = work_ + "/heif-in.png", out = work_ + "/heif-out.heic";
  std::string png_bytes;
  if (!EncodePng(canvas, &png_bytes) || !WriteFile(png, png_bytes)) return false;
  if (!RunTool({"heif-enc", "-q", "60", "-p", "preset=ultrafast", "-o", out, png}) || !ReadFile(out, bytes) || bytes->empty()) {
    std::fprintf(stderr, "demo_device_gen: heif-enc failed, writing JPEG instead\n");
    use_heif_ = false;
    return false;
  }
  report_->heic_written = true;
  return true;
}

Pcm MakeSongPcm(Rng& rng, SoundFormat format, uint32_t duration_ms) {
  switch (format) {
    case SoundFormat::kStereo44k: return SynthesizeMusic(rng, 44100, 2, duration_ms);
    case SoundFormat::kMono32k: return SynthesizeMusic(rng, 32000, 1, duration_ms);
    case SoundFormat::kMono8k: return SynthesizeMusic(rng, 8000, 1, duration_ms);
    case SoundFormat::kMono22k: break;
  }
  return SynthesizeMusic(rng, 22050, 1, duration_ms);
}

// Grows a RIFF file to exactly size bytes with a trailing "JUNK" chunk.
void PadRiff(std::string* riff, uint64_t size) {
  const uint64_t pad = size - riff->size() - 8;
  auto le32 = [](uint64_t v) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
    return b;
  };
  *riff += "JUNK" + le32(pad);
  riff->append(pad, '\0');
  riff->replace(4, 4, le32(riff->size() - 8));
}

bool Builder::MakeMusic() {
  Rng rng = Stream("music");
  const size_t wanted = options_.songs < 0 ? kSongCount : static_cast<size_t>(options_.songs);
  const size_t curated = std::min(wanted, kSongCount);
  for (size_t i = 0; i < curated; ++i) {
    const SongEntry& e = kSongs[i];
    Rng sound = rng.Fork();
    Pcm pcm = MakeSongPcm(sound, e.format, RoundDurationMs(e.duration_ms));
    WavTags tags{e.title, e.artist, e.album, e.genre};
    std::string bytes, ext;
    // Every fourth song as MP3, as a real library mixes formats.
    if (!EncodeAudio(pcm, tags, i % 4 == 1, &bytes, &ext)) return false;
    Track t{e.title, e.artist, e.album, e.genre, MediaPath(rng, "Music", ext, true), pcm.DurationMs(), 0};
    if (!Store(t.path, bytes, &t.size)) return false;
    music_.push_back(t);
  }
  return wanted > curated ? MakeBulkMusic(wanted - curated) : true;
}

bool Builder::MakeBulkMusic(size_t count) {
  Rng rng = Stream("bulk music");
  // A pool of distinct sounds; songs link to them, so tens of thousands of
  // songs cost the disk only the pool.
  const size_t pool_size = std::min<size_t>(count, 40);
  std::vector<std::pair<std::string, uint64_t>> pool;  // file, duration
  MakeDirs(work_);
  for (size_t p = 0; p < pool_size; ++p) {
    Rng sound = rng.Fork();
    uint32_t duration_ms = static_cast<uint32_t>(sound.Range(3000, 9000));
    // 16-bit mono at 22050 Hz: 44100 bytes a second.
    if (options_.song_bytes > 0)
      duration_ms = static_cast<uint32_t>(std::min<uint64_t>(
          duration_ms, std::max<uint64_t>(100, (options_.song_bytes > 1024 ? options_.song_bytes - 1024 : 0) * 1000 / 44100)));
    Pcm pcm = SynthesizeMusic(sound, 22050, 1, RoundDurationMs(duration_ms));
    std::string wav = EncodeWav(pcm, nullptr);
    if (options_.song_bytes >= wav.size() + 8) PadRiff(&wav, options_.song_bytes);
    std::string file = work_ + "/song-pool-" + std::to_string(p) + ".wav";
    if (!WriteFile(file, wav)) return Fail("cannot write " + file);
    pool.emplace_back(file, pcm.DurationMs());
  }
  auto name_of = [&rng](const char* suffix) {
    return std::string(kWordsA[rng.Below(kWordsACount)]) + " " + kWordsB[rng.Below(kWordsBCount)] + suffix;
  };
  std::string artist, genre;
  size_t made = 0, artist_number = 0;
  while (made < count) {
    if (artist.empty() || rng.Chance(0.6)) {
      ++artist_number;
      switch (rng.Below(5)) {
        case 0: artist = "The " + name_of("s"); break;
        case 1: artist = std::string(kWordsA[rng.Below(kWordsACount)]) + " & The " + kWordsB[rng.Below(kWordsBCount)] + "s"; break;
        case 2: artist = std::string("DJ ") + kWordsA[rng.Below(kWordsACount)]; break;
        case 3: artist = std::string(kWordsB[rng.Below(kWordsBCount)]) + " Collective"; break;
        default: artist = name_of("");
      }
      // Past a thousand artists the names would repeat; a number keeps them apart.
      if (artist_number > 1000) artist += " " + std::to_string(artist_number);
      genre = kGenres[rng.Below(kGenreCount)];
    }
    std::string album;
    switch (rng.Below(5)) {
      case 0: album = std::string("The ") + kWordsB[rng.Below(kWordsBCount)] + " Sessions"; break;
      case 1: album = std::string(kWordsB[rng.Below(kWordsBCount)]) + " of " + kWordsB[rng.Below(kWordsBCount)]; break;
      case 2: album = name_of(", Vol. ") + std::to_string(rng.Range(1, 4)); break;
      case 3: album = std::string("Live at the ") + kWordsB[rng.Below(kWordsBCount)]; break;
      default: album = name_of("");
    }
    size_t tracks = std::min<size_t>(count - made, static_cast<size_t>(rng.Range(8, 14)));
    for (size_t k = 0; k < tracks; ++k, ++made) {
      const auto& source = pool[made % pool_size];
      Track t{name_of(rng.Chance(0.1) ? " (Live)" : ""), artist, album, genre,
              MediaPath(rng, "Music", "wav", true), source.second, 0};
      if (!LinkOrCopy(source.first, Local(t.path))) return Fail("cannot write " + Local(t.path));
      if (!FileSize(Local(t.path), &t.size)) return Fail("cannot read " + Local(t.path));
      report_->files++;
      report_->bytes += t.size;
      music_.push_back(t);
    }
  }
  for (const auto& source : pool) {
    uint64_t size = 0;
    if (FileSize(source.first, &size)) report_->bytes_on_disk += size;
  }
  return true;
}

bool Builder::MakeClips(const ClipEntry* entries, size_t count, const char* stream, std::vector<Track>* out) {
  Rng rng = Stream(stream);
  for (size_t i = 0; i < count; ++i) {
    const ClipEntry& e = entries[i];
    ClipParams clip;
    clip.width = e.width;
    clip.height = e.height;
    clip.fps = e.fps;
    clip.duration_ms = e.duration_ms;
    clip.scene = static_cast<Scene>(e.scene);
    clip.seed = rng.Next();
    Rng sound = rng.Fork();
    Pcm pcm = SynthesizeMusic(sound, 22050, 1, ClipDurationMs(clip));
    std::string bytes;
    if (!EncodeMjpegAvi(clip, pcm, &bytes)) return Fail(std::string("cannot encode ") + e.title);
    Track t{e.title, e.artist, e.album, e.genre, MediaPath(rng, "Music", "avi", true), ClipDurationMs(clip), 0};
    if (!Store(t.path, bytes, &t.size)) return false;
    out->push_back(t);
  }
  return true;
}

bool Builder::MakeTalk(const TalkEntry* entries, size_t count, const char* stream, Talk kind,
                       std::vector<Track>* out) {
  const bool ringtone = kind == Talk::kRingtone;
  Rng rng = Stream(stream);
  for (size_t i = 0; i < count; ++i) {
    const TalkEntry& e = entries[i];
    Rng sound = rng.Fork();
    uint32_t ms = RoundDurationMs(e.duration_ms);
    Pcm pcm;
    if (ringtone) {
      pcm = SynthesizeChime(sound, 22050, ms);
    } else if (e.jingle) {
      pcm = Concatenate(SynthesizeMusic(sound, 16000, 1, 3000), SynthesizeSpeech(sound, 16000, ms - 3000, false));
    } else {
      pcm = SynthesizeSpeech(sound, 16000, ms, false);
    }
    WavTags tags{e.title, e.artist, e.album, e.genre};
    std::string bytes, ext;
    // Podcasts are MP3 files more often than not.
    if (!EncodeAudio(pcm, tags, kind == Talk::kPodcast, &bytes, &ext)) return false;
    std::string path = ringtone ? MediaPath(rng, "Ringtones", ext, false) : MediaPath(rng, "Music", ext, true);
    Track t{e.title, e.artist, e.album, e.genre, path, pcm.DurationMs(), 0};
    if (!Store(t.path, bytes, &t.size)) return false;
    out->push_back(t);
  }
  return true;
}

bool Builder::MakeMemos() {
  Rng rng = Stream("memos");
  for (size_t i = 0; i < kMemoCount; ++i) {
    const MemoEntry& e = kMemos[i];
    Rng sound = rng.Fork();
    uint32_t ms = RoundDurationMs(e.duration_ms);
    Pcm pcm = e.music ? SynthesizeMusic(sound, 16000, 1, ms) : SynthesizeSpeech(sound, 16000, ms, true);
    Memo m{e.name, e.stamp, std::string("/Recordings/") + e.stamp + ".wav", pcm.DurationMs(), 0};
    if (!Store(m.path, EncodeWav(pcm, nullptr), &m.size)) return false;
    memos_.push_back(m);
  }
  return true;
}

bool Builder::MakeBooks() {
  Rng rng = Stream("books");
  for (size_t i = 0; i < kBookCount; ++i) {
    const BookEntry& e = kBooks[i];
    BookText text;
    text.title = e.title;
    text.author = e.author;
    text.subject = e.genre;
    text.identifier = MakeUrnUuid(rng);
    for (int c = 0; c < e.chapters; ++c) {
      Chapter chapter;
      chapter.title = "Chapter " + std::to_string(c + 1);
      chapter.paragraphs = MakeParagraphs(rng, rng.Range(6, 14));
      text.chapters.push_back(chapter);
    }
    if (EndsWithEpub(e.path)) {
      Canvas cover(600, 900);
      PaintScene(cover, i % 2 ? Scene::kPoster : Scene::kLandscape, rng.Next(), 0.0);
      if (!EncodeJpeg(cover, 85, &text.cover_jpeg)) return Fail("cannot encode a cover");
      const std::string folder = Local(e.path);
      if (!WriteEpubFolder(folder, text)) return Fail("cannot write " + folder);
      std::error_code ec;
      for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
           it.increment(ec)) {
        if (it->is_regular_file(ec)) {
          uint64_t size = it->file_size(ec);
          book_bytes_ += size;
          report_->files++;
          report_->bytes += size;
          report_->bytes_on_disk += size;
        }
      }
    } else {
      uint64_t size = 0;
      if (!Store(e.path, MakePdf(text), &size)) return false;
      book_bytes_ += size;
    }
    books_.push_back(Book{e.catalog, e.title, e.author, e.series, e.genre, e.path});
  }
  return true;
}

// Photo-like scenes only; screenshots are placed on purpose.
Scene PhotoScene(Rng& rng) {
  static const Scene kScenes[] = {Scene::kLandscape, Scene::kSeaside, Scene::kCityNight,
                                  Scene::kBokeh,     Scene::kFlower,  Scene::kLandscape};
  return kScenes[rng.Below(6)];
}

bool Builder::PoolPicture(Rng& rng, std::string* pool_file, std::string* ext) {
  // Camera-size JPEGs shared by the benchmark pictures of both lists, made
  // the first time round and linked to after that.
  const size_t pool_size = 24;
  const size_t slot = bulk_pictures_++ % pool_size;
  *ext = "JPG";
  if (slot < picture_pool_.size()) {
    *pool_file = picture_pool_[slot];
    return true;
  }
  bool portrait = slot % 3 != 0;
  Canvas canvas(portrait ? 3000 : 4000, portrait ? 4000 : 3000);
  PaintScene(canvas, PhotoScene(rng), rng.Next(), 0.0);
  std::string bytes;
  if (!EncodeJpeg(canvas, 88, &bytes)) return Fail("cannot encode a picture");
  std::string file = work_ + "/picture-pool-" + std::to_string(slot) + ".jpg";
  if (!WriteFile(file, bytes)) return Fail("cannot write " + file);
  report_->bytes_on_disk += bytes.size();
  picture_pool_.push_back(file);
  *pool_file = file;
  return true;
}

// Seconds to the next picture: the demo's are days apart, a benchmark's
// thousands spread over about a year.
int StepSeconds(Rng& rng, long count, int demo_max) {
  if (count <= kDemoCameraRoll) return rng.Range(300, demo_max);
  return rng.Range(10, std::max(20, static_cast<int>(365L * 86400 * 2 / count)));
}

bool Builder::MakeCameraRoll() {
  Rng rng = Stream("camera roll");
  const long wanted = options_.camera_roll < 0 ? kDemoCameraRoll : options_.camera_roll;
  int64_t clock = Moment(2024, 3, 2, 9, 14, 5);
  for (long n = 1; n <= wanted; ++n) {
    char path[64];
    std::string ext;
    Picture p;
    if (n <= kDemoCameraRoll) {
      const bool screenshot = n % 8 == 5;
      const bool heic = n == 22;
      const bool full = n == 1 || n == 14 || n == 31;
      const bool portrait = n % 3 != 0;
      int w = full ? 4032 : 2016, h = full ? 3024 : 1512;
      if (portrait) std::swap(w, h);
      if (screenshot) {
        w = 1170;
        h = 2532;
      }
      Canvas canvas(w, h);
      PaintScene(canvas, screenshot ? Scene::kScreenshot : PhotoScene(rng), rng.Next(), 0.0);
      std::string bytes;
      if (screenshot) {
        if (!EncodePng(canvas, &bytes)) return Fail("cannot encode a screenshot");
        ext = "PNG";
      } else if (heic && EncodeHeic(canvas, &bytes)) {
        ext = "heic";
      } else {
        if (!EncodeJpeg(canvas, 88, &bytes)) return Fail("cannot encode a picture");
        ext = "JPG";
      }
      std::snprintf(path, sizeof path, "/DCIM/100APPLE/IMG_%04ld.%s", n, ext.c_str());
      p.path = path;
      if (!Store(p.path, bytes, &p.size)) return false;
    } else {
      std::string pool_file;
      if (!PoolPicture(rng, &pool_file, &ext)) return false;
      std::snprintf(path, sizeof path, "/DCIM/%ldAPPLE/IMG_%04ld.%s", 100 + (n - 1) / 1000, n % 10000,
                    ext.c_str());
      p.path = path;
      if (!LinkOrCopy(pool_file, Local(p.path)) || !FileSize(Local(p.path), &p.size)) {
        return Fail("cannot write " + Local(p.path));
      }
      report_->files++;
      report_->bytes += p.size;
    }
    clock += StepSeconds(rng, wanted, 3 * 86400);
    p.time = DateText(clock);
    camera_roll_.push_back(p);
  }
  return true;
}

bool Builder::MakePhotos() {
  Rng rng = Stream("photos");
  static const int kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768}, {1600, 1200},
                                  {1200, 1600}, {2048, 1365}, {1080, 1080}, {480, 640}};
  static const char* const kExts[] = {"jpg", "JPG", "jpeg", "jpg", "png"};
  const long wanted = options_.photos < 0 ? kDemoPhotos : options_.photos;
  int64_t clock = Moment(2023, 7, 14, 10, 30, 0);
  for (long n = 1; n <= wanted; ++n) {
    Picture p;
    const std::string album = kPhotoAlbums[static_cast<size_t>((n - 1) / 5) % kPhotoAlbumCount];
    char name[64];
    if (n <= kDemoPhotos) {
      const int* size = kSizes[rng.Below(8)];
      const std::string ext = kExts[n % 5];
      Canvas canvas(size[0], size[1]);
      PaintScene(canvas, ext == "png" ? Scene::kPoster : PhotoScene(rng), rng.Next(), 0.0);
      std::string bytes;
      bool ok = ext == "png" ? EncodePng(canvas, &bytes) : EncodeJpeg(canvas, 85, &bytes);
      if (!ok) return Fail("cannot encode a photo");
      std::snprintf(name, sizeof name, "/DSC_%04ld.%s", 140 + n, ext.c_str());
      p.path = "/Photos/Albums/" + album + name;
      if (!Store(p.path, bytes, &p.size)) return false;
    } else {
      std::string pool_file, ext;
      if (!PoolPicture(rng, &pool_file, &ext)) return false;
      std::snprintf(name, sizeof name, "/IMG_%05ld.%s", n, ext.c_str());
      p.path = std::string("/Photos/Albums/Archive") + name;
      if (!LinkOrCopy(pool_file, Local(p.path)) || !FileSize(Local(p.path), &p.size)) {
        return Fail("cannot write " + Local(p.path));
      }
      report_->files++;
      report_->bytes += p.size;
    }
    clock += StepSeconds(rng, wanted, 5 * 86400);
    p.time = DateText(clock);
    photos_.push_back(p);
  }
  return true;
}

uint64_t SumTracks(const std::vector<Track>& tracks) {
  uint64_t sum = 0;
  for (const Track& t : tracks) sum += t.size;
  return sum;
}

bool Builder::WriteDescription() {
  uint64_t audio = SumTracks(music_) + SumTracks(podcasts_) + SumTracks(audiobooks_) + SumTracks(ringtones_);
  for (const Memo& m : memos_) audio += m.size;
  uint64_t video = SumTracks(movies_) + SumTracks(tv_shows_);
  uint64_t pictures = 0;
  for (const Picture& p : camera_roll_) pictures += p.size;
  for (const Picture& p : photos_) pictures += p.size;
  // A phone in use holds far more than the demo files: the figures look like
  // a real one, and are never less than what the lists hold.
  audio = std::max(audio, 5200 * kGB / 1000);
  video = std::max(video, 7400 * kGB / 1000);
  pictures = std::max(pictures, 11300 * kGB / 1000);
  uint64_t others = std::max(book_bytes_, 9100 * kGB / 1000);
  uint64_t capacity = 64 * kGB;
  while (audio + video + pictures + others + kGB > capacity) capacity *= 2;

  uint64_t id_hash = HashText(options_.name + "|" + std::to_string(options_.songs) + "|" +
                                  std::to_string(options_.photos) + "|" + std::to_string(options_.camera_roll) +
                                  (options_.song_bytes ? "|" + std::to_string(options_.song_bytes) : ""),
                              options_.seed);
  Rng id_rng(id_hash);
  std::string identifier;
  static const char kHex[] = "0123456789abcdef";
  while (identifier.size() < 40) identifier += kHex[id_rng.Below(16)];
  static const char kSerialChars[] = "0123456789ABCDEFGHJKLMNPQRSTUVWXYZ";
  std::string serial = "F";
  while (serial.size() < 12) serial += kSerialChars[id_rng.Below(sizeof kSerialChars - 1)];

  plist_t root = plist_new_dict();
  SetString(root, "Identifier", identifier);
  SetString(root, "ConnectionType", "usb");
  plist_t info = plist_new_dict();
  SetString(info, "DeviceName", options_.name);
  SetString(info, "Type", "iPhone14,2");
  SetUint(info, "Catacity", capacity);
  SetString(info, "Version", "17.5.1");
  SetString(info, "SerialNumber", serial);
  SetUint(info, "Audio", audio);
  SetUint(info, "Video", video);
  SetUint(info, "Photos", pictures);
  SetUint(info, "Others", others);
  SetUint(info, "Available", capacity - audio - video - pictures - others);
  plist_dict_set_item(root, "Info", info);

  plist_t lists = plist_new_dict();
  plist_dict_set_item(lists, "Music", TrackList(music_));
  plist_t playlists = plist_new_array();
  for (size_t i = 0; i < kPlaylistCount; ++i) {
    std::vector<plist_t> items;
    for (size_t k = 0; k < kPlaylists[i].count; ++k) {
      size_t song = static_cast<size_t>(kPlaylists[i].songs[k]);
      if (song < music_.size()) items.push_back(TrackNode(music_[song]));
    }
    plist_array_append_item(playlists, Group("name", kPlaylists[i].name, items));
  }
  plist_dict_set_item(lists, "Playlists", playlists);
  plist_dict_set_item(lists, "Movies", TrackList(movies_));
  plist_dict_set_item(lists, "Podcasts", TrackList(podcasts_));
  plist_dict_set_item(lists, "TVShows", TrackList(tv_shows_));
  plist_dict_set_item(lists, "Audiobooks", TrackList(audiobooks_));
  std::vector<plist_t> memo_items;
  for (const Memo& m : memos_) {
    plist_t d = plist_new_dict();
    SetString(d, "name", m.name);
    SetString(d, "title", m.title);
    SetUint(d, "time", m.time);
    SetUint(d, "size", m.size);
    SetString(d, "path", m.path);
    memo_items.push_back(d);
  }
  plist_dict_set_item(lists, "VoiceMemos", FlatList(memo_items));
  plist_dict_set_item(lists, "Ringtones", TrackList(ringtones_));
  plist_dict_set_item(lists, "Photos", PictureList(photos_));
  plist_t book_groups = plist_new_array();
  std::vector<std::string> catalogs;
  for (const Book& b : books_) {
    if (std::find(catalogs.begin(), catalogs.end(), b.catalog) == catalogs.end()) catalogs.push_back(b.catalog);
  }
  for (const std::string& catalog : catalogs) {
    std::vector<plist_t> items;
    for (const Book& b : books_) {
      if (b.catalog != catalog) continue;
      plist_t d = plist_new_dict();
      SetString(d, "title", b.title);
      SetString(d, "genre", b.genre);
      SetString(d, "artist", b.artist);
      SetString(d, "album", b.album);
      SetString(d, "path", b.path);
      items.push_back(d);
    }
    plist_array_append_item(book_groups, Group("catalog", catalog, items));
  }
  plist_dict_set_item(lists, "Books", book_groups);
  plist_dict_set_item(lists, "CameraRoll", PictureList(camera_roll_));
  plist_dict_set_item(root, "Lists", lists);

  report_->items = music_.size() + movies_.size() + tv_shows_.size() + podcasts_.size() + audiobooks_.size() +
                   ringtones_.size() + memos_.size() + books_.size() + camera_roll_.size() + photos_.size();

  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(root, &xml, &length);
  plist_free(root);
  if (!xml) return Fail("cannot write the description");
  std::string text(xml, length);
  plist_to_xml_free(xml);
  if (!WriteFile(root_ + "/device.plist", text)) return Fail("cannot write " + root_ + "/device.plist");
  return true;
}

bool Builder::Run(std::string* error) {
  auto last = std::chrono::steady_clock::now();
  auto step = [this, &last](const char* what, bool ok) {
    auto now = std::chrono::steady_clock::now();
    if (ok && options_.verbose) {
      std::fprintf(stderr, "demo_device_gen: %s: %.2f s\n", what, std::chrono::duration<double>(now - last).count());
    }
    last = now;
    return ok;
  };
  bool ok = step("music", MakeMusic()) && step("movies", MakeClips(kMovies, kMovieCount, "movies", &movies_)) &&
            step("tv shows", MakeClips(kTvShows, kTvShowCount, "tv shows", &tv_shows_)) &&
            step("podcasts", MakeTalk(kPodcasts, kPodcastCount, "podcasts", Talk::kPodcast, &podcasts_)) &&
            step("audiobooks", MakeTalk(kAudiobooks, kAudiobookCount, "audiobooks", Talk::kAudiobook, &audiobooks_)) &&
            step("ringtones", MakeTalk(kRingtones, kRingtoneCount, "ringtones", Talk::kRingtone, &ringtones_)) &&
            step("voice memos", MakeMemos()) && step("books", MakeBooks()) &&
            step("camera roll", MakeCameraRoll()) && step("photos", MakePhotos());
  // The scratch files go before the description is written: the image is
  // complete once device.plist exists.
  RemoveTree(work_);
  ok = ok && WriteDescription();
  if (!ok) *error = error_.empty() ? "failed" : error_;
  return ok;
}

bool ReplaceFolder(const std::string& fresh, const std::string& target, std::string* error) {
  std::error_code ec;
  const std::string old = target + ".old";
  RemoveTree(old);
  if (fs::exists(fs::symlink_status(target, ec))) {
    fs::rename(target, old, ec);
    if (ec) {
      *error = "cannot move " + target + " aside: " + ec.message();
      return false;
    }
  }
  fs::rename(fresh, target, ec);
  if (ec) {
    *error = "cannot move " + fresh + " to " + target + ": " + ec.message();
    return false;
  }
  RemoveTree(old);
  return true;
}

}  // namespace

bool BuildDeviceImage(const ImageOptions& options, ImageReport* report, std::string* error) {
  *report = ImageReport();
  std::string out = options.out;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  if (out.empty()) {
    *error = "no output folder";
    return false;
  }
  const std::string staging = out + ".tmp";
  if (!RemoveTree(staging) || !MakeDirs(staging + "/files")) {
    *error = "cannot create " + staging;
    return false;
  }
  Builder builder(options, staging, report);
  if (!builder.Run(error)) {
    RemoveTree(staging);
    return false;
  }
  return ReplaceFolder(staging, out, error);
}

}  // namespace gen
