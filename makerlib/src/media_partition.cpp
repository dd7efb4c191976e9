#include "media_partition.h"
#include "media_records.h"

#include <errno.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace makerlib {

MediaLists::~MediaLists() {
  for (plist_t& node : list) {
    if (node != nullptr) plist_free(node);
    node = nullptr;
  }
}

namespace {

// ---- text and paths ---------------------------------------------------------

// Valid UTF-8 for display: cut at a NUL, bad sequences become U+FFFD.
std::string DisplayText(const char* data, size_t size) {
  std::string out;
  if (data == nullptr) return out;
  out.reserve(size);
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  size_t i = 0;
  while (i < size && p[i] != 0) {
    const unsigned char c = p[i];
    size_t length = 0;
    uint32_t min = 0;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2;
      min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
      min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4;
      min = 0x10000;
    }
    bool valid = length != 0 && i + length <= size;
    uint32_t code = length != 0 ? c & (0x7F >> length) : 0;
    for (size_t k = 1; valid && k < length; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (p[i + k] & 0x3F);
    }
    if (valid && (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
      valid = false;
    if (valid) {
      out.append(data + i, length);
      i += length;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
  return out;
}

std::string DisplayText(const std::string& text) { return DisplayText(text.data(), text.size()); }

// "/a/b/c" from parts that may hold several components each; false when a
// part would lead up (".."), holds a NUL, or nothing is left.
bool JoinDevicePath(std::initializer_list<std::string_view> parts, std::string* out) {
  std::string path;
  for (std::string_view part : parts) {
    if (part.find('\0') != std::string_view::npos) return false;
    size_t at = 0;
    while (at <= part.size()) {
      const size_t end = std::min(part.find('/', at), part.size());
      const std::string_view piece = part.substr(at, end - at);
      at = end + 1;
      if (piece.empty() || piece == ".") continue;
      if (piece == "..") return false;
      path.push_back('/');
      path.append(piece);
    }
  }
  if (path.empty()) return false;
  *out = std::move(path);
  return true;
}

std::string LowerExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return std::string();
  std::string ext = name.substr(dot + 1);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

std::string Stem(const std::string& name) {
  const size_t slash = name.rfind('/');
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return base;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// "YYYY-MM-DD HH:MM:SS" in local time; empty when unknown.
std::string LocalDateText(int64_t seconds) {
  if (seconds <= 0) return std::string();
  const time_t t = static_cast<time_t>(seconds);
  struct tm local;
  if (localtime_r(&t, &local) == nullptr) return std::string();
  char text[64];
  if (strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) return std::string();
  return text;
}

// ---- property lists from the device ---------------------------------------------

constexpr uint64_t kMaxPlistBytes = 32u << 20;
// The parser recurses once per level and copies a shared object once per
// reference: deeper or larger documents are refused before it sees them.
constexpr size_t kMaxPlistDepth = 256;
constexpr uint64_t kMaxPlistNodes = 4u << 20;

uint64_t BigEndian(const unsigned char* p, size_t size) {
  uint64_t value = 0;
  for (size_t i = 0; i < size; ++i) value = (value << 8) | p[i];
  return value;
}

bool BinaryPlistBounded(const std::string& data) {
  const size_t size = data.size();
  if (size < 8 + 32) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  const unsigned char* trailer = p + size - 32;
  const size_t offset_size = trailer[6];
  const size_t ref_size = trailer[7];
  const uint64_t objects = BigEndian(trailer + 8, 8);
  const uint64_t top = BigEndian(trailer + 16, 8);
  const uint64_t table = BigEndian(trailer + 24, 8);
  if (offset_size == 0 || offset_size > 8 || ref_size == 0 || ref_size > 8 || top >= objects ||
      objects > size || table > size - 32 || objects * offset_size > size - 32 - table)
    return false;
  struct Pending {
    uint64_t index;
    size_t depth;
  };
  std::vector<Pending> stack{{top, 1}};
  uint64_t visited = 0;
  while (!stack.empty()) {
    const Pending at = stack.back();
    stack.pop_back();
    if (at.depth > kMaxPlistDepth || ++visited > kMaxPlistNodes) return false;
    const uint64_t offset = BigEndian(p + table + at.index * offset_size, offset_size);
    if (offset >= table) return false;
    const unsigned char marker = p[offset];
    const unsigned kind = marker >> 4;
    if (kind != 0xA && kind != 0xC && kind != 0xD) continue;
    uint64_t count = marker & 0x0F;
    uint64_t refs_at = offset + 1;
    if (count == 0x0F) {
      if (refs_at >= table || (p[refs_at] >> 4) != 0x1) return false;
      const size_t width = size_t{1} << (p[refs_at] & 0x0F);
      if (width > 8 || refs_at + 1 + width > table) return false;
      count = BigEndian(p + refs_at + 1, width);
      refs_at += 1 + width;
    }
    const uint64_t refs = kind == 0xD ? count * 2 : count;
    if (count > size || refs * ref_size > table - refs_at ||
        visited + stack.size() + refs > kMaxPlistNodes)
      return false;
    for (uint64_t i = 0; i < refs; ++i) {
      const uint64_t child = BigEndian(p + refs_at + i * ref_size, ref_size);
      if (child >= objects) return false;
      stack.push_back({child, at.depth + 1});
    }
  }
  return true;
}

bool XmlPlistBounded(const std::string& data) {
  size_t depth = 0;
  for (size_t at = data.find('<'); at != std::string::npos; at = data.find('<', at + 1)) {
    const std::string_view rest(data.data() + at + 1, data.size() - at - 1);
    const bool closing = !rest.empty() && rest[0] == '/';
    const std::string_view name = closing ? rest.substr(1) : rest;
    size_t length = 0;
    if (name.compare(0, 5, "array") == 0)
      length = 5;
    else if (name.compare(0, 4, "dict") == 0)
      length = 4;
    else
      continue;
    if (name.size() > length && name[length] != '>' && name[length] != '/' &&
        name[length] != ' ' && name[length] != '\t' && name[length] != '\r' &&
        name[length] != '\n')
      continue;
    if (closing) {
      if (depth > 0) --depth;
      continue;
    }
    const size_t close = name.find('>');
    if (close != std::string_view::npos && close > 0 && name[close - 1] == '/') continue;
    if (++depth > kMaxPlistDepth) return false;
  }
  return true;
}

// A parsed document, or null when it is none or is too deep or large.
PlistHolder ParseDocument(const std::string& data) {
  if (data.empty() || data.size() > kMaxPlistBytes) return nullptr;
  const bool binary = data.compare(0, 6, "bplist") == 0;
  if (binary ? !BinaryPlistBounded(data) : !XmlPlistBounded(data)) return nullptr;
  plist_t root = nullptr;
  plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &root);
  return PlistHolder(root);
}

std::string StringValue(plist_t node) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return std::string();
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string text = value != nullptr ? DisplayText(value, strlen(value)) : std::string();
  free(value);
  return text;
}

// Raw bytes of a string node, for names of files.
bool RawString(plist_t node, std::string* out) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return false;
  char* value = nullptr;
  plist_get_string_val(node, &value);
  if (value == nullptr) return false;
  out->assign(value);
  free(value);
  return true;
}

uint64_t UintValue(plist_t node) {
  if (node == nullptr) return 0;
  if (plist_get_node_type(node) == PLIST_UINT) {
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    // Negative numbers come back as their two's complement.
    return value > (uint64_t{1} << 62) ? 0 : value;
  }
  if (plist_get_node_type(node) == PLIST_REAL) {
    double value = 0;
    plist_get_real_val(node, &value);
    return std::isfinite(value) && value > 0 && value < 1e18 ? static_cast<uint64_t>(value) : 0;
  }
  return 0;
}

plist_t DictItem(plist_t dict, const char* key) {
  if (dict == nullptr || plist_get_node_type(dict) != PLIST_DICT) return nullptr;
  return plist_dict_get_item(dict, key);
}

// ---- the transport, watched for a device that went away -------------------------

class Device {
 public:
  explicit Device(Transport* transport) : transport_(transport) {}

  bool gone() const { return gone_; }

  TransportStatus List(const std::string& path, std::vector<std::string>* names) {
    if (gone_) return TransportStatus::kGone;
    return Note(transport_->List(path, names));
  }
  TransportStatus Stat(const std::string& path, RemoteEntry* entry) {
    if (gone_) return TransportStatus::kGone;
    return Note(transport_->Stat(path, entry));
  }
  TransportStatus Open(const std::string& path, std::unique_ptr<RemoteFile>* file) {
    if (gone_) return TransportStatus::kGone;
    return Note(transport_->Open(path, file));
  }
  TransportStatus ReadFile(const std::string& path, std::string* text, uint64_t max_bytes) {
    if (gone_) return TransportStatus::kGone;
    return Note(ReadRemoteFile(transport_, path, text, max_bytes));
  }

  // The names in a folder, sorted; empty when it cannot be listed.
  std::vector<std::string> SortedNames(const std::string& path, TransportStatus* status = nullptr) {
    std::vector<std::string> names;
    const TransportStatus result = List(path, &names);
    if (status != nullptr) *status = result;
    if (result != TransportStatus::kOk) names.clear();
    std::sort(names.begin(), names.end());
    return names;
  }

  // A property list read from the device; null when absent or unusable.
  PlistHolder ReadPlist(const std::string& path) {
    std::string data;
    if (ReadFile(path, &data, kMaxPlistBytes) != TransportStatus::kOk) return nullptr;
    return ParseDocument(data);
  }

  // Copies a file to local_path, which must not exist yet.
  TransportStatus CopyOut(const std::string& path, const std::string& local_path) {
    std::unique_ptr<RemoteFile> file;
    const TransportStatus status = Open(path, &file);
    if (status != TransportStatus::kOk) return status;
    const int out = open(local_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) return TransportStatus::kFailed;
    std::unique_ptr<char[]> buffer(new char[1 << 20]);
    bool ok = true;
    for (;;) {
      const int64_t got = file->Read(buffer.get(), 1 << 20);
      if (got < 0) ok = false;
      if (got <= 0) break;
      size_t written = 0;
      while (ok && written < static_cast<size_t>(got)) {
        const ssize_t n = write(out, buffer.get() + written, static_cast<size_t>(got) - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else written += static_cast<size_t>(n);
      }
      if (!ok) break;
    }
    if (close(out) != 0) ok = false;
    if (!ok) {
      unlink(local_path.c_str());
      return TransportStatus::kFailed;
    }
    return TransportStatus::kOk;
  }

 private:
  TransportStatus Note(TransportStatus status) {
    if (status == TransportStatus::kGone) gone_ = true;
    return status;
  }

  Transport* transport_;
  bool gone_ = false;
};

// ---- SQLite ------------------------------------------------------------------

// A hostile database may hold a query that never ends.
constexpr auto kQueryTimeLimit = std::chrono::seconds(30);

class Database {
 public:
  Database() = default;
  ~Database() {
    if (db_ != nullptr) sqlite3_close_v2(db_);
  }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  bool Open(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK)
      return false;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    deadline_ = std::chrono::steady_clock::now() + kQueryTimeLimit;
    sqlite3_progress_handler(db_, 10000, &Database::Progress, this);
    return Exec("PRAGMA query_only=1");
  }

  sqlite3* get() const { return db_; }

  bool Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

  // Column names of a table, empty when there is none.
  const std::set<std::string>& Columns(const std::string& table);

 private:
  static int Progress(void* self) {
    return std::chrono::steady_clock::now() > static_cast<Database*>(self)->deadline_ ? 1 : 0;
  }

  sqlite3* db_ = nullptr;
  std::chrono::steady_clock::time_point deadline_;
  std::map<std::string, std::set<std::string>> columns_;
};

class Statement {
 public:
  Statement(Database* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db->get(), sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  void Bind(int index, const std::string& text) {
    sqlite3_bind_text(stmt_, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  // SQLITE_ROW, SQLITE_DONE, or a failure.
  int Step() { return stmt_ != nullptr ? sqlite3_step(stmt_) : SQLITE_ERROR; }

  bool IsNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  double Real(int column) { return sqlite3_column_double(stmt_, column); }
  uint64_t Count(int column) {
    const int64_t value = Int(column);
    return value > 0 ? static_cast<uint64_t>(value) : 0;
  }
  // Raw bytes, for paths.
  std::string Raw(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (text == nullptr) return std::string();
    return std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
  }
  std::string Text(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return DisplayText(text, text != nullptr ? static_cast<size_t>(sqlite3_column_bytes(stmt_, column)) : 0);
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

const std::set<std::string>& Database::Columns(const std::string& table) {
  auto found = columns_.find(table);
  if (found != columns_.end()) return found->second;
  std::set<std::string>& names = columns_[table];
  Statement query(this, "SELECT name FROM pragma_table_info(?1)");
  if (query.ok()) {
    query.Bind(1, table);
    while (query.Step() == SQLITE_ROW) names.insert(query.Raw(0));
  }
  return names;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The databases copied off the device into a folder of this read's own, so
// that reads of two devices never meet; removed again afterwards.
class WorkFolder {
 public:
  explicit WorkFolder(const std::string& work_directory) {
    if (work_directory.empty()) return;
    std::string pattern = work_directory + "/media-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~WorkFolder() {
    if (path_.empty()) return;
    for (const std::string& file : files_) unlink(file.c_str());
    rmdir(path_.c_str());
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  bool usable() const { return !path_.empty(); }

  // Copies a database with its -wal and -shm files (all taken before it is
  // opened, so the rows still in the log are seen). The local path of the
  // copy, or empty when the device has none or it could not be copied.
  std::string CopyDatabase(Device* device, const std::string& device_path, const std::string& name) {
    if (!usable()) return std::string();
    const std::string local = path_ + "/" + name;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) files_.push_back(local + suffix);
    if (device->CopyOut(device_path, local) != TransportStatus::kOk) return std::string();
    for (const char* suffix : {"-wal", "-shm"}) {
      const TransportStatus status = device->CopyOut(device_path + suffix, local + suffix);
      if (status != TransportStatus::kOk && status != TransportStatus::kNotFound) {
        return std::string();
      }
    }
    return local;
  }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

// ---- the music library ---------------------------------------------------------

// Which list an item belongs in, by the bits of its media type. The first
// rule that matches wins, so the video kinds come before the audio ones.
struct KindRule {
  uint64_t bit;
  MediaListKind list;
};
constexpr KindRule kKindRules[] = {
    {2048, kMovieList},    // movie
    {8192, kMovieList},    // home video: there is no list of its own
    {1024, kMovieList},    // music video: there is no list of its own
    {512, kTVShowList},    // TV show
    {256, kPodcastList},   // video podcast
    {4, kPodcastList},     // podcast
    {2, kAudiobookList},   // audiobook, as far as libraries seen tell; not confirmed
    {8, kMusicList},       // song
};

bool Classify(uint64_t mask, MediaListKind* list) {
  for (const KindRule& rule : kKindRules) {
    if ((mask & rule.bit) != 0) {
      *list = rule.list;
      return true;
    }
  }
  return false;
}

// A table and column where some layout keeps one value of an item.
struct ColumnPlace {
  const char* table;
  const char* column;
};

struct Lookup {
  const char* table;   // joined table
  const char* key;     // its key column
  const char* value;   // the column wanted
  const char* item_column;  // the item's column that refers to it
};

class MusicReader {
 public:
  explicit MusicReader(Database* db) : db_(db) {}

  // False on a failure of the database itself; a schema without the tables
  // gives empty lists.
  bool Read(plist_t lists[kMediaListCount]);

 private:
  // The SQL for a value: the first of its places this layout has, or NULL.
  std::string Expression(std::initializer_list<ColumnPlace> places, bool have_extra) {
    for (const ColumnPlace& place : places) {
      if (strcmp(place.table, "item_extra") == 0 && !have_extra) continue;
      if (db_->Columns(place.table).count(place.column) != 0)
        return Quoted(place.table) + "." + Quoted(place.column);
    }
    return "NULL";
  }

  bool ReadItems(plist_t lists[kMediaListCount]);
  bool ReadPlaylists(plist_t playlists);

  Database* db_;
  std::vector<Track> tracks_;
  std::unordered_map<int64_t, size_t> by_pid_;
};

bool MusicReader::Read(plist_t lists[kMediaListCount]) {
  for (MediaListKind kind : {kMusicList, kMovieList, kPodcastList, kTVShowList, kAudiobookList})
    lists[kind] = plist_new_array();
  lists[kPlaylistList] = plist_new_array();
  if (!ReadItems(lists)) return false;
  if (!ReadPlaylists(lists[kPlaylistList])) return false;
  for (MediaListKind kind : {kMusicList, kMovieList, kPodcastList, kTVShowList, kAudiobookList})
    lists[kind] = FlatList(lists[kind]);
  return true;
}

bool MusicReader::ReadItems(plist_t lists[kMediaListCount]) {
  const std::set<std::string>& item = db_->Columns("item");
  if (item.count("item_pid") == 0) return true;
  const bool have_extra = db_->Columns("item_extra").count("item_pid") != 0;

  std::string joins;
  if (have_extra) joins += " LEFT JOIN item_extra ON item_extra.item_pid = item.item_pid";
  auto joined = [&](const Lookup& lookup) -> std::string {
    const std::set<std::string>& columns = db_->Columns(lookup.table);
    if (item.count(lookup.item_column) == 0 || columns.count(lookup.key) == 0 ||
        columns.count(lookup.value) == 0)
      return "NULL";
    joins += std::string(" LEFT JOIN ") + Quoted(lookup.table) + " ON " + Quoted(lookup.table) +
             "." + Quoted(lookup.key) + " = item." + Quoted(lookup.item_column);
    return Quoted(lookup.table) + "." + Quoted(lookup.value);
  };
  const std::string media_type = Expression({{"item", "media_type"}}, have_extra);
  const std::string media_kind =
      Expression({{"item_extra", "media_kind"}, {"item", "media_kind"}}, have_extra);
  const std::string title = Expression({{"item_extra", "title"}, {"item", "title"}}, have_extra);
  const std::string location =
      Expression({{"item_extra", "location"}, {"item", "location"}}, have_extra);
  const std::string size =
      Expression({{"item_extra", "file_size"}, {"item", "file_size"}}, have_extra);
  const std::string time =
      Expression({{"item_extra", "total_time_ms"}, {"item", "total_time_ms"}}, have_extra);
  const std::string artist =
      joined({"item_artist", "item_artist_pid", "item_artist", "item_artist_pid"});
  const std::string album = joined({"album", "album_pid", "album", "album_pid"});
  const std::string genre = joined({"genre", "genre_id", "genre", "genre_id"});
  const std::string base = joined({"base_location", "base_location_id", "path", "base_location_id"});
  if (location == "NULL" || base == "NULL") return true;

  const std::string sql = "SELECT item.item_pid, " + media_type + ", " + media_kind + ", " + title +
                          ", " + location + ", " + size + ", " + time + ", " + artist + ", " +
                          album + ", " + genre + ", " + base + " FROM item" + joins +
                          " ORDER BY " + title + " COLLATE NOCASE, item.item_pid";
  Statement query(db_, sql);
  if (!query.ok()) return false;
  int step;
  while ((step = query.Step()) == SQLITE_ROW) {
    Track track;
    // Items kept only in the cloud have no file here and cannot be copied.
    if (query.IsNull(4) || query.IsNull(10) ||
        !JoinDevicePath({query.Raw(10), query.Raw(4)}, &track.path))
      continue;
    track.title = query.Text(3);
    track.size = query.Count(5);
    track.time_ms = query.Count(6);
    track.artist = query.Text(7);
    track.album = query.Text(8);
    track.genre = query.Text(9);
    const int64_t pid = query.Int(0);
    // The item's own type decides; the kind fills in where the type is 0.
    const uint64_t type = query.Count(1);
    const uint64_t mask = type != 0 ? type : query.Count(2);
    MediaListKind kind;
    if (Classify(mask, &kind)) plist_array_append_item(lists[kind], MediaItem(track));
    by_pid_.emplace(pid, tracks_.size());
    tracks_.push_back(std::move(track));
  }
  return step == SQLITE_DONE;
}

bool MusicReader::ReadPlaylists(plist_t playlists) {
  const std::set<std::string>& container = db_->Columns("container");
  if (container.count("container_pid") == 0) return true;
  std::string members_table;
  for (const char* candidate : {"container_items", "container_item"}) {
    const std::set<std::string>& columns = db_->Columns(candidate);
    if (columns.count("container_pid") != 0 && columns.count("item_pid") != 0) {
      members_table = candidate;
      break;
    }
  }

  // Only the user's own lists: system lists carry a distinguished kind, and
  // folders, smart and genius lists are left out as well.
  std::string where = " WHERE 1";
  for (const char* flag : {"distinguished_kind", "is_hidden", "smart_is_folder", "is_folder",
                           "smart_is_genius"})
    if (container.count(flag) != 0) where += " AND ifnull(" + Quoted(flag) + ", 0) = 0";
  if (container.count("smart_criteria") != 0)
    where += " AND ifnull(length(smart_criteria), 0) = 0";
  const std::string name = container.count("name") != 0 ? "name" : "NULL";

  std::map<int64_t, std::vector<int64_t>> members;
  if (!members_table.empty()) {
    const std::string order =
        db_->Columns(members_table).count("position") != 0 ? ", position" : "";
    Statement query(db_, "SELECT container_pid, item_pid FROM " + Quoted(members_table) +
                             " ORDER BY container_pid" + order);
    if (!query.ok()) return false;
    int step;
    while ((step = query.Step()) == SQLITE_ROW) members[query.Int(0)].push_back(query.Int(1));
    if (step != SQLITE_DONE) return false;
  }

  Statement query(db_, "SELECT container_pid, " + name + " FROM container" + where + " ORDER BY " +
                           name + " COLLATE NOCASE, container_pid");
  if (!query.ok()) return false;
  int step;
  while ((step = query.Step()) == SQLITE_ROW) {
    plist_t items = plist_new_array();
    auto found = members.find(query.Int(0));
    if (found != members.end()) {
      for (int64_t pid : found->second) {
        auto track = by_pid_.find(pid);
        if (track != by_pid_.end()) plist_array_append_item(items, MediaItem(tracks_[track->second]));
      }
    }
    plist_array_append_item(playlists, Group("name", query.Text(1), items));
  }
  return step == SQLITE_DONE;
}

// ---- the partition ------------------------------------------------------------

constexpr int64_t kCoreDataEpoch = 978307200;  // 2001-01-01 in Unix time

const char* const kPictureExtensions[] = {"jpg", "jpeg", "heic", "heif", "png", "gif", "tif",
                                          "tiff", "dng", "webp", "bmp", "mov", "mp4", "m4v",
                                          "3gp", "avi"};

bool IsPictureOrVideo(const std::string& name) {
  if (name.empty() || name[0] == '.') return false;  // the desktop's own side files
  const std::string ext = LowerExtension(name);
  for (const char* known : kPictureExtensions)
    if (ext == known) return true;
  return false;
}

int64_t EntryTime(const RemoteEntry& entry) {
  return entry.birth_time != 0 ? entry.birth_time : entry.modify_time;
}

class PartitionReader {
 public:
  PartitionReader(Transport* transport, const std::string& work_directory)
      : device_(transport), work_(work_directory) {}

  bool gone() const { return device_.gone(); }

  plist_t CameraRoll();
  plist_t Photos();
  void MusicLibrary(plist_t lists[kMediaListCount]);
  plist_t Ringtones();
  plist_t Books();
  plist_t VoiceMemos();

 private:
  void AddBookGroup(plist_t books, const std::string& folder, const std::string& plist_name,
                    const std::string& catalog);
  void ReadMemo(const std::string& path, uint64_t* time_ms, std::string* name);

  Device device_;
  WorkFolder work_;
};

plist_t PartitionReader::CameraRoll() {
  PlistHolder items(plist_new_array());
  for (const std::string& folder : device_.SortedNames("/DCIM")) {
    if (gone()) return nullptr;
    std::string folder_path;
    if (!JoinDevicePath({"DCIM", folder}, &folder_path)) continue;
    RemoteEntry entry;
    if (device_.Stat(folder_path, &entry) != TransportStatus::kOk || !entry.directory) continue;
    for (const std::string& name : device_.SortedNames(folder_path)) {
      std::string path;
      if (!IsPictureOrVideo(name) || !JoinDevicePath({folder_path, name}, &path)) continue;
      if (device_.Stat(path, &entry) != TransportStatus::kOk || !entry.regular) {
        if (gone()) return nullptr;
        continue;
      }
      plist_array_append_item(items.get(), PictureItem(path, LocalDateText(EntryTime(entry)), entry.size));
    }
  }
  if (gone()) return nullptr;
  return FlatList(items.release());
}

plist_t PartitionReader::Photos() {
  const std::string local =
      work_.CopyDatabase(&device_, "/PhotoData/Photos.sqlite", "Photos.sqlite");
  if (local.empty()) return nullptr;
  Database db;
  if (!db.Open(local)) return nullptr;
  std::string table;
  for (const char* candidate : {"ZASSET", "ZGENERICASSET"}) {
    const std::set<std::string>& columns = db.Columns(candidate);
    if (columns.count("ZDIRECTORY") != 0 && columns.count("ZFILENAME") != 0) {
      table = candidate;
      break;
    }
  }
  if (table.empty()) return nullptr;
  const std::set<std::string>& columns = db.Columns(table);
  const std::string created = columns.count("ZDATECREATED") != 0 ? "ZDATECREATED" : "NULL";
  std::string sql = "SELECT ZDIRECTORY, ZFILENAME, " + created + " FROM " + Quoted(table);
  if (columns.count("ZTRASHEDSTATE") != 0) sql += " WHERE ifnull(ZTRASHEDSTATE, 0) = 0";
  sql += " ORDER BY " + created + (columns.count("Z_PK") != 0 ? ", Z_PK" : "");

  struct Asset {
    std::string path;
    bool dated;
    double created;
  };
  std::vector<Asset> assets;
  {
    Statement query(&db, sql);
    if (!query.ok()) return nullptr;
    int step;
    while ((step = query.Step()) == SQLITE_ROW) {
      const std::string directory = query.Raw(0);
      // The camera roll already lists what lies under DCIM.
      const size_t first = directory.find_first_not_of('/');
      const std::string_view top =
          first == std::string::npos
              ? std::string_view()
              : std::string_view(directory).substr(first, directory.find('/', first) - first);
      if (EqualsIgnoringCase(top, "DCIM")) continue;
      Asset asset;
      if (!JoinDevicePath({directory, query.Raw(1)}, &asset.path)) continue;
      asset.dated = !query.IsNull(2);
      asset.created = query.Real(2);
      assets.push_back(std::move(asset));
    }
    if (step != SQLITE_DONE) return nullptr;
  }

  PlistHolder items(plist_new_array());
  for (const Asset& asset : assets) {
    RemoteEntry entry;
    if (device_.Stat(asset.path, &entry) != TransportStatus::kOk || !entry.regular) {
      if (gone()) return nullptr;
      continue;
    }
    int64_t when = EntryTime(entry);
    if (asset.dated && std::isfinite(asset.created) && std::fabs(asset.created) < 1e11)
      when = kCoreDataEpoch + static_cast<int64_t>(std::floor(asset.created));
    plist_array_append_item(items.get(), PictureItem(asset.path, LocalDateText(when), entry.size));
  }
  return FlatList(items.release());
}

void PartitionReader::MusicLibrary(plist_t lists[kMediaListCount]) {
  const std::string device_path = "/iTunes_Control/iTunes/MediaLibrary.sqlitedb";
  const std::string local = work_.CopyDatabase(&device_, device_path, "MediaLibrary.sqlitedb");
  plist_t read[kMediaListCount] = {};
  bool ok = false;
  if (!local.empty()) {
    // The only connection to the copy rebuilds the log's index from the log
    // itself, so an index copied a moment later than the log does no harm.
    Database db;
    ok = db.Open(local) && MusicReader(&db).Read(read);
  }
  if (!ok) {
    for (plist_t& node : read)
      if (node != nullptr) plist_free(node);
    for (MediaListKind kind : {kMusicList, kMovieList, kPodcastList, kTVShowList, kAudiobookList})
      read[kind] = FlatList(plist_new_array());
    read[kPlaylistList] = plist_new_array();
  }
  for (MediaListKind kind :
       {kMusicList, kMovieList, kPodcastList, kTVShowList, kAudiobookList, kPlaylistList})
    lists[kind] = read[kind];
}

plist_t PartitionReader::Ringtones() {
  const std::string folder = "/iTunes_Control/Ringtones";
  std::vector<std::string> names = device_.SortedNames(folder);
  if (gone()) return nullptr;
  PlistHolder catalog;
  if (!names.empty()) catalog = device_.ReadPlist("/iTunes_Control/iTunes/Ringtones.plist");
  plist_t known = DictItem(catalog.get(), "Ringtones");
  PlistHolder items(plist_new_array());
  for (const std::string& name : names) {
    Track track;
    if (LowerExtension(name) != "m4r" || !JoinDevicePath({folder, name}, &track.path)) continue;
    RemoteEntry entry;
    if (device_.Stat(track.path, &entry) != TransportStatus::kOk || !entry.regular) {
      if (gone()) return nullptr;
      continue;
    }
    plist_t info = DictItem(known, name.c_str());
    track.title = StringValue(DictItem(info, "Name"));
    if (track.title.empty()) track.title = DisplayText(Stem(name));
    track.time_ms = UintValue(DictItem(info, "Total Time"));
    track.size = entry.size;
    plist_array_append_item(items.get(), MediaItem(track));
  }
  if (gone()) return nullptr;
  return FlatList(items.release());
}

void PartitionReader::AddBookGroup(plist_t books, const std::string& folder,
                                   const std::string& plist_name, const std::string& catalog) {
  PlistHolder document = device_.ReadPlist(folder + "/" + plist_name);
  if (document == nullptr) return;
  plist_t entries = document.get();
  if (plist_get_node_type(entries) == PLIST_DICT) entries = plist_dict_get_item(entries, "Books");
  if (entries == nullptr || plist_get_node_type(entries) != PLIST_ARRAY) return;
  PlistHolder items(plist_new_array());
  const uint32_t count = plist_array_get_size(entries);
  for (uint32_t i = 0; i < count; ++i) {
    plist_t entry = plist_array_get_item(entries, i);
    std::string relative, path;
    if (!RawString(DictItem(entry, "Path"), &relative) ||
        !JoinDevicePath({folder, relative}, &path))
      continue;
    // A book not downloaded to the device cannot be copied off it. EPUBs
    // are folders, PDFs plain files.
    RemoteEntry found;
    if (device_.Stat(path, &found) != TransportStatus::kOk || !(found.regular || found.directory)) {
      if (gone()) return;
      continue;
    }
    std::string title = StringValue(DictItem(entry, "Name"));
    if (title.empty()) title = StringValue(DictItem(entry, "Itemname"));
    if (title.empty()) title = DisplayText(Stem(relative));
    plist_t item = plist_new_dict();
    SetString(item, "title", title);
    SetString(item, "genre", StringValue(DictItem(entry, "Genre")));
    SetString(item, "artist", StringValue(DictItem(entry, "Artist")));
    SetString(item, "album", std::string());
    SetString(item, "path", path);
    plist_array_append_item(items.get(), item);
  }
  plist_array_append_item(books, Group("catalog", catalog, items.release()));
}

plist_t PartitionReader::Books() {
  PlistHolder books(plist_new_array());
  AddBookGroup(books.get(), "/Books", "Books.plist", "Books");
  if (gone()) return nullptr;
  AddBookGroup(books.get(), "/Books/Purchases", "Purchases.plist", "Purchases");
  if (gone()) return nullptr;
  return books.release();
}

// ---- voice memos: the length and title inside the MP4 ---------------------------

// A memo's movie box usually follows its sound; reading further than this
// to find it costs more than the length is worth.
constexpr uint64_t kMaxMemoScan = 8u << 20;
constexpr uint64_t kMaxMovieBox = 4u << 20;

// Sequential reads of a remote file, within a budget.
class BoxStream {
 public:
  explicit BoxStream(RemoteFile* file) : file_(file) {}

  bool Read(char* out, size_t size) {
    while (size > 0) {
      if (have_ == used_) {
        if (spent_ >= kMaxMemoScan) return false;
        const int64_t got = file_->Read(buffer_, sizeof buffer_);
        if (got <= 0) return false;
        spent_ += static_cast<uint64_t>(got);
        used_ = 0;
        have_ = static_cast<size_t>(got);
      }
      const size_t piece = std::min(size, have_ - used_);
      if (out != nullptr) {
        memcpy(out, buffer_ + used_, piece);
        out += piece;
      }
      used_ += piece;
      size -= piece;
    }
    return true;
  }

  bool Skip(uint64_t size) {
    while (size > 0) {
      const size_t piece = static_cast<size_t>(std::min<uint64_t>(size, 1 << 16));
      if (!Read(nullptr, piece)) return false;
      size -= piece;
    }
    return true;
  }

 private:
  RemoteFile* file_;
  char buffer_[1 << 16];
  size_t used_ = 0;
  size_t have_ = 0;
  uint64_t spent_ = 0;
};

struct Box {
  std::string_view type;
  std::string_view body;
};

// The boxes one after another in data; false at the end or on broken sizes.
bool NextBox(std::string_view* data, Box* box) {
  if (data->size() < 8) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(data->data());
  uint64_t size = BigEndian(p, 4);
  size_t header = 8;
  if (size == 1) {
    if (data->size() < 16) return false;
    size = BigEndian(p + 8, 8);
    header = 16;
  } else if (size == 0) {
    size = data->size();
  }
  if (size < header || size > data->size()) return false;
  box->type = data->substr(4, 4);
  box->body = data->substr(header, static_cast<size_t>(size) - header);
  data->remove_prefix(static_cast<size_t>(size));
  return true;
}

bool FindBox(std::string_view data, std::string_view type, std::string_view* body) {
  Box box;
  while (NextBox(&data, &box)) {
    if (box.type == type) {
      *body = box.body;
      return true;
    }
  }
  return false;
}

void ParseMovieBox(std::string_view moov, uint64_t* time_ms, std::string* name) {
  std::string_view mvhd;
  if (FindBox(moov, "mvhd", &mvhd) && !mvhd.empty()) {
    const auto* p = reinterpret_cast<const unsigned char*>(mvhd.data());
    uint64_t scale = 0, duration = 0;
    if (p[0] == 1 && mvhd.size() >= 32) {
      scale = BigEndian(p + 20, 4);
      duration = BigEndian(p + 24, 8);
    } else if (p[0] == 0 && mvhd.size() >= 20) {
      scale = BigEndian(p + 12, 4);
      duration = BigEndian(p + 16, 4);
    }
    // An unknown length is all ones; an absurd one is no better.
    if (scale != 0 && duration != UINT64_MAX && duration != UINT32_MAX &&
        duration / scale < (uint64_t{1} << 32))
      *time_ms = duration * 1000 / scale;
  }
  std::string_view udta, meta, ilst, nam, data;
  if (!FindBox(moov, "udta", &udta) || !FindBox(udta, "meta", &meta)) return;
  // The ISO meta box carries a version word before its children; QuickTime's
  // starts with them.
  if (meta.size() >= 8 && meta.substr(4, 4) != "hdlr") meta.remove_prefix(4);
  if (FindBox(meta, "ilst", &ilst) && FindBox(ilst, "\xA9nam", &nam) &&
      FindBox(nam, "data", &data) && data.size() > 8) {
    data.remove_prefix(8);  // type and locale
    *name = DisplayText(data.data(), data.size());
  }
}

void PartitionReader::ReadMemo(const std::string& path, uint64_t* time_ms, std::string* name) {
  std::unique_ptr<RemoteFile> file;
  if (device_.Open(path, &file) != TransportStatus::kOk || !file) return;
  BoxStream stream(file.get());
  for (;;) {
    unsigned char header[16];
    if (!stream.Read(reinterpret_cast<char*>(header), 8)) return;
    uint64_t size = BigEndian(header, 4);
    uint64_t header_size = 8;
    if (size == 1) {
      if (!stream.Read(reinterpret_cast<char*>(header + 8), 8)) return;
      size = BigEndian(header + 8, 8);
      header_size = 16;
    }
    if (size == 0) return;  // the last box, to the end: no movie box after it
    if (size < header_size) return;
    const uint64_t body = size - header_size;
    if (memcmp(header + 4, "moov", 4) == 0) {
      if (body > kMaxMovieBox) return;
      std::string moov(static_cast<size_t>(body), '\0');
      if (!stream.Read(&moov[0], moov.size())) return;
      ParseMovieBox(moov, time_ms, name);
      return;
    }
    if (!stream.Skip(body)) return;
  }
}

plist_t PartitionReader::VoiceMemos() {
  const std::string folder = "/Recordings";
  TransportStatus status;
  std::vector<std::string> names = device_.SortedNames(folder, &status);
  if (status != TransportStatus::kOk) return nullptr;
  PlistHolder items(plist_new_array());
  for (const std::string& name : names) {
    std::string path;
    if (LowerExtension(name) != "m4a" || !JoinDevicePath({folder, name}, &path)) continue;
    RemoteEntry entry;
    if (device_.Stat(path, &entry) != TransportStatus::kOk || !entry.regular) {
      if (gone()) return nullptr;
      continue;
    }
    uint64_t time_ms = 0;
    std::string label;
    ReadMemo(path, &time_ms, &label);
    if (gone()) return nullptr;
    Track memo;
    memo.title = DisplayText(Stem(name));
    memo.time_ms = time_ms;
    memo.size = entry.size;
    memo.path = path;
    plist_array_append_item(items.get(), MemoItem(label.empty() ? memo.title : label, memo));
  }
  return FlatList(items.release());
}

uint64_t SumSizes(plist_t list) {
  plist_t items = DictItem(list, "item");
  if (items == nullptr || plist_get_node_type(items) != PLIST_ARRAY) return 0;
  uint64_t total = 0;
  const uint32_t count = plist_array_get_size(items);
  for (uint32_t i = 0; i < count; ++i) total += UintValue(DictItem(plist_array_get_item(items, i), "size"));
  return total;
}

void FreeAll(MediaLists* lists) {
  for (plist_t& node : lists->list) {
    if (node != nullptr) plist_free(node);
    node = nullptr;
  }
}

}  // namespace

TransportStatus ReadMediaPartition(Transport* transport, const std::string& work_directory,
                                   MediaLists* lists) {
  if (lists == nullptr) return TransportStatus::kFailed;
  FreeAll(lists);
  if (transport == nullptr) return TransportStatus::kFailed;
  try {
    PartitionReader reader(transport, work_directory);
    plist_t* list = lists->list;
    list[kCameraRollList] = reader.CameraRoll();
    if (!reader.gone()) list[kPhotoList] = reader.Photos();
    if (!reader.gone()) reader.MusicLibrary(list);
    if (!reader.gone()) list[kRingtoneList] = reader.Ringtones();
    if (!reader.gone()) list[kBookList] = reader.Books();
    if (!reader.gone()) list[kVoiceMemoList] = reader.VoiceMemos();
    if (reader.gone()) {
      FreeAll(lists);
      return TransportStatus::kGone;
    }
    return TransportStatus::kOk;
  } catch (...) {
    FreeAll(lists);
    return TransportStatus::kFailed;
  }
}

MediaUsage SumMediaUsage(const MediaLists& lists) {
  MediaUsage usage;
  for (MediaListKind kind :
       {kMusicList, kPodcastList, kAudiobookList, kRingtoneList, kVoiceMemoList})
    usage.audio += SumSizes(lists.list[kind]);
  for (MediaListKind kind : {kMovieList, kTVShowList}) usage.video += SumSizes(lists.list[kind]);
  for (MediaListKind kind : {kCameraRollList, kPhotoList}) usage.photos += SumSizes(lists.list[kind]);
  return usage;
}

}  // namespace makerlib
