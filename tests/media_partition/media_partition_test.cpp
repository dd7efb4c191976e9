#include "media_partition.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <set>

#include "phone_fixture.h"
#include "plist_read.h"
#include "posix_transport.h"

namespace testsupport {

bool operator==(const PhoneTrack& a, const PhoneTrack& b) {
  return a.title == b.title && a.artist == b.artist && a.album == b.album && a.genre == b.genre &&
         a.path == b.path && a.size == b.size && a.time_ms == b.time_ms;
}
void PrintTo(const PhoneTrack& t, std::ostream* os) {
  *os << "{" << t.title << " | " << t.artist << " | " << t.album << " | " << t.genre << " | "
      << t.path << " | " << t.size << " | " << t.time_ms << "}";
}
bool operator==(const PhoneMemo& a, const PhoneMemo& b) {
  return a.name == b.name && a.title == b.title && a.path == b.path && a.size == b.size &&
         a.time_ms == b.time_ms;
}
void PrintTo(const PhoneMemo& m, std::ostream* os) {
  *os << "{" << m.name << " | " << m.title << " | " << m.path << " | " << m.size << " | "
      << m.time_ms << "}";
}
template <typename Item>
bool operator==(const PhoneGroup<Item>& a, const PhoneGroup<Item>& b) {
  return a.name == b.name && a.items == b.items;
}
template <typename Item>
void PrintTo(const PhoneGroup<Item>& g, std::ostream* os) {
  *os << g.name << ": " << ::testing::PrintToString(g.items);
}

}  // namespace testsupport

namespace {

using makerlib::MediaLists;
using makerlib::PosixTransport;
using makerlib::ReadMediaPartition;
using makerlib::RemoteEntry;
using makerlib::RemoteFile;
using makerlib::Transport;
using makerlib::TransportStatus;
using testsupport::PhoneContents;
using testsupport::PhoneGroup;
using testsupport::PhoneMemo;
using testsupport::PhoneOptions;
using testsupport::PhonePicture;
using testsupport::PhoneTrack;
using testsupport::TempFolder;
using testsupport::Keys;
using testsupport::Num;
using testsupport::Str;
using testsupport::WriteBytes;

// ---- reading the records back -------------------------------------------------

std::string DateText(int64_t seconds) {  // the tests run in UTC
  const time_t t = static_cast<time_t>(seconds);
  struct tm utc;
  gmtime_r(&t, &utc);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
  return text;
}

// The items of a flat list, checked for its shape.
std::vector<plist_t> FlatItems(plist_t list) {
  std::vector<plist_t> out;
  EXPECT_TRUE(list != nullptr && plist_get_node_type(list) == PLIST_DICT);
  if (list == nullptr || plist_get_node_type(list) != PLIST_DICT) return out;
  EXPECT_EQ((std::set<std::string>{"item", "number"}), Keys(list));
  plist_t items = plist_dict_get_item(list, "item");
  EXPECT_TRUE(items != nullptr && plist_get_node_type(items) == PLIST_ARRAY);
  if (items == nullptr) return out;
  EXPECT_EQ(plist_array_get_size(items), Num(list, "number"));
  for (uint32_t i = 0; i < plist_array_get_size(items); ++i) out.push_back(plist_array_get_item(items, i));
  return out;
}

PhoneTrack TrackOf(plist_t item) {
  EXPECT_EQ((std::set<std::string>{"title", "time", "size", "genre", "artist", "album", "path"}), Keys(item));
  PhoneTrack t;
  t.title = Str(item, "title");
  t.time_ms = Num(item, "time");
  t.size = Num(item, "size");
  t.genre = Str(item, "genre");
  t.artist = Str(item, "artist");
  t.album = Str(item, "album");
  t.path = Str(item, "path");
  return t;
}

std::vector<PhoneTrack> Tracks(plist_t list) {
  std::vector<PhoneTrack> out;
  for (plist_t item : FlatItems(list)) out.push_back(TrackOf(item));
  return out;
}

// Pictures as "path size time" lines.
std::vector<std::string> Pictures(plist_t list) {
  std::vector<std::string> out;
  for (plist_t item : FlatItems(list)) {
    EXPECT_EQ((std::set<std::string>{"path", "time", "size"}), Keys(item));
    out.push_back(Str(item, "path") + " " + std::to_string(Num(item, "size")) + " " + Str(item, "time"));
  }
  return out;
}

std::vector<std::string> Expected(const std::vector<PhonePicture>& pictures) {
  std::vector<std::string> out;
  for (const PhonePicture& p : pictures)
    out.push_back(p.path + " " + std::to_string(p.size) + " " + DateText(p.time));
  return out;
}

std::vector<PhoneMemo> Memos(plist_t list) {
  std::vector<PhoneMemo> out;
  for (plist_t item : FlatItems(list)) {
    EXPECT_EQ((std::set<std::string>{"name", "title", "time", "size", "path"}), Keys(item));
    out.push_back({Str(item, "name"), Str(item, "title"), Str(item, "path"), Num(item, "size"), Num(item, "time")});
  }
  return out;
}

template <typename Item, typename Convert>
std::vector<PhoneGroup<Item>> Groups(plist_t list, const char* name_key, Convert convert) {
  std::vector<PhoneGroup<Item>> out;
  EXPECT_TRUE(list != nullptr && plist_get_node_type(list) == PLIST_ARRAY);
  if (list == nullptr || plist_get_node_type(list) != PLIST_ARRAY) return out;
  for (uint32_t i = 0; i < plist_array_get_size(list); ++i) {
    plist_t group = plist_array_get_item(list, i);
    EXPECT_EQ((std::set<std::string>{name_key, "number", "item"}), Keys(group));
    PhoneGroup<Item> g;
    g.name = Str(group, name_key);
    plist_t items = plist_dict_get_item(group, "item");
    EXPECT_EQ(plist_array_get_size(items), Num(group, "number"));
    for (uint32_t k = 0; k < plist_array_get_size(items); ++k) g.items.push_back(convert(plist_array_get_item(items, k)));
    out.push_back(g);
  }
  return out;
}

std::vector<PhoneGroup<PhoneTrack>> Playlists(plist_t list) {
  return Groups<PhoneTrack>(list, "name", TrackOf);
}

// Books as "title | artist | genre | path" lines per catalog.
std::vector<PhoneGroup<std::string>> Books(plist_t list) {
  return Groups<std::string>(list, "catalog", [](plist_t item) {
    EXPECT_EQ((std::set<std::string>{"title", "genre", "artist", "album", "path"}), Keys(item));
    EXPECT_EQ("", Str(item, "album"));
    return Str(item, "title") + " | " + Str(item, "artist") + " | " + Str(item, "genre") + " | " + Str(item, "path");
  });
}

std::vector<PhoneGroup<std::string>> Expected(const std::vector<PhoneGroup<testsupport::PhoneBook>>& books) {
  std::vector<PhoneGroup<std::string>> out;
  for (const auto& group : books) {
    PhoneGroup<std::string> g{group.name, {}};
    for (const auto& b : group.items) g.items.push_back(b.title + " | " + b.artist + " | " + b.genre + " | " + b.path);
    out.push_back(g);
  }
  return out;
}

// Every "path" string anywhere below a node.
void CollectPaths(plist_t node, std::vector<std::string>* paths) {
  if (node == nullptr) return;
  if (plist_get_node_type(node) == PLIST_ARRAY) {
    for (uint32_t i = 0; i < plist_array_get_size(node); ++i) CollectPaths(plist_array_get_item(node, i), paths);
  } else if (plist_get_node_type(node) == PLIST_DICT) {
    for (const std::string& key : Keys(node)) {
      plist_t value = plist_dict_get_item(node, key.c_str());
      if (key == "path" && plist_get_node_type(value) == PLIST_STRING) {
        char* text = nullptr;
        plist_get_string_val(value, &text);
        paths->push_back(text);
        free(text);
      } else {
        CollectPaths(value, paths);
      }
    }
  }
}

std::string Slurp(const std::string& path) {
  std::string bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  fclose(f);
  return bytes;
}

bool HasUpComponent(const std::string& path) {
  return path == ".." || path.find("/../") != std::string::npos || path.compare(0, 3, "../") == 0 ||
         (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0);
}

// ---- transports that misbehave ----------------------------------------------------

class Wrapper : public Transport {
 public:
  explicit Wrapper(Transport* inner) : inner_(inner) {}
  TransportStatus List(const std::string& p, std::vector<std::string>* names) override {
    return inner_->List(p, names);
  }
  TransportStatus Stat(const std::string& p, RemoteEntry* entry) override { return inner_->Stat(p, entry); }
  TransportStatus Open(const std::string& p, std::unique_ptr<RemoteFile>* file) override {
    return inner_->Open(p, file);
  }

