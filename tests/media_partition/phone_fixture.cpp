#include "phone_fixture.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <jpeglib.h>
#include <libheif/heif.h>
#include <plist/plist.h>
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

namespace testsupport {

namespace {

constexpr int64_t kCoreDataEpoch = 978307200;
// Every file written gets this modification time, a minute apart.
constexpr int64_t kFileTimeBase = 1677906367;  // 2023-03-04 05:06:07 UTC

std::string Be32(uint64_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
  return out;
}

std::string Be64(uint64_t value) { return Be32(value >> 32) + Be32(value & 0xFFFFFFFFu); }

std::string Box(const std::string& type, const std::string& body) {
  return Be32(8 + body.size()) + type + body;
}

// Deterministic filler of a given size.
std::string Filler(size_t size, unsigned seed) {
  std::string out(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (char& c : out) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  return out;
}

class Writer {
 public:
  Writer(const std::string& root, std::string* error) : root_(root), error_(error) {}

  bool failed() const { return failed_; }

  void Fail(const std::string& why) {
    if (!failed_ && error_ != nullptr) *error_ = why;
    failed_ = true;
  }

  // Writes a file at a device path and gives it the next fixed time.
  int64_t Put(const std::string& device_path, const std::string& bytes) {
    const std::string local = root_ + device_path;
    const size_t slash = local.rfind('/');
    if (!MakeFolders(local.substr(0, slash)) || !WriteBytes(local, bytes)) {
      Fail("cannot write " + local);
      return 0;
    }
    const int64_t when = kFileTimeBase + 60 * files_++;
    struct timespec times[2] = {{static_cast<time_t>(when), 0}, {static_cast<time_t>(when), 0}};
    if (utimensat(AT_FDCWD, local.c_str(), times, 0) != 0) Fail("cannot date " + local);
    return when;
  }

  PhonePicture Picture(const std::string& device_path, const std::string& bytes) {
    PhonePicture picture;
    picture.path = device_path;
    picture.size = bytes.size();
    picture.time = Put(device_path, bytes);
    return picture;
  }

  const std::string& root() const { return root_; }

 private:
  std::string root_;
  std::string* error_;
  bool failed_ = false;
  int files_ = 0;
};

// ---- SQLite ---------------------------------------------------------------------

class Db {
 public:
  explicit Db(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
      ok_ = false;
  }
  ~Db() {
    if (db_ != nullptr) sqlite3_close(db_);
  }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  // Write-ahead log that outlives the connection: the newest rows stay in
  // the -wal as on a phone in use.
  void KeepLog() {
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA wal_autocheckpoint=0");
    if (ok_) sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  }

  void Exec(const std::string& sql) {
    if (!ok_) return;
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      ok_ = false;
      error_ = std::string(message != nullptr ? message : "?") + " in " + sql.substr(0, 200);
    }
    sqlite3_free(message);
  }

  // One statement run for each row of values; text values go as text,
  // numbers as integers or reals, nullptr-text as NULL.
  struct Value {
    enum Kind { kNull, kInt, kReal, kText, kBlob } kind = kNull;
    int64_t i = 0;
    double r = 0;
    std::string s;
    Value() = default;
    Value(int64_t v) : kind(kInt), i(v) {}  // NOLINT
    Value(int v) : kind(kInt), i(v) {}      // NOLINT
    Value(uint64_t v) : kind(kInt), i(static_cast<int64_t>(v)) {}  // NOLINT
    Value(double v) : kind(kReal), r(v) {}  // NOLINT
    Value(const char* v) : kind(v != nullptr ? kText : kNull), s(v != nullptr ? v : "") {}  // NOLINT
    Value(const std::string& v) : kind(kText), s(v) {}  // NOLINT
    static Value Blob(const std::string& bytes) {
      Value v;
      v.kind = kBlob;
      v.s = bytes;
      return v;
    }
  };

  void Insert(const std::string& sql, const std::vector<std::vector<Value>>& rows) {
    if (!ok_) return;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      ok_ = false;
      error_ = std::string(sqlite3_errmsg(db_)) + " in " + sql;
      return;
    }
    for (const auto& row : rows) {
      sqlite3_reset(stmt);
      for (size_t i = 0; i < row.size(); ++i) {
        const int at = static_cast<int>(i + 1);
        const Value& v = row[i];
        switch (v.kind) {
          case Value::kNull: sqlite3_bind_null(stmt, at); break;
          case Value::kInt: sqlite3_bind_int64(stmt, at, v.i); break;
          case Value::kReal: sqlite3_bind_double(stmt, at, v.r); break;
          case Value::kText:
            sqlite3_bind_text(stmt, at, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
            break;
          case Value::kBlob:
            sqlite3_bind_blob(stmt, at, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
            break;
        }
      }
      if (sqlite3_step(stmt) != SQLITE_DONE) {
        ok_ = false;
        error_ = std::string(sqlite3_errmsg(db_)) + " in " + sql;
        break;
      }
    }
    sqlite3_finalize(stmt);
  }

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  sqlite3* db_ = nullptr;
  bool ok_ = true;
  std::string error_;
};

// ---- the music library ------------------------------------------------------------

struct SongRow {
  int64_t pid;
  uint64_t media_type;
  uint64_t media_kind;  // only where the schema has the column
  std::string title, artist, album, genre;
  int64_t base;  // base_location_id; 0 for an item kept in the cloud
  std::string location;
  uint64_t size;
  uint64_t time_ms;
  bool wal_only;
  std::string old_title;  // renamed in the -wal when not empty
};

const char* const kArtists[] = {"The Lanterns", "Mira Vale", "Harbor Lights", "Open Air Radio",
                                "J. Doe"};
const char* const kAlbums[] = {"First Light", "Night Roads", "Season One", "Weekly Talk",
                               "The Long Road"};
const char* const kGenres[] = {"Pop", "Electronic", "Drama", "Talk", "Fiction"};

int64_t IndexOf(const char* const* list, size_t count, const std::string& value) {
  for (size_t i = 0; i < count; ++i)
    if (value == list[i]) return static_cast<int64_t>(i + 1);
  return 0;
}

std::vector<SongRow> Songs(bool old_schema) {
  // base ids: 1..4 are folders F00..F03 below.
  std::vector<SongRow> rows = {
      {1, 8, 0, "Aurora", "The Lanterns", "First Light", "Pop", 1, "AURO.mp3", 5120, 215000, false, ""},
      {2, 8, 0, "blue Hour", "The Lanterns", "First Light", "Pop", 2, "BLUE.m4a", 4608, 187000, false,
       "Blue Hour (Demo)"},
      {3, 8, 0, "Zebra Crossing", "Mira Vale", "Night Roads", "Electronic", 3, "ZEBR.m4a", 6144,
       242000, true, ""},
      {4, 0, 8, "Kind Only", "Mira Vale", "Night Roads", "Electronic", 3, "KIND.m4a", 3072, 99000,
       false, ""},
      {5, 1024, 0, "Dance Video", "Mira Vale", "Night Roads", "Electronic", 4, "DANC.m4v", 8192,
       200000, false, ""},
      {6, 2048, 0, "Long Voyage", "", "", "Drama", 4, "LONG.m4v", 9216, 5400000, false, ""},
      {7, 8192, 0, "Birthday 2019", "", "", "", 4, "BDAY.mov", 7168, 60000, false, ""},
      {8, 512, 0, "Pilot", "Harbor Lights", "Season One", "Drama", 4, "PILO.m4v", 8704, 2600000,
       false, ""},
      {9, 4, 0, "Episode 12", "Open Air Radio", "Weekly Talk", "Talk", 2, "EP12.mp3", 4096, 1800000,
       false, ""},
      {10, 4 | 256, 0, "Episode 13 (Video)", "Open Air Radio", "Weekly Talk", "Talk", 4, "EP13.m4v",
       5632, 1900000, false, ""},
      {11, 2, 0, "The Long Road (Unabridged)", "J. Doe", "The Long Road", "Fiction", 2, "LONG.m4b",
       6656, 36000000, false, ""},
      // Kept in the cloud: no file on the device.
      {12, 8, 0, "Cloud Song", "Mira Vale", "Night Roads", "Electronic", 0, "", 0, 180000, false, ""},
      // A type no list takes.
      {13, 16384, 0, "Alert Tone", "", "", "", 1, "TONE.m4a", 2048, 3000, false, ""},
  };
  if (old_schema) {
    // No media_kind in this layout: the type says it.
    rows[3].media_type = 8;
    rows[3].media_kind = 0;
  }
  return rows;
}

const char* const kBaseFolders[] = {"iTunes_Control/Music/F00", "iTunes_Control/Music/F01",
                                    "iTunes_Control/Music/F02", "iTunes_Control/Music/F03",
                                    "iTunes_Control/Music/F10"};

enum class Target { kNone, kMusic, kMovies, kTv, kPodcasts, kAudiobooks };

Target ClassifyForFixture(uint64_t mask) {
  // Mirrors the rules the device library documents; listed here as data.
  if (mask & (2048 | 8192 | 1024)) return Target::kMovies;
  if (mask & 512) return Target::kTv;
  if (mask & (256 | 4)) return Target::kPodcasts;
  if (mask & 2) return Target::kAudiobooks;
  if (mask & 8) return Target::kMusic;
  return Target::kNone;
}

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

struct Playlist {
  int64_t pid;
  std::string name;
  int distinguished = 0;
  int hidden = 0;
  std::string smart;  // criteria blob
  int folder = 0;
  int genius = 0;
  std::vector<std::pair<int64_t, int>> members;  // item, position
  bool user() const { return distinguished == 0 && hidden == 0 && smart.empty() && folder == 0 && genius == 0; }
};

std::vector<Playlist> Playlists(bool old_schema) {
  std::vector<Playlist> lists = {
      {101, "Road Trip", 0, 0, "", 0, 0, {{1, 20}, {2, 10}, {12, 30}}},  // item 3 joins in the log
      {102, "Empty", 0, 0, "", 0, 0, {}},
      {103, "Purchased", 5, 0, "", 0, 0, {{1, 0}}},
      {104, "Hidden List", 0, 1, "", 0, 0, {{2, 0}}},
      {105, "Recently Added", 0, 0, std::string("\x01\x02", 2), 0, 0, {{1, 0}}},
      {106, "Folder", 0, 0, "", 1, 0, {}},
  };
  if (!old_schema) lists.push_back({107, "Genius Mix", 0, 0, "", 0, 1, {{2, 0}}});
  return lists;
}

void WriteMusic(Writer* w, const PhoneOptions& options, PhoneContents* contents) {
  const bool old = options.old_music_schema;
  const std::string device_path = "/iTunes_Control/iTunes/MediaLibrary.sqlitedb";
  contents->music_database = device_path;
  const std::string local = w->root() + device_path;
  if (!MakeFolders(w->root() + "/iTunes_Control/iTunes")) return w->Fail("cannot make iTunes");
  const std::vector<SongRow> songs = Songs(old);
  const std::vector<Playlist> playlists = Playlists(old);

  // The media files themselves.
  for (const SongRow& song : songs) {
    if (song.base == 0) continue;
    const std::string path = "/" + std::string(kBaseFolders[song.base - 1]) + "/" + song.location;
    w->Put(path, Filler(static_cast<size_t>(song.size), static_cast<unsigned>(song.pid)));
    if (ClassifyForFixture(song.media_type != 0 ? song.media_type : song.media_kind) == Target::kNone)
      contents->unlisted_paths.push_back(path);
  }

  {
    Db db(local);
    db.KeepLog();
    db.Exec("BEGIN");
    if (old) {
      db.Exec(
          "CREATE TABLE item (item_pid INTEGER PRIMARY KEY, media_type INTEGER, title TEXT, "
          "location TEXT, file_size INTEGER, total_time_ms INTEGER, base_location_id INTEGER, "
          "item_artist_pid INTEGER, album_pid INTEGER, genre_id INTEGER)");
      db.Exec(
          "CREATE TABLE container (container_pid INTEGER PRIMARY KEY, name TEXT, "
          "distinguished_kind INTEGER, is_hidden INTEGER, smart_criteria BLOB, is_folder INTEGER)");
      db.Exec(
          "CREATE TABLE container_item (container_item_pid INTEGER PRIMARY KEY, container_pid "
          "INTEGER, item_pid INTEGER, position INTEGER)");
    } else {
      db.Exec(
          "CREATE TABLE item (item_pid INTEGER PRIMARY KEY, media_type INTEGER, "
          "base_location_id INTEGER, item_artist_pid INTEGER, album_pid INTEGER, genre_id INTEGER, "
          "in_my_library INTEGER)");
      db.Exec(
          "CREATE TABLE item_extra (item_pid INTEGER PRIMARY KEY, title TEXT, sort_title TEXT, "
          "location TEXT, file_size INTEGER, total_time_ms INTEGER, media_kind INTEGER)");
      db.Exec(
          "CREATE TABLE container (container_pid INTEGER PRIMARY KEY, name TEXT, "
          "distinguished_kind INTEGER, is_hidden INTEGER, smart_criteria BLOB, "
          "smart_is_folder INTEGER, smart_is_genius INTEGER)");
      db.Exec(
          "CREATE TABLE container_items (container_pid INTEGER, item_pid INTEGER, position "
          "INTEGER, PRIMARY KEY (container_pid, position))");
    }
    db.Exec("CREATE TABLE item_artist (item_artist_pid INTEGER PRIMARY KEY, item_artist TEXT)");
    db.Exec("CREATE TABLE album (album_pid INTEGER PRIMARY KEY, album TEXT)");
    db.Exec("CREATE TABLE genre (genre_id INTEGER PRIMARY KEY, genre TEXT)");
    db.Exec("CREATE TABLE base_location (base_location_id INTEGER PRIMARY KEY, path TEXT)");

    std::vector<std::vector<Db::Value>> rows;
    for (size_t i = 0; i < 5; ++i) rows.push_back({static_cast<int64_t>(i + 1), kArtists[i]});
    db.Insert("INSERT INTO item_artist VALUES (?, ?)", rows);
    rows.clear();
    for (size_t i = 0; i < 5; ++i) rows.push_back({static_cast<int64_t>(i + 1), kAlbums[i]});
    db.Insert("INSERT INTO album VALUES (?, ?)", rows);
    rows.clear();
    for (size_t i = 0; i < 5; ++i) rows.push_back({static_cast<int64_t>(i + 1), kGenres[i]});
    db.Insert("INSERT INTO genre VALUES (?, ?)", rows);
    rows.clear();
    for (size_t i = 0; i < 5; ++i) rows.push_back({static_cast<int64_t>(i + 1), kBaseFolders[i]});
    db.Insert("INSERT INTO base_location VALUES (?, ?)", rows);

    auto insert_songs = [&](const std::vector<const SongRow*>& batch, bool renamed_first) {
      std::vector<std::vector<Db::Value>> items, extras;
      for (const SongRow* s : batch) {
        const std::string title = renamed_first && !s->old_title.empty() ? s->old_title : s->title;
        const Db::Value artist = IndexOf(kArtists, 5, s->artist);
        const Db::Value album = IndexOf(kAlbums, 5, s->album);
        const Db::Value genre = IndexOf(kGenres, 5, s->genre);
        const Db::Value location = s->base == 0 ? Db::Value() : Db::Value(s->location);
        if (old) {
          items.push_back({s->pid, s->media_type, title, location, s->size, s->time_ms, s->base,
                           artist, album, genre});
        } else {
          items.push_back({s->pid, s->media_type, s->base, artist, album, genre, 1});
          extras.push_back({s->pid, title, title, location, s->size, s->time_ms, s->media_kind});
        }
      }
      if (old) {
        db.Insert("INSERT INTO item VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", items);
      } else {
        db.Insert("INSERT INTO item VALUES (?, ?, ?, ?, ?, ?, ?)", items);
        db.Insert("INSERT INTO item_extra VALUES (?, ?, ?, ?, ?, ?, ?)", extras);
      }
    };
    std::vector<const SongRow*> first, later;
    for (const SongRow& s : songs) (s.wal_only ? later : first).push_back(&s);
    insert_songs(first, true);

    // A large library: artists, albums and genres of its own.
    if (options.extra_songs > 0) {
      std::vector<std::vector<Db::Value>> artists, albums, items, extras;
      for (int i = 0; i < 200; ++i) artists.push_back({1000 + i, "Artist " + std::to_string(i)});
      for (int i = 0; i < 500; ++i) albums.push_back({1000 + i, "Album " + std::to_string(i)});
      db.Insert("INSERT INTO item_artist VALUES (?, ?)", artists);
      db.Insert("INSERT INTO album VALUES (?, ?)", albums);
      for (size_t i = 0; i < options.extra_songs; ++i) {
        char title[32];
        snprintf(title, sizeof title, "Song %06zu", i);
        char location[32];
        snprintf(location, sizeof location, "S%06zu.m4a", i);
        const int64_t pid = 100000 + static_cast<int64_t>(i);
        const int64_t artist = 1000 + static_cast<int64_t>(i % 200);
        const int64_t album = 1000 + static_cast<int64_t>(i % 500);
        const uint64_t size = 4000000 + i, time_ms = 200000 + i;
        if (old) {
          items.push_back({pid, 8, title, location, size, time_ms, 5, artist, album, 1});
        } else {
          items.push_back({pid, 8, 5, artist, album, 1, 1});
          extras.push_back({pid, title, title, location, size, time_ms, 0});
        }
      }
      if (old) {
        db.Insert("INSERT INTO item VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", items);
      } else {
        db.Insert("INSERT INTO item VALUES (?, ?, ?, ?, ?, ?, ?)", items);
        db.Insert("INSERT INTO item_extra VALUES (?, ?, ?, ?, ?, ?, ?)", extras);
      }
    }

    std::vector<std::vector<Db::Value>> containers, members;
    for (const Playlist& p : playlists) {
      const Db::Value smart = p.smart.empty() ? Db::Value() : Db::Value::Blob(p.smart);
      if (old)
        containers.push_back({p.pid, p.name, p.distinguished, p.hidden, smart, p.folder});
      else
        containers.push_back({p.pid, p.name, p.distinguished, p.hidden, smart, p.folder, p.genius});
      for (const auto& m : p.members) {
        if (old)
          members.push_back({Db::Value(), p.pid, m.first, m.second});
        else
          members.push_back({p.pid, m.first, m.second});
      }
    }
    db.Insert(old ? "INSERT INTO container VALUES (?, ?, ?, ?, ?, ?)"
                  : "INSERT INTO container VALUES (?, ?, ?, ?, ?, ?, ?)",
              containers);
    db.Insert(old ? "INSERT INTO container_item VALUES (?, ?, ?, ?)"
                  : "INSERT INTO container_items VALUES (?, ?, ?)",
              members);
    db.Exec("COMMIT");
    // What is written from here on stays in the -wal.
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    db.Exec("BEGIN");
    insert_songs(later, false);
    for (const SongRow& s : songs) {
      if (s.old_title.empty()) continue;
      const std::string table = old ? "item" : "item_extra";
      db.Insert("UPDATE " + table + " SET title = ? WHERE item_pid = ?", {{s.title, s.pid}});
    }
    // The newest song opens the road trip.
    if (old)
      db.Insert("INSERT INTO container_item VALUES (NULL, ?, ?, ?)", {{101, 3, 5}});
    else
      db.Insert("INSERT INTO container_items VALUES (?, ?, ?)", {{101, 3, 5}});
    db.Exec("COMMIT");
    for (const std::string& table : options.drop_music_tables) db.Exec("DROP TABLE " + table);
    if (!options.music_sql.empty()) db.Exec(options.music_sql);
    if (!db.ok()) return w->Fail("music library: " + db.error());
  }
  struct stat st;
  if (stat((local + "-wal").c_str(), &st) != 0 || st.st_size == 0)
    return w->Fail("the music library kept no -wal");

  for (const SongRow& s : songs)
    if (s.wal_only || !s.old_title.empty()) contents->wal_only_titles.push_back(s.title);

  // What the library lists.
  const std::set<std::string> dropped(options.drop_music_tables.begin(),
                                      options.drop_music_tables.end());
  auto has = [&](const char* table) { return dropped.count(table) == 0; };
  const bool rows_readable = has("item") && has("base_location") && (old || has("item_extra"));
  struct Listed {
    int64_t pid;
    Target target;
    PhoneTrack track;
  };
  std::vector<Listed> listed;
  auto add = [&](int64_t pid, uint64_t mask, const std::string& title, const char* artist,
                 const char* album, const char* genre, const std::string& path, uint64_t size,
                 uint64_t time_ms) {
    PhoneTrack t;
    t.title = title;
    t.artist = has("item_artist") ? artist : "";
    t.album = has("album") ? album : "";
    t.genre = has("genre") ? genre : "";
    t.path = path;
    t.size = size;
    t.time_ms = time_ms;
    listed.push_back({pid, ClassifyForFixture(mask), t});
  };
  if (rows_readable) {
    for (const SongRow& s : songs) {
      if (s.base == 0) continue;
      add(s.pid, s.media_type != 0 ? s.media_type : s.media_kind, s.title, s.artist.c_str(),
          s.album.c_str(), s.genre.c_str(),
          "/" + std::string(kBaseFolders[s.base - 1]) + "/" + s.location, s.size, s.time_ms);
    }
    std::vector<std::string> names(200), albums(500);
    for (size_t i = 0; i < options.extra_songs; ++i) {
      char title[32], path[64];
      snprintf(title, sizeof title, "Song %06zu", i);
      snprintf(path, sizeof path, "/iTunes_Control/Music/F10/S%06zu.m4a", i);
      const std::string artist = "Artist " + std::to_string(i % 200);
      const std::string album = "Album " + std::to_string(i % 500);
      add(100000 + static_cast<int64_t>(i), 8, title, artist.c_str(), album.c_str(), "Pop", path,
          4000000 + i, 200000 + i);
    }
  }
  std::stable_sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
    const std::string x = Lower(a.track.title), y = Lower(b.track.title);
    return x != y ? x < y : a.pid < b.pid;
  });
  for (const Listed& l : listed) {
    switch (l.target) {
      case Target::kMusic: contents->music.push_back(l.track); break;
      case Target::kMovies: contents->movies.push_back(l.track); break;
      case Target::kTv: contents->tv_shows.push_back(l.track); break;
      case Target::kPodcasts: contents->podcasts.push_back(l.track); break;
      case Target::kAudiobooks: contents->audiobooks.push_back(l.track); break;
      case Target::kNone: break;
    }
  }
  if (has("container")) {
    std::vector<Playlist> users;
    for (const Playlist& p : playlists)
      if (p.user()) users.push_back(p);
    users[0].members.push_back({3, 5});
    std::sort(users.begin(), users.end(),
              [](const Playlist& a, const Playlist& b) { return Lower(a.name) < Lower(b.name); });
    for (Playlist& p : users) {
      PhoneGroup<PhoneTrack> group;
      group.name = p.name;
      std::sort(p.members.begin(), p.members.end(),
                [](const auto& a, const auto& b) { return a.second < b.second; });
      if (has(old ? "container_item" : "container_items")) {
        for (const auto& m : p.members)
          for (const Listed& l : listed)
            if (l.pid == m.first) group.items.push_back(l.track);
      }
      contents->playlists.push_back(group);
    }
  }
}

// ---- pictures ------------------------------------------------------------------

void WriteCameraRoll(Writer* w, PhoneContents* contents) {
  const std::string heic = MakeHeic(64, 48);
  if (heic.empty()) return w->Fail("libheif has no HEVC encoder");
  Mp4Layout movie;
  movie.brand = "qt  ";
  movie.timescale = 600;
  movie.duration = 600 * 3;
  movie.media_bytes = 2048;
  Mp4Layout mp4 = movie;
  mp4.brand = "mp42";

  // Sidecars and other files come between the pictures in name order.
  w->Put("/DCIM/100APPLE/IMG_0001.AAE", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>");
  contents->unlisted_paths.push_back("/DCIM/100APPLE/IMG_0001.AAE");
  contents->camera_roll.push_back(w->Picture("/DCIM/100APPLE/IMG_0001.JPG", MakeJpeg(32, 24)));
  contents->camera_roll.push_back(w->Picture("/DCIM/100APPLE/IMG_0002.HEIC", heic));
  contents->camera_roll.push_back(w->Picture("/DCIM/100APPLE/IMG_0003.MOV", MakeMp4(movie)));
  contents->camera_roll.push_back(w->Picture("/DCIM/100APPLE/IMG_0004.jpeg", MakeJpeg(16, 16)));
  contents->camera_roll.push_back(w->Picture("/DCIM/100APPLE/IMG_0005.MP4", MakeMp4(mp4)));
  w->Put("/DCIM/100APPLE/notes.txt", "not a picture");
  contents->unlisted_paths.push_back("/DCIM/100APPLE/notes.txt");
  contents->camera_roll.push_back(w->Picture("/DCIM/101APPLE/IMG_0101.JPG", MakeJpeg(24, 32)));
  Mp4Layout m4v = mp4;
  m4v.brand = "M4V ";
  contents->camera_roll.push_back(w->Picture("/DCIM/101APPLE/IMG_0102.M4V", MakeMp4(m4v)));
  // Only the folders below DCIM hold the roll.
  w->Put("/DCIM/IMG_9999.JPG", MakeJpeg(8, 8));
  contents->unlisted_paths.push_back("/DCIM/IMG_9999.JPG");
}

void WritePhotos(Writer* w, const PhoneOptions& options, PhoneContents* contents) {
  struct Asset {
    int64_t pk;
    std::string directory, file;
    bool dated;
    double created;  // Core Data seconds
    int trashed;
    bool write_file;
  };
  auto core = [](int64_t unix_time) { return static_cast<double>(unix_time - kCoreDataEpoch); };
  const std::vector<Asset> assets = {
      {1, "DCIM/100APPLE", "IMG_0001.JPG", true, core(1546300800), 0, false},
      {2, "PhotoData/Sync/100SYNCD", "IMG_5001.JPG", true, core(1556965230), 0, true},
      {3, "PhotoData/CPLAssets/group7", "B2C3.HEIC", true, core(1514862245) + 0.75, 0, true},
      {4, "PhotoData/Sync/100SYNCD", "IMG_5002.JPG", true, core(1556965300), 1, true},
      {5, "PhotoData/Sync/100SYNCD", "IMG_5003.JPG", true, core(1556965400), 0, false},
      {6, "PhotoData/Sync/100SYNCD", "IMG_5004.JPG", false, 0, 0, true},
  };
  const std::string heic = MakeHeic(40, 40);
  std::vector<std::pair<double, PhonePicture>> listed;  // NULL dates sort first
  for (const Asset& a : assets) {
    if (!a.write_file) continue;
    const std::string path = "/" + a.directory + "/" + a.file;
    PhonePicture picture = w->Picture(path, a.file.find("HEIC") != std::string::npos ? heic : MakeJpeg(20, 20 + static_cast<int>(a.pk)));
    if (a.trashed || !options.photos_database) {
      contents->unlisted_paths.push_back(path);
      continue;
    }
    if (a.dated) picture.time = kCoreDataEpoch + static_cast<int64_t>(std::floor(a.created));
    listed.push_back({a.dated ? a.created : -1e300, picture});
  }
  if (!options.photos_database) return;
  std::stable_sort(listed.begin(), listed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  contents->has_photos = true;
  for (const auto& l : listed) contents->photos.push_back(l.second);

  contents->photos_database = "/PhotoData/Photos.sqlite";
  const std::string table = options.old_photos_schema ? "ZGENERICASSET" : "ZASSET";
  Db db(w->root() + contents->photos_database);
  db.KeepLog();
  db.Exec("CREATE TABLE " + table +
          " (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZKIND INTEGER, ZTRASHEDSTATE INTEGER, "
          "ZDATECREATED TIMESTAMP, ZDIRECTORY VARCHAR, ZFILENAME VARCHAR)");
  std::vector<std::vector<Db::Value>> rows;
  for (const Asset& a : assets)
    rows.push_back({a.pk, 3, 0, a.trashed, a.dated ? Db::Value(a.created) : Db::Value(),
                    a.directory, a.file});
  db.Insert("INSERT INTO " + table + " VALUES (?, ?, ?, ?, ?, ?, ?)", rows);
  if (!options.photos_sql.empty()) db.Exec(options.photos_sql);
  if (!db.ok()) w->Fail("photo library: " + db.error());
}

// ---- ringtones, books, memos ------------------------------------------------------

std::string ToBinary(plist_t node) {
  char* data = nullptr;
  uint32_t size = 0;
  plist_to_bin(node, &data, &size);
  std::string out(data != nullptr ? data : "", size);
  free(data);
  return out;
}

std::string ToXml(plist_t node) {
  char* data = nullptr;
  uint32_t size = 0;
  plist_to_xml(node, &data, &size);
  std::string out(data != nullptr ? data : "", size);
  free(data);
  return out;
}

void WriteRingtones(Writer* w, const PhoneOptions& options, PhoneContents* contents) {
  struct Tone {
    std::string file, name;
    uint64_t time_ms;
    size_t bytes;
  };
  const std::vector<Tone> tones = {
      {"ABCD.m4r", "Marimba Remix", 29500, 900},
      {"EFGH.m4r", "", 0, 700},  // no entry in the list
      {"IJKL.M4R", "Chime", 12000, 500},
  };
  plist_t known = plist_new_dict();
  for (const Tone& t : tones) {
    Mp4Layout layout;
    layout.duration = t.time_ms * 441 / 10;
    layout.media_bytes = t.bytes;
    const std::string bytes = MakeMp4(layout);
    const std::string path = "/iTunes_Control/Ringtones/" + t.file;
    w->Put(path, bytes);
    PhoneTrack track;
    track.path = path;
    track.size = bytes.size();
    if (!t.name.empty() && options.ringtones_plist) {
      track.title = t.name;
      track.time_ms = t.time_ms;
    } else {
      track.title = t.file.substr(0, t.file.rfind('.'));
    }
    contents->ringtones.push_back(track);
    if (t.name.empty()) continue;
    plist_t entry = plist_new_dict();
    plist_dict_set_item(entry, "Name", plist_new_string(t.name.c_str()));
    plist_dict_set_item(entry, "Total Time", plist_new_uint(t.time_ms));
    plist_dict_set_item(entry, "GUID", plist_new_string("0123456789ABCDEF"));
    plist_dict_set_item(entry, "Protected Content", plist_new_bool(0));
    plist_dict_set_item(known, t.file.c_str(), entry);
  }
  w->Put("/iTunes_Control/Ringtones/readme.txt", "no tone");
  contents->unlisted_paths.push_back("/iTunes_Control/Ringtones/readme.txt");
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "Ringtones", known);
  if (options.ringtones_plist) w->Put("/iTunes_Control/iTunes/Ringtones.plist", ToBinary(root));
  plist_free(root);
}

void WriteEpub(Writer* w, const std::string& folder, const std::string& title) {
  w->Put(folder + "/mimetype", "application/epub+zip");
  w->Put(folder + "/META-INF/container.xml",
         "<?xml version=\"1.0\"?><container version=\"1.0\" "
         "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile "
         "full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>"
         "</rootfiles></container>");
  w->Put(folder + "/OEBPS/content.opf",
         "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"2.0\">"
         "<metadata><dc:title xmlns:dc=\"http://purl.org/dc/elements/1.1/\">" + title +
             "</dc:title></metadata></package>");
  w->Put(folder + "/OEBPS/chapter1.xhtml",
         "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>" + title + "</p></body></html>");
}

plist_t BookEntry(const char* name_key, const std::string& name, const std::string& artist,
                  const std::string& genre, const std::string& path) {
  plist_t entry = plist_new_dict();
  plist_dict_set_item(entry, name_key, plist_new_string(name.c_str()));
  plist_dict_set_item(entry, "Artist", plist_new_string(artist.c_str()));
  plist_dict_set_item(entry, "Genre", plist_new_string(genre.c_str()));
  plist_dict_set_item(entry, "Path", plist_new_string(path.c_str()));
  plist_dict_set_item(entry, "Persistent ID", plist_new_string("8A5F3C2B1D0E4F6A"));
  return entry;
}

void WriteBooks(Writer* w, const PhoneOptions& options, PhoneContents* contents) {
  WriteEpub(w, "/Books/moby.epub", "Moby Dick");
  w->Put("/Books/manual.pdf", "%PDF-1.4\n1 0 obj<</Type/Catalog>>endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n");
  WriteEpub(w, "/Books/Purchases/treasure.epub", "Treasure Island");

  plist_t books = plist_new_array();
  plist_array_append_item(books, BookEntry("Name", "Moby Dick", "Herman Melville", "Classics", "moby.epub"));
  plist_array_append_item(books, BookEntry("Itemname", "Manual", "ACME", "Reference", "manual.pdf"));
  // Listed, but not downloaded to the device.
  plist_array_append_item(books, BookEntry("Name", "Not Downloaded", "", "", "cloud.epub"));
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "Books", books);
  if (options.books_plist) {
    w->Put("/Books/Books.plist", ToXml(root));
    contents->books.push_back({"Books",
                               {{"Moby Dick", "Herman Melville", "Classics", "/Books/moby.epub", true},
                                {"Manual", "ACME", "Reference", "/Books/manual.pdf", false}}});
  }
  plist_free(root);

  plist_t purchases = plist_new_array();
  plist_array_append_item(purchases, BookEntry("Name", "Treasure Island", "R. L. Stevenson",
                                               "Adventure", "treasure.epub"));
  root = plist_new_dict();
  plist_dict_set_item(root, "Books", purchases);
  if (options.purchases_plist) {
    w->Put("/Books/Purchases/Purchases.plist", ToBinary(root));
    contents->books.push_back({"Purchases",
                               {{"Treasure Island", "R. L. Stevenson", "Adventure",
                                 "/Books/Purchases/treasure.epub", true}}});
  }
  plist_free(root);
}

void WriteMemos(Writer* w, PhoneContents* contents) {
  contents->has_voice_memos = true;
  struct Memo {
    std::string file;
    Mp4Layout layout;
  };
  Mp4Layout named;
  named.duration = 44100 * 655 / 10;  // 65.5 s
  named.title = "Team meeting";
  Mp4Layout last;
  last.version1 = true;
  last.timescale = 600;
  last.duration = 600 * 12;
  last.movie_box_last = true;
  last.media_bytes = 3000;
  for (const Memo& m : {Memo{"20240101 093000.m4a", named}, Memo{"20240102 101500.m4a", last}}) {
    const std::string bytes = MakeMp4(m.layout);
    PhoneMemo memo;
    memo.path = "/Recordings/" + m.file;
    memo.title = m.file.substr(0, m.file.rfind('.'));
    memo.name = m.layout.title.empty() ? memo.title : m.layout.title;
    memo.size = bytes.size();
    memo.time_ms = m.layout.duration * 1000 / m.layout.timescale;
    w->Put(memo.path, bytes);
    contents->voice_memos.push_back(memo);
  }
  // Not an MP4 at all: listed without a length.
  const std::string broken = Filler(777, 9);
  w->Put("/Recordings/broken.m4a", broken);
  contents->voice_memos.push_back({"broken", "broken", "/Recordings/broken.m4a", broken.size(), 0});
  w->Put("/Recordings/Recordings.db", "SQLite format 3");
  contents->unlisted_paths.push_back("/Recordings/Recordings.db");
}

int RemoveEntry(const char* path, const struct stat*, int type, struct FTW*) {
  return (type == FTW_DP ? rmdir(path) : unlink(path)) == 0 ? 0 : -1;
}

}  // namespace

