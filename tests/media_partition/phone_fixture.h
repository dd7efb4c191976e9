// A phone's media partition written by code into a folder: the music
// library database (its newest rows still in the -wal), the photo library
// database, camera roll pictures and videos, ringtones, books and voice
// memos. What was written is described in the order the device library
// lists it, so that tests can compare what they read with it.
#ifndef PORTIVA_TESTS_MEDIA_PARTITION_PHONE_FIXTURE_H
#define PORTIVA_TESTS_MEDIA_PARTITION_PHONE_FIXTURE_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace testsupport {

// A media item (music, movies, TV shows, podcasts, audiobooks, ringtones,
// playlist tracks).
struct PhoneTrack {
  std::string title, artist, album, genre;
  std::string path;  // device path, "/iTunes_Control/Music/F00/AURO.mp3"
  uint64_t size = 0;
  uint64_t time_ms = 0;
};

// A camera roll or photo library picture. time: seconds since 1970 (UTC),
// the photo library's creation date, or else the file's modification time
// (the fixture sets every file's; birth times are whatever the disk gives).
struct PhonePicture {
  std::string path;
  uint64_t size = 0;
  int64_t time = 0;
};

struct PhoneBook {
  std::string title, artist, genre;
  std::string path;
  bool directory = false;  // an EPUB folder rather than a file
};

struct PhoneMemo {
  std::string name, title, path;
  uint64_t size = 0;
  uint64_t time_ms = 0;
};

template <typename Item>
struct PhoneGroup {
  std::string name;
  std::vector<Item> items;
};

struct PhoneOptions {
  bool music_database = true;
  // An older layout: everything in "item" (no item_extra, no media_kind),
  // "container_item" for the members and "is_folder" for folders.
  bool old_music_schema = false;
  // Music library tables dropped after the content is written, such as
  // "item_artist", "item_extra", "base_location", "container".
  std::vector<std::string> drop_music_tables;
  // More songs for a large library (they have no files on the partition).
  size_t extra_songs = 0;
  // Run on the music library after the content, so it lands in the -wal;
  // not reflected in the description.
  std::string music_sql;

  bool photos_database = true;
  bool old_photos_schema = false;  // ZGENERICASSET instead of ZASSET
  std::string photos_sql;          // as music_sql

  bool ringtones_plist = true;
  bool books_plist = true;
  bool purchases_plist = true;
  bool recordings = true;
};

// What a partition holds, as the device library lists it. A list the
// device does not have (no photo library, no Recordings) is marked absent.
struct PhoneContents {
  std::string root;
  std::vector<PhoneTrack> music, movies, tv_shows, podcasts, audiobooks, ringtones;
  std::vector<PhoneGroup<PhoneTrack>> playlists;
  std::vector<PhonePicture> camera_roll;
  bool has_photos = false;
  std::vector<PhonePicture> photos;
  std::vector<PhoneGroup<PhoneBook>> books;
  bool has_voice_memos = false;
  std::vector<PhoneMemo> voice_memos;
  // Song titles that only the -wal holds (added or renamed there).
  std::vector<std::string> wal_only_titles;
  // Files on the partition that no list shows (sidecars, trashed and
  // cloud items, files of unknown kinds).
  std::vector<std::string> unlisted_paths;
  // Device paths of the databases.
  std::string music_database, photos_database;
};

// Writes the partition into root, a new or empty folder (created if
// missing). False with a reason in *error when something could not be
// written.
bool WritePhone(const std::string& root, const PhoneOptions& options, PhoneContents* contents,
                std::string* error = nullptr);

// Bytes of an MP4 (or QuickTime, brand "qt  ") file: ftyp, a movie box
// with mvhd and an optional title, and media_bytes of sound or picture.
struct Mp4Layout {
  std::string brand = "M4A ";
  uint32_t timescale = 44100;
  uint64_t duration = 0;
  bool version1 = false;  // 64-bit mvhd
  std::string title;      // the iTunes-style title, when not empty
  bool movie_box_last = false;
  size_t media_bytes = 1024;
};
std::string MakeMp4(const Mp4Layout& layout);

// A small real JPEG picture.
std::string MakeJpeg(int width, int height);
// A small real HEIC picture; empty when libheif has no HEVC encoder.
std::string MakeHeic(int width, int height);

bool WriteBytes(const std::string& path, const std::string& bytes);
// Creates path and its missing parents.
bool MakeFolders(const std::string& path);

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Removes a file or a folder tree; true when nothing is left.
bool RemoveTree(const std::string& path);

}  // namespace testsupport

#endif