 protected:
  Transport* inner_;
};

// Gives fixed file times: birth and modification as set here (a negative
// birth keeps the file's modification time and hides its birth).
class FileTimes : public Wrapper {
 public:
  FileTimes(Transport* inner, int64_t birth, int64_t modify = -1)
      : Wrapper(inner), birth_(birth), modify_(modify) {}
  TransportStatus Stat(const std::string& p, RemoteEntry* entry) override {
    const TransportStatus status = inner_->Stat(p, entry);
    entry->birth_time = birth_ < 0 ? 0 : birth_;
    if (modify_ >= 0) entry->modify_time = modify_;
    return status;
  }

 private:
  int64_t birth_, modify_;
};

// Counts calls; from call number gone_at on, the device is away.
class Vanishing : public Wrapper {
 public:
  Vanishing(Transport* inner, uint64_t gone_at) : Wrapper(inner), gone_at_(gone_at) {}
  uint64_t calls = 0, calls_after_gone = 0;

  TransportStatus List(const std::string& p, std::vector<std::string>* names) override {
    return Gone() ? TransportStatus::kGone : inner_->List(p, names);
  }
  TransportStatus Stat(const std::string& p, RemoteEntry* entry) override {
    return Gone() ? TransportStatus::kGone : inner_->Stat(p, entry);
  }
  TransportStatus Open(const std::string& p, std::unique_ptr<RemoteFile>* file) override {
    return Gone() ? TransportStatus::kGone : inner_->Open(p, file);
  }