std::string MakeMp4(const Mp4Layout& layout) {
  std::string mvhd;
  if (layout.version1) {
    mvhd = Be32(0x01000000) + Be64(0) + Be64(0) + Be32(layout.timescale) + Be64(layout.duration);
  } else {
    mvhd = Be32(0) + Be32(0) + Be32(0) + Be32(layout.timescale) + Be32(layout.duration);
  }
  mvhd += Be32(0x00010000) + std::string("\x01\x00", 2) + std::string(10, '\0');
  // Unity matrix.
  for (uint32_t v : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u}) mvhd += Be32(v);
  mvhd += std::string(24, '\0') + Be32(2);
  std::string moov = Box("mvhd", mvhd);
  if (!layout.title.empty()) {
    const std::string hdlr = Box("hdlr", Be32(0) + Be32(0) + "mdirappl" + std::string(9, '\0'));
    const std::string data = Box("data", Be32(1) + Be32(0) + layout.title);
    const std::string ilst = Box("ilst", Box("\xA9nam", data));
    moov += Box("udta", Box("meta", Be32(0) + hdlr + ilst));
  }
  moov = Box("moov", moov);
  const std::string ftyp = Box("ftyp", layout.brand + Be32(0) + layout.brand + "isom");
  const std::string mdat = Box("mdat", Filler(layout.media_bytes, static_cast<unsigned>(layout.duration)));
  return layout.movie_box_last ? ftyp + mdat + moov : ftyp + moov + mdat;
}

