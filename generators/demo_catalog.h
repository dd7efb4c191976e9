// What the demo phone holds: titles, people, albums and dates. Names are
// made up; several are chosen to be awkward (characters that file names
// cannot hold, other scripts, duplicates, one genre in two spellings).
#ifndef PORTIVA_GENERATORS_DEMO_CATALOG_H
#define PORTIVA_GENERATORS_DEMO_CATALOG_H

#include <cstddef>
#include <cstdint>

namespace gen {

enum class SoundFormat {
  kMono22k,
  kStereo44k,
  kMono32k,
  kMono8k,
};

struct SongEntry {
  const char* title;
  const char* artist;
  const char* album;
  const char* genre;
  uint32_t duration_ms;
  SoundFormat format;
};

struct ClipEntry {
  const char* title;
  const char* artist;
  const char* album;
  const char* genre;
  uint32_t duration_ms;
  int scene;  // a Scene value
  int width;
  int height;
  int fps;
};

struct TalkEntry {
  const char* title;
  const char* artist;
  const char* album;
  const char* genre;
  uint32_t duration_ms;
  bool jingle;  // starts with a few seconds of music
};

struct MemoEntry {
  const char* name;  // may be empty: the title is shown then
  const char* stamp;  // "20240517 140322", the file name and the title
  uint32_t duration_ms;
  bool music;  // a hummed tune rather than talk
};

struct BookEntry {
  const char* catalog;
  const char* title;
  const char* author;
  const char* series;  // the "album"
  const char* genre;
  const char* path;  // ends in .epub (any case): a folder; else a file
  int chapters;
};

struct PlaylistEntry {
  const char* name;
  const int* songs;  // indexes into the song table
  size_t count;
};

extern const SongEntry kSongs[];
extern const size_t kSongCount;
extern const ClipEntry kMovies[];
extern const size_t kMovieCount;
extern const ClipEntry kTvShows[];
extern const size_t kTvShowCount;
extern const TalkEntry kPodcasts[];
extern const size_t kPodcastCount;
extern const TalkEntry kAudiobooks[];
extern const size_t kAudiobookCount;
extern const TalkEntry kRingtones[];
extern const size_t kRingtoneCount;
extern const MemoEntry kMemos[];
extern const size_t kMemoCount;
extern const BookEntry kBooks[];
extern const size_t kBookCount;
extern const PlaylistEntry kPlaylists[];
extern const size_t kPlaylistCount;

constexpr int kDemoCameraRoll = 40;
constexpr int kDemoPhotos = 20;

// Parts used to name the songs of benchmark images.
extern const char* const kWordsA[];
extern const size_t kWordsACount;
extern const char* const kWordsB[];
extern const size_t kWordsBCount;
extern const char* const kGenres[];
extern const size_t kGenreCount;
extern const char* const kPhotoAlbums[];
extern const size_t kPhotoAlbumCount;

}  // namespace gen

#endif