 private:
  bool Gone() {
    if (calls > gone_at_) ++calls_after_gone;
    return calls++ >= gone_at_;
  }
  uint64_t gone_at_;
};

// Refuses everything below a folder, as a phone does that keeps it private.
class Refusing : public Wrapper {
 public:
  Refusing(Transport* inner, std::string folder) : Wrapper(inner), folder_(std::move(folder)) {}
  TransportStatus List(const std::string& p, std::vector<std::string>* names) override {
    return Private(p) ? TransportStatus::kFailed : inner_->List(p, names);
  }
  TransportStatus Stat(const std::string& p, RemoteEntry* entry) override {
    return Private(p) ? TransportStatus::kFailed : inner_->Stat(p, entry);
  }
  TransportStatus Open(const std::string& p, std::unique_ptr<RemoteFile>* file) override {
    return Private(p) ? TransportStatus::kFailed : inner_->Open(p, file);
  }

 private:
  bool Private(const std::string& p) const { return p.compare(0, folder_.size(), folder_) == 0; }
  std::string folder_;
};

// ---- the tests ------------------------------------------------------------------

class MediaPartitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    ASSERT_FALSE(temp_.path().empty());
    work_ = temp_.path() + "/work";
    ASSERT_TRUE(testsupport::MakeFolders(work_));
  }

  // Writes a phone into a fresh folder.
  bool Phone(const PhoneOptions& options, PhoneContents* contents) {
    const std::string root = temp_.path() + "/phone" + std::to_string(phones_++);
    std::string error;
    const bool ok = testsupport::WritePhone(root, options, contents, &error);
    EXPECT_TRUE(ok) << error;
    return ok;
  }

  // Reads with the files' modification times standing for their birth.
  TransportStatus Read(Transport* transport, MediaLists* lists) {
    FileTimes times(transport, -1);
    return ReadMediaPartition(&times, work_, lists);
  }

  void ExpectMusicLibrary(const MediaLists& lists, const PhoneContents& c) {
    struct Flat {
      makerlib::MediaListKind kind;
      const std::vector<PhoneTrack>* expected;
      const char* name;
    };
    for (const Flat& f : {Flat{makerlib::kMusicList, &c.music, "music"},
                          Flat{makerlib::kMovieList, &c.movies, "movies"},
                          Flat{makerlib::kTVShowList, &c.tv_shows, "TV shows"},
                          Flat{makerlib::kPodcastList, &c.podcasts, "podcasts"},
                          Flat{makerlib::kAudiobookList, &c.audiobooks, "audiobooks"}}) {
      SCOPED_TRACE(f.name);
      EXPECT_EQ(*f.expected, Tracks(lists.list[f.kind]));
    }
    EXPECT_EQ(c.playlists, Playlists(lists.list[makerlib::kPlaylistList]));
  }

  TempFolder temp_;
  std::string work_;
  int phones_ = 0;
};

TEST_F(MediaPartitionTest, ReadsEveryListOfAPhone) {
  PhoneContents c;
  ASSERT_TRUE(Phone(PhoneOptions(), &c));
  PosixTransport transport(c.root);
  MediaLists lists;
  ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));

  ExpectMusicLibrary(lists, c);
  EXPECT_EQ(Expected(c.camera_roll), Pictures(lists.list[makerlib::kCameraRollList]));
  EXPECT_EQ(Expected(c.photos), Pictures(lists.list[makerlib::kPhotoList]));
  EXPECT_EQ(c.ringtones, Tracks(lists.list[makerlib::kRingtoneList]));
  EXPECT_EQ(Expected(c.books), Books(lists.list[makerlib::kBookList]));
  EXPECT_EQ(c.voice_memos, Memos(lists.list[makerlib::kVoiceMemoList]));

  // What the fixture is about, spelled out once.
  EXPECT_EQ(7u, c.camera_roll.size());
  ASSERT_EQ(3u, c.photos.size());
  EXPECT_EQ("2018-01-02 03:04:05", DateText(c.photos[1].time));
  ASSERT_EQ(2u, c.playlists.size());
  EXPECT_EQ("Road Trip", c.playlists[1].name);
  ASSERT_EQ(3u, c.playlists[1].items.size());
  EXPECT_EQ("Zebra Crossing", c.playlists[1].items[0].title);
  EXPECT_EQ("Episode 13 (Video)", c.podcasts.at(1).title);

  std::vector<std::string> paths;
  for (plist_t list : lists.list) CollectPaths(list, &paths);
  for (const std::string& unlisted : c.unlisted_paths)
    EXPECT_EQ(0, std::count(paths.begin(), paths.end(), unlisted)) << unlisted;

  // The copies of the databases do not outlive the read.
  DIR* dir = opendir(work_.c_str());
  ASSERT_NE(nullptr, dir);
  int entries = 0;
  while (struct dirent* e = readdir(dir)) entries += strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0;
  closedir(dir);
  EXPECT_EQ(0, entries);
}