std::string MakeJpeg(int width, int height) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 85, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<unsigned char>(x * 255 / std::max(1, width - 1));
      row[3 * x + 1] = static_cast<unsigned char>(c.next_scanline * 255 / std::max(1, height - 1));
      row[3 * x + 2] = 128;
    }
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&c, &pointer, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<const char*>(mem), size);
  free(mem);
  return out;
}

std::string MakeHeic(int width, int height) {
  heif_context* ctx = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code != heif_error_Ok) {
    heif_context_free(ctx);
    return std::string();
  }
  heif_encoder_set_lossy_quality(encoder, 80);
  heif_encoder_set_logging_level(encoder, 0);
  heif_image* image = nullptr;
  std::string out;
  if (heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image)
          .code == heif_error_Ok) {
    heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
    int stride = 0;
    uint8_t* p = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint8_t* q = p + static_cast<size_t>(y) * stride + 3 * x;
        q[0] = static_cast<uint8_t>(x * 4);
        q[1] = static_cast<uint8_t>(y * 4);
        q[2] = 200;
      }
    heif_image_handle* handle = nullptr;
    if (heif_context_encode_image(ctx, image, encoder, nullptr, &handle).code == heif_error_Ok) {
      heif_writer writer;
      writer.writer_api_version = 1;
      writer.write = [](heif_context*, const void* data, size_t size, void* user) {
        static_cast<std::string*>(user)->append(static_cast<const char*>(data), size);
        heif_error ok = {heif_error_Ok, heif_suberror_Unspecified, ""};
        return ok;
      };
      if (heif_context_write(ctx, &writer, &out).code != heif_error_Ok) out.clear();
    }
    heif_image_handle_release(handle);
    heif_image_release(image);
  }
  heif_encoder_release(encoder);
  heif_context_free(ctx);
  return out;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool MakeFolders(const std::string& path) {
  if (path.empty()) return true;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

bool RemoveTree(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return unlink(path.c_str()) == 0;
  return nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

TempFolder::TempFolder() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/phone-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) != nullptr) path_ = name.data();
}

TempFolder::~TempFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

bool WritePhone(const std::string& root, const PhoneOptions& options, PhoneContents* contents,
                std::string* error) {
  *contents = PhoneContents();
  contents->root = root;
  if (!MakeFolders(root)) {
    if (error != nullptr) *error = "cannot make " + root;
    return false;
  }
  Writer w(root, error);
  WriteCameraRoll(&w, contents);
  WritePhotos(&w, options, contents);
  if (options.music_database) {
    WriteMusic(&w, options, contents);
  } else {
    // Media files without a library that names them are no list's items.
    w.Put("/iTunes_Control/Music/F00/AURO.mp3", Filler(5120, 1));
    contents->unlisted_paths.push_back("/iTunes_Control/Music/F00/AURO.mp3");
  }
  WriteRingtones(&w, options, contents);
  WriteBooks(&w, options, contents);
  if (options.recordings) WriteMemos(&w, contents);
  return !w.failed();
}

}  // namespace testsupport