TEST_F(MediaPartitionTest, SeesTheRowsStillInTheLog) {
  PhoneContents c;
  ASSERT_TRUE(Phone(PhoneOptions(), &c));
  const std::string db = c.root + c.music_database;
  ASSERT_EQ((std::vector<std::string>{"blue Hour", "Zebra Crossing"}), c.wal_only_titles);

  // The main file alone does not have them.
  const std::string alone = temp_.path() + "/alone.sqlitedb";
  {
    ASSERT_TRUE(WriteBytes(alone, Slurp(db)));
    sqlite3* handle = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(alone.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr));
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(handle,
                                            "SELECT count(*) FROM item_extra WHERE title IN "
                                            "('Zebra Crossing', 'blue Hour')",
                                            -1, &stmt, nullptr));
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(stmt));
    EXPECT_EQ(0, sqlite3_column_int(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(handle);
  }

  // With the log's index as the device left it, without one, and with a
  // broken one.
  struct Case {
    const char* name;
    std::function<void()> change;
  };
  // The index taken a moment after the log, when the phone had written more:
  // it names frames the copied log does not have.
  auto index_ahead = [&] {
    const std::string log = Slurp(db + "-wal");
    sqlite3* handle = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr));
    sqlite3_exec(handle, "PRAGMA wal_autocheckpoint=0", nullptr, nullptr, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    for (int i = 0; i < 20; ++i)
      ASSERT_EQ(SQLITE_OK, sqlite3_exec(handle, "INSERT INTO genre (genre) VALUES (hex(randomblob(900)))",
                                        nullptr, nullptr, nullptr));
    sqlite3_close(handle);
    ASSERT_GT(Slurp(db + "-wal").size(), log.size());
    ASSERT_TRUE(WriteBytes(db + "-wal", log));
  };
  const Case cases[] = {
      {"as left", [] {}},
      {"index ahead of the log", index_ahead},
      {"broken index", [&] { ASSERT_TRUE(WriteBytes(db + "-shm", std::string(32768, '\x5A'))); }},
      {"no index", [&] { ASSERT_EQ(0, unlink((db + "-shm").c_str())); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    k.change();
    PosixTransport transport(c.root);
    MediaLists lists;
    ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));
    ExpectMusicLibrary(lists, c);
  }
}

TEST_F(MediaPartitionTest, FollowsTheSchemaOfOtherVersions) {
  struct Case {
    const char* name;
    PhoneOptions options;
  };
  auto with = [](std::function<void(PhoneOptions*)> change) {
    PhoneOptions options;
    change(&options);
    return options;
  };
  const Case cases[] = {
      {"older layout", with([](PhoneOptions* o) { o->old_music_schema = true; })},
      {"older layout without members",
       with([](PhoneOptions* o) {
         o->old_music_schema = true;
         o->drop_music_tables = {"container_item"};
       })},
      {"no artist, album and genre tables",
       with([](PhoneOptions* o) { o->drop_music_tables = {"item_artist", "album", "genre"}; })},
      {"no item_extra", with([](PhoneOptions* o) { o->drop_music_tables = {"item_extra"}; })},
      {"no base locations", with([](PhoneOptions* o) { o->drop_music_tables = {"base_location"}; })},
      {"no items", with([](PhoneOptions* o) { o->drop_music_tables = {"item", "item_extra"}; })},
      {"no playlists", with([](PhoneOptions* o) { o->drop_music_tables = {"container"}; })},
      {"no playlist members", with([](PhoneOptions* o) { o->drop_music_tables = {"container_items"}; })},
      {"no library at all", with([](PhoneOptions* o) { o->music_database = false; })},
      {"older photo library", with([](PhoneOptions* o) { o->old_photos_schema = true; })},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    PhoneContents c;
    ASSERT_TRUE(Phone(k.options, &c));
    PosixTransport transport(c.root);
    MediaLists lists;
    ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));
    ExpectMusicLibrary(lists, c);
    EXPECT_EQ(Expected(c.photos), Pictures(lists.list[makerlib::kPhotoList]));
    EXPECT_EQ(Expected(c.camera_roll), Pictures(lists.list[makerlib::kCameraRollList]));
  }
}

TEST_F(MediaPartitionTest, ListsTheDeviceDoesNotHaveStayNull) {
  struct Case {
    const char* name;
    PhoneOptions options;
    std::function<void(const PhoneContents&)> change;
    const char* refused;  // a folder the device keeps to itself
    bool photos, memos;
  };
  PhoneOptions no_photos, no_recordings;
  no_photos.photos_database = false;
  no_recordings.recordings = false;
  PhoneOptions no_asset_table;
  no_asset_table.photos_sql = "DROP TABLE ZASSET";
  const Case cases[] = {
      {"no photo library", no_photos, nullptr, nullptr, false, true},
      {"photo library without assets", no_asset_table, nullptr, nullptr, false, true},
      {"photo library not a database",
       PhoneOptions(),
       [](const PhoneContents& c) {
         unlink((c.root + c.photos_database + "-wal").c_str());
         unlink((c.root + c.photos_database + "-shm").c_str());
         ASSERT_TRUE(WriteBytes(c.root + c.photos_database, std::string(4096, 'x')));
       },
       nullptr, false, true},
      {"no Recordings folder", no_recordings, nullptr, nullptr, true, false},
      {"Recordings not reachable", PhoneOptions(), nullptr, "/Recordings", true, false},
      {"photo data not reachable", PhoneOptions(), nullptr, "/PhotoData", false, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    PhoneContents c;
    ASSERT_TRUE(Phone(k.options, &c));
    if (k.change) k.change(c);
    PosixTransport posix(c.root);
    Refusing transport(&posix, k.refused != nullptr ? k.refused : "/none-such");
    MediaLists lists;
    ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));
    EXPECT_EQ(k.photos, lists.list[makerlib::kPhotoList] != nullptr);
    EXPECT_EQ(k.memos, lists.list[makerlib::kVoiceMemoList] != nullptr);
    // The rest is read as usual.
    EXPECT_EQ(c.music, Tracks(lists.list[makerlib::kMusicList]));
    EXPECT_EQ(Expected(c.camera_roll), Pictures(lists.list[makerlib::kCameraRollList]));
  }

  // An empty Recordings folder is an empty list, not a missing one.
  PhoneContents c;
  ASSERT_TRUE(Phone(no_recordings, &c));
  ASSERT_TRUE(testsupport::MakeFolders(c.root + "/Recordings"));
  PosixTransport transport(c.root);
  MediaLists lists;
  ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));
  EXPECT_TRUE(Memos(lists.list[makerlib::kVoiceMemoList]).empty());
}

TEST_F(MediaPartitionTest, TakesMemoLengthsFromTheMovieBox) {
  PhoneOptions options;
  options.recordings = false;
  PhoneContents c;
  ASSERT_TRUE(Phone(options, &c));
  using testsupport::Mp4Layout;
  struct Case {
    const char* file;
    std::string bytes;
    uint64_t time_ms;
    const char* name;
  };
  auto mp4 = [](std::function<void(Mp4Layout*)> change) {
    Mp4Layout layout;
    layout.duration = 44100 * 3;
    change(&layout);
    return testsupport::MakeMp4(layout);
  };
  const std::string plain = mp4([](Mp4Layout*) {});
  const Case cases[] = {
      {"a.m4a", plain, 3000, "a"},
      {"b.M4A", mp4([](Mp4Layout* s) { s->title = "Kitchen"; }), 3000, "Kitchen"},
      {"c.m4a", mp4([](Mp4Layout* s) { s->version1 = true; s->movie_box_last = true; s->timescale = 1000; s->duration = 123456; }), 123456, "c"},
      // The movie box lies beyond what is worth reading to find it.
      {"d.m4a", mp4([](Mp4Layout* s) { s->movie_box_last = true; s->media_bytes = 9 << 20; }), 0, "d"},
      {"e.m4a", mp4([](Mp4Layout* s) { s->timescale = 0; }), 0, "e"},
      {"f.m4a", plain.substr(0, 60), 0, "f"},  // cut inside the movie box
      // A 64-bit box size before the movie box.
      {"g.m4a", std::string("\0\0\0\x01" "free", 8) + std::string("\0\0\0\0\0\0\0\x18", 8) +
                    std::string(8, '\0') + plain, 3000, "g"},
      {"h.m4a", "", 0, "h"},
  };
  std::vector<PhoneMemo> expected;
  for (const Case& k : cases) {
    ASSERT_TRUE(testsupport::MakeFolders(c.root + "/Recordings"));
    ASSERT_TRUE(WriteBytes(c.root + "/Recordings/" + k.file, k.bytes));
    const std::string stem = std::string(k.file).substr(0, 1);
    expected.push_back({k.name, stem, "/Recordings/" + std::string(k.file), k.bytes.size(), k.time_ms});
  }
  PosixTransport transport(c.root);
  MediaLists lists;
  ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));
  EXPECT_EQ(expected, Memos(lists.list[makerlib::kVoiceMemoList]));
}

TEST_F(MediaPartitionTest, PrefersTheBirthTimeOfCameraRollFiles) {
  PhoneContents c;
  ASSERT_TRUE(Phone(PhoneOptions(), &c));
  PosixTransport posix(c.root);
  struct Case {
    int64_t birth, modify;
    const char* text;
  };
  for (const Case& k : {Case{1500000000, 1600000000, "2017-07-14 02:40:00"},
                        Case{0, 1600000000, "2020-09-13 12:26:40"}, Case{0, 0, ""}}) {
    SCOPED_TRACE(k.text);
    FileTimes transport(&posix, k.birth, k.modify);
    MediaLists lists;
    ASSERT_EQ(TransportStatus::kOk, ReadMediaPartition(&transport, work_, &lists));
    const std::vector<std::string> pictures = Pictures(lists.list[makerlib::kCameraRollList]);
    ASSERT_EQ(c.camera_roll.size(), pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i)
      EXPECT_EQ(c.camera_roll[i].path + " " + std::to_string(c.camera_roll[i].size) + " " + k.text, pictures[i]);
    // A photo library date wins over the file's.
    const std::vector<std::string> photos = Pictures(lists.list[makerlib::kPhotoList]);
    ASSERT_EQ(3u, photos.size());
    EXPECT_EQ(c.photos[0].path + " " + std::to_string(c.photos[0].size) + " " + k.text, photos[0]);
    EXPECT_EQ(Expected({c.photos[2]})[0], photos[2]);
  }
}

TEST_F(MediaPartitionTest, WithstandsHostileContent) {
  PhoneOptions options;
  options.music_sql =
      "INSERT INTO base_location VALUES (50, 'iTunes_Control/../../..');"
      "INSERT INTO base_location VALUES (51, '/iTunes_Control//Music/./F00/');"
      "INSERT INTO item VALUES (900, 8, 50, 1, 1, 1, 1);"
      "INSERT INTO item_extra VALUES (900, 'Up Base', '', 'X.mp3', 1, 1, 0);"
      "INSERT INTO item VALUES (901, 8, 1, 1, 1, 1, 1);"
      "INSERT INTO item_extra VALUES (901, 'Up Location', '', '../../../etc/passwd', 1, 1, 0);"
      "INSERT INTO item VALUES (902, 8, 51, 999, 999, 999, 1);"
      "INSERT INTO item_extra VALUES (902, 'Odd' || char(0) || 'Tail', '', 'ODD.mp3', -5, 'long', 0);"
      "INSERT INTO item VALUES (903, 8, 1, 1, 1, 1, 1);"
      "INSERT INTO item_extra VALUES (903, CAST(X'FF41C0' AS TEXT), '', 'INV.mp3', 1, 1, 0);"
      "INSERT INTO item VALUES (906, 8, 1, 1, 1, 1, 1);"
      "INSERT INTO item_extra VALUES (906, 'Nul Path', '', 'N' || char(0) || 'UL.mp3', 1, 1, 0);"
      "INSERT INTO item VALUES (904, 8, 1, 1, 1, 1, 1);"
      "INSERT INTO item_extra VALUES (904, CAST(X'41FF42' AS TEXT), '', 'BAD.mp3', 7, 9, 0);"
      "INSERT INTO item VALUES (905, 'eight', 1, 1, 1, 1, 1);"
      "INSERT INTO item_extra VALUES (905, 'Text Type', '', 'TXT.mp3', 1, 1, 0);"
      "INSERT INTO container VALUES (200, NULL, 0, 0, NULL, 0, 0);"
      "INSERT INTO container_items VALUES (200, 901, 0);"
      "INSERT INTO container_items VALUES (200, 902, 1);";
  options.photos_sql =
      "INSERT INTO ZASSET VALUES (20, 3, 0, 0, 1e300, 'PhotoData/../../..', 'etc');"
      "INSERT INTO ZASSET VALUES (21, 3, 0, 0, 'soon', NULL, NULL);"
      "INSERT INTO ZASSET VALUES (22, 3, 0, 0, 1e300, 'PhotoData/Sync/100SYNCD', 'IMG_5001.JPG');"
      "INSERT INTO ZASSET VALUES (23, 3, 0, 0, 1, '/dcim/100APPLE', 'IMG_0002.HEIC');";
  PhoneContents c;
  ASSERT_TRUE(Phone(options, &c));
  // An absolute path in a book list stays inside the book folder.
  ASSERT_TRUE(WriteBytes(c.root + "/secret", "secret"));
  ASSERT_TRUE(WriteBytes(c.root + "/Books/secret", "inside"));
  // Odd types and escapes in the property lists.
  ASSERT_TRUE(WriteBytes(c.root + "/iTunes_Control/iTunes/Ringtones.plist",
                        "<plist><dict><key>Ringtones</key><dict>"
                        "<key>ABCD.m4r</key><dict><key>Name</key><integer>5</integer>"
                        "<key>Total Time</key><string>long</string></dict>"
                        "<key>IJKL.M4R</key><array/>"
                        "<key>EFGH.m4r</key><dict><key>Name</key><string>Bell</string>"
                        "<key>Total Time</key><integer>-40</integer></dict>"
                        "</dict></dict></plist>"));
  ASSERT_TRUE(WriteBytes(c.root + "/Books/Books.plist",
                        "<plist><dict><key>Books</key><array>"
                        "<dict><key>Name</key><string>Escape</string><key>Path</key><string>../secret</string></dict>"
                        "<dict><key>Name</key><string>Absolute</string><key>Path</key><string>/secret</string></dict>"
                        "<dict><key>Name</key><data>AAEC</data><key>Path</key><string>manual.pdf</string>"
                        "<key>Artist</key><array/></dict>"
                        "<dict><key>Path</key><integer>3</integer></dict>"
                        "<string>not a book</string>"
                        "</array></dict></plist>"));
  ASSERT_TRUE(WriteBytes(c.root + "/Books/Purchases/Purchases.plist", "<plist><array><true/></array></plist>"));

  PosixTransport transport(c.root);
  MediaLists lists;
  ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));

  std::vector<std::string> paths;
  for (plist_t list : lists.list) CollectPaths(list, &paths);
  for (const std::string& path : paths) {
    EXPECT_FALSE(HasUpComponent(path)) << path;
    EXPECT_EQ('/', path.at(0)) << path;
  }
  std::map<std::string, PhoneTrack> music;
  for (const PhoneTrack& t : Tracks(lists.list[makerlib::kMusicList])) music[t.path] = t;
  EXPECT_EQ(c.music.size() + 3, music.size());
  const PhoneTrack odd = music["/iTunes_Control/Music/F00/ODD.mp3"];
  EXPECT_EQ("Odd", odd.title);  // cut at the NUL
  EXPECT_EQ(0u, odd.size);
  EXPECT_EQ(0u, odd.time_ms);
  EXPECT_EQ("", odd.artist);
  EXPECT_EQ("\xEF\xBF\xBD" "A" "\xEF\xBF\xBD", music["/iTunes_Control/Music/F00/INV.mp3"].title);
  EXPECT_EQ("A\xEF\xBF\xBD" "B", music["/iTunes_Control/Music/F00/BAD.mp3"].title);
  // A type that is no number classifies as nothing.
  EXPECT_EQ(0u, music.count("/iTunes_Control/Music/F00/TXT.mp3"));
  auto playlists = Playlists(lists.list[makerlib::kPlaylistList]);
  ASSERT_EQ(3u, playlists.size());
  EXPECT_EQ("", playlists[0].name);
  ASSERT_EQ(1u, playlists[0].items.size());
  EXPECT_EQ("Odd", playlists[0].items[0].title);

  // The photo with an absurd date keeps the file's; the DCIM one, even in
  // lower case, stays the camera roll's.
  const std::vector<std::string> photos = Pictures(lists.list[makerlib::kPhotoList]);
  ASSERT_EQ(4u, photos.size());
  EXPECT_EQ("/PhotoData/Sync/100SYNCD/IMG_5001.JPG", photos[3].substr(0, photos[3].find(' ')));

  std::vector<PhoneTrack> tones = c.ringtones;
  tones[0].title = "ABCD";
  tones[0].time_ms = 0;
  tones[1].title = "Bell";
  tones[1].time_ms = 0;
  tones[2].title = "IJKL";
  tones[2].time_ms = 0;
  EXPECT_EQ(tones, Tracks(lists.list[makerlib::kRingtoneList]));
  const auto books = Books(lists.list[makerlib::kBookList]);
  ASSERT_EQ(2u, books.size());
  EXPECT_EQ((std::vector<std::string>{"Absolute |  |  | /Books/secret", "manual |  |  | /Books/manual.pdf"}),
            books[0].items);
  EXPECT_EQ("Purchases", books[1].name);
  EXPECT_TRUE(books[1].items.empty());
}

// Writes a binary property list of nested arrays: object i refers to the
// next ones (one child: a chain; two: every level doubles the walk).
std::string NestedBinaryPlist(uint32_t levels, int children) {
  std::string objects;
  std::vector<uint32_t> offsets;
  auto be = [](uint64_t v, int width) {
    std::string out(width, '\0');
    for (int i = 0; i < width; ++i) out[i] = static_cast<char>(v >> (8 * (width - 1 - i)));
    return out;
  };
  for (uint32_t i = 0; i < levels; ++i) {
    offsets.push_back(8 + static_cast<uint32_t>(objects.size()));
    if (i + 1 == levels) {
      objects += '\xA0';
      continue;
    }
    objects += static_cast<char>(0xA0 | children);
    for (int k = 0; k < children; ++k) objects += be(i + 1, 4);
  }
  std::string out = "bplist00" + objects;
  const uint64_t table = out.size();
  for (uint32_t offset : offsets) out += be(offset, 4);
  out += std::string(6, '\0') + '\x04' + '\x04' + be(levels, 8) + be(0, 8) + be(table, 8);
  return out;
}

TEST_F(MediaPartitionTest, RefusesPropertyListsTooDeepOrLarge) {
  PhoneContents c;
  ASSERT_TRUE(Phone(PhoneOptions(), &c));
  std::string deep_xml = "<plist>";
  for (int i = 0; i < 1500000; ++i) deep_xml += "<array>";
  struct Case {
    const char* name;
    std::string ringtones;
  };
  const Case cases[] = {
      {"deep XML", deep_xml},
      {"deep binary", NestedBinaryPlist(1000000, 1)},
      {"doubling binary", NestedBinaryPlist(80, 2)},
      {"binary with a broken table", "bplist00" + std::string(64, '\xFF')},
  };
  std::vector<PhoneTrack> stems = c.ringtones;
  for (PhoneTrack& t : stems) {
    t.title = t.path.substr(t.path.rfind('/') + 1, 4);
    t.time_ms = 0;
  }
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ASSERT_TRUE(WriteBytes(c.root + "/iTunes_Control/iTunes/Ringtones.plist", k.ringtones));
    PosixTransport transport(c.root);
    MediaLists lists;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(stems, Tracks(lists.list[makerlib::kRingtoneList]));
  }

  // A book list over the size limit gives no catalog for it.
  std::string huge = "<plist><dict><key>Books</key><array>";
  while (huge.size() < (33u << 20)) huge += "<dict><key>Path</key><string>manual.pdf</string></dict>";
  huge += "</array></dict></plist>";
  ASSERT_TRUE(WriteBytes(c.root + "/Books/Books.plist", huge));
  PosixTransport transport(c.root);
  MediaLists lists;
  ASSERT_EQ(TransportStatus::kOk, Read(&transport, &lists));
  const auto books = Books(lists.list[makerlib::kBookList]);
  ASSERT_EQ(1u, books.size());
  EXPECT_EQ("Purchases", books[0].name);
}

TEST_F(MediaPartitionTest, StopsAtOnceWhenTheDeviceGoes) {
  PhoneContents c;
  ASSERT_TRUE(Phone(PhoneOptions(), &c));
  PosixTransport posix(c.root);
  Vanishing counting(&posix, UINT64_MAX);
  MediaLists lists;
  ASSERT_EQ(TransportStatus::kOk, ReadMediaPartition(&counting, work_, &lists));
  const uint64_t total = counting.calls;
  ASSERT_GT(total, 30u);
  // Wherever the read is when the device goes.
  for (uint64_t at = 0; at < total; ++at) {
    SCOPED_TRACE(at);
    Vanishing transport(&posix, at);
    MediaLists partial;
    ASSERT_EQ(TransportStatus::kGone, ReadMediaPartition(&transport, work_, &partial));
    for (plist_t list : partial.list) EXPECT_EQ(nullptr, list);
    EXPECT_EQ(0u, transport.calls_after_gone);
  }
}

TEST_F(MediaPartitionTest, WorksWithoutAUsableWorkFolder) {
  PhoneContents c;
  ASSERT_TRUE(Phone(PhoneOptions(), &c));
  PosixTransport transport(c.root);
  FileTimes times(&transport, -1);
  MediaLists lists;
  ASSERT_EQ(TransportStatus::kOk, ReadMediaPartition(&times, temp_.path() + "/no-such-folder", &lists));
  EXPECT_EQ(nullptr, lists.list[makerlib::kPhotoList]);
  EXPECT_TRUE(Tracks(lists.list[makerlib::kMusicList]).empty());
  EXPECT_TRUE(Playlists(lists.list[makerlib::kPlaylistList]).empty());
  EXPECT_EQ(Expected(c.camera_roll), Pictures(lists.list[makerlib::kCameraRollList]));
  EXPECT_EQ(c.voice_memos, Memos(lists.list[makerlib::kVoiceMemoList]));
}

TEST_F(MediaPartitionTest, ReadsALargeLibraryQuickly) {
  PhoneOptions options;
  options.extra_songs = 50000;
  PhoneContents c;
  ASSERT_TRUE(Phone(options, &c));
  PosixTransport transport(c.root);
  MediaLists lists;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(TransportStatus::kOk, ReadMediaPartition(&transport, work_, &lists));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  const std::vector<PhoneTrack> music = Tracks(lists.list[makerlib::kMusicList]);
  ASSERT_EQ(c.music.size(), music.size());
  EXPECT_EQ(c.music.front(), music.front());
  EXPECT_EQ(c.music[25000], music[25000]);
  EXPECT_EQ(c.music.back(), music.back());
}

plist_t FlatOf(std::vector<plist_t> items) {
  plist_t array = plist_new_array();
  for (plist_t item : items) plist_array_append_item(array, item);
  plist_t list = plist_new_dict();
  plist_dict_set_item(list, "item", array);
  plist_dict_set_item(list, "number", plist_new_uint(items.size()));
  return list;
}

plist_t Sized(uint64_t size) {
  plist_t item = plist_new_dict();
  plist_dict_set_item(item, "size", plist_new_uint(size));
  return item;
}

TEST(SumMediaUsageTest, AddsEachKindOfMediaOnce) {
  MediaLists lists;
  lists.list[makerlib::kMusicList] = FlatOf({Sized(100), Sized(20)});
  lists.list[makerlib::kPodcastList] = FlatOf({Sized(3)});
  lists.list[makerlib::kAudiobookList] = FlatOf({Sized(4000)});
  lists.list[makerlib::kRingtoneList] = FlatOf({Sized(50000)});
  lists.list[makerlib::kVoiceMemoList] = FlatOf({Sized(600000)});
  lists.list[makerlib::kMovieList] = FlatOf({Sized(7), Sized(70)});
  lists.list[makerlib::kTVShowList] = FlatOf({Sized(700)});
  lists.list[makerlib::kCameraRollList] = FlatOf({Sized(8), Sized(80)});
  // Odd items count as nothing; no photo library is no photos.
  plist_t odd = plist_new_dict();
  plist_dict_set_item(odd, "size", plist_new_string("9"));
  plist_array_append_item(plist_dict_get_item(lists.list[makerlib::kCameraRollList], "item"), odd);
  plist_array_append_item(plist_dict_get_item(lists.list[makerlib::kCameraRollList], "item"), plist_new_string("x"));
  // Playlists repeat songs and books have no size.
  plist_t group = plist_new_dict();
  plist_dict_set_item(group, "item", plist_new_array());
  plist_array_append_item(plist_dict_get_item(group, "item"), Sized(100));
  lists.list[makerlib::kPlaylistList] = plist_new_array();
  plist_array_append_item(lists.list[makerlib::kPlaylistList], group);
  lists.list[makerlib::kBookList] = plist_new_array();

  const makerlib::MediaUsage usage = makerlib::SumMediaUsage(lists);
  EXPECT_EQ(654123u, usage.audio);
  EXPECT_EQ(777u, usage.video);
  EXPECT_EQ(88u, usage.photos);

  const makerlib::MediaUsage none = makerlib::SumMediaUsage(MediaLists());
  EXPECT_EQ(0u, none.audio + none.video + none.photos);
}

TEST_F(MediaPartitionTest, UsageOfAReadPhone) {
  PhoneContents c;
  ASSERT_TRUE(Phone(PhoneOptions(), &c));
  PosixTransport transport(c.root);
  MediaLists lists;
  ASSERT_EQ(TransportStatus::kOk, ReadMediaPartition(&transport, work_, &lists));
  auto sum = [](const auto& items) {
    uint64_t total = 0;
    for (const auto& item : items) total += item.size;
    return total;
  };
  const makerlib::MediaUsage usage = makerlib::SumMediaUsage(lists);
  EXPECT_EQ(sum(c.music) + sum(c.podcasts) + sum(c.audiobooks) + sum(c.ringtones) + sum(c.voice_memos),
            usage.audio);
  EXPECT_EQ(sum(c.movies) + sum(c.tv_shows), usage.video);
  EXPECT_EQ(sum(c.camera_roll) + sum(c.photos), usage.photos);
}

}  // namespace
