#include "ipod_database.h"

#include <errno.h>
#include <fcntl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <gpod/itdb.h>
#include <string.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "device_info.h"
#include "media_records.h"

namespace makerlib {

namespace {

// ---- text ---------------------------------------------------------------------

// Valid UTF-8 for display; libgpod hands out whatever the database holds.
std::string Text(const char* text) {
  if (text == nullptr) return std::string();
  gchar* valid = g_utf8_make_valid(text, -1);
  std::string out = valid != nullptr ? valid : "";
  g_free(valid);
  return out;
}

// g_free for what libgpod returns.
std::string Take(gchar* text) {
  std::string out = text != nullptr ? text : "";
  g_free(text);
  return out;
}

std::string Stem(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return base;
}

std::string Trim(std::string text) {
  const char* kSpace = " \t\r\n";
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::string::npos) return std::string();
  text.erase(text.find_last_not_of(kSpace) + 1);
  return text.substr(first);
}

// "YYYY-MM-DD HH:MM:SS" in local time, as the phones' pictures show it.
std::string LocalDateText(time_t seconds) {
  if (seconds <= 0) return std::string();
  struct tm local;
  if (localtime_r(&seconds, &local) == nullptr) return std::string();
  char text[64];
  if (strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) return std::string();
  return text;
}

// A device path from one of the database's names: ":" and "/" both
// separate; false when a component would lead up or nothing is left.
bool DevicePath(std::string_view prefix, std::string_view name, std::string* out) {
  std::string path;
  for (std::string_view part : {prefix, name}) {
    size_t at = 0;
    while (at <= part.size()) {
      const size_t end = std::min(part.find_first_of(":/", at), part.size());
      const std::string_view piece = part.substr(at, end - at);
      at = end + 1;
      if (piece.empty() || piece == ".") continue;
      if (piece == ".." || piece.find('\0') != std::string_view::npos) return false;
      path.push_back('/');
      path.append(piece);
    }
  }
  if (path.empty()) return false;
  *out = std::move(path);
  return true;
}

bool ReadSmallFile(const std::string& path, std::string* data, size_t max_bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  data->clear();
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    data->append(buffer, static_cast<size_t>(in.gcount()));
    if (data->size() > max_bytes) return false;
  }
  return true;
}

// A file under iPod_Control/Device, found whatever the case of its name.
std::string DeviceFile(const std::string& mount_point, const char* name) {
  std::string dir = Take(itdb_get_device_dir(mount_point.c_str()));
  if (dir.empty()) return std::string();
  return Take(itdb_get_path(dir.c_str(), name));
}

// SysInfo: "Key: value" lines.
std::map<std::string, std::string> ReadSysInfo(const std::string& mount_point) {
  std::map<std::string, std::string> values;
  const std::string path = DeviceFile(mount_point, "SysInfo");
  std::string data;
  if (path.empty() || !ReadSmallFile(path, &data, 1 << 20)) return values;
  std::istringstream lines(data);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    values[Trim(line.substr(0, colon))] = Trim(line.substr(colon + 1));
  }
  return values;
}

// The string of a key in SysInfoExtended, an XML property list the iPod
// writes itself. Looked up in the text, so that a damaged or hostile file
// never reaches a parser.
std::string ExtendedValue(const std::string& data, const std::string& key) {
  const std::string tag = "<key>" + key + "</key>";
  size_t at = data.find(tag);
  if (at == std::string::npos) return std::string();
  at = data.find_first_not_of(" \t\r\n", at + tag.size());
  if (at == std::string::npos || data.compare(at, 8, "<string>") != 0) return std::string();
  at += 8;
  const size_t end = data.find("</string>", at);
  if (end == std::string::npos) return std::string();
  return Trim(data.substr(at, end - at));
}

std::string ReadSysInfoExtended(const std::string& mount_point) {
  const std::string path = DeviceFile(mount_point, "SysInfoExtended");
  std::string data;
  if (path.empty() || !ReadSmallFile(path, &data, 4 << 20)) return std::string();
  return data;
}

// "0x000a27001a2b3c4d" or "000A27001A2B3C4D" as "000A27001A2B3C4D"; empty
// for anything else, and for all zeros.
std::string NormalGuid(std::string text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.erase(0, 2);
  if (text.empty() || text.size() > 32) return std::string();
  bool zero = true;
  for (char& c : text) {
    if (!g_ascii_isxdigit(c)) return std::string();
    c = g_ascii_toupper(c);
    if (c != '0') zero = false;
  }
  return zero ? std::string() : text;
}

// ---- records --------------------------------------------------------------------

// Which list a track belongs in, by the bits of its media type. The first
// rule that matches wins: a video podcast is a podcast, a music video that
// is also a TV show a TV show, and music videos and rentals, which have no
// list of their own, go with the movies.
struct KindRule {
  uint32_t bits;
  MediaListKind list;
};
constexpr KindRule kKindRules[] = {
    {ITDB_MEDIATYPE_MEMO, kVoiceMemoList},
    {ITDB_MEDIATYPE_RINGTONE, kRingtoneList},
    {ITDB_MEDIATYPE_PODCAST | ITDB_MEDIATYPE_ITUNES_U, kPodcastList},
    {ITDB_MEDIATYPE_AUDIOBOOK, kAudiobookList},
    {ITDB_MEDIATYPE_TVSHOW, kTVShowList},
    {ITDB_MEDIATYPE_MOVIE | ITDB_MEDIATYPE_MUSICVIDEO | ITDB_MEDIATYPE_RENTAL, kMovieList},
    {ITDB_MEDIATYPE_AUDIO, kMusicList},
};

// False for what no list shows (e-books and kinds not known here).
bool Classify(uint32_t mediatype, MediaListKind* list) {
  // Databases of the first iPods leave the type at 0: everything is music.
  if (mediatype == 0) {
    *list = kMusicList;
    return true;
  }
  for (const KindRule& rule : kKindRules) {
    if ((mediatype & rule.bits) != 0) {
      *list = rule.list;
      return true;
    }
  }
  return false;
}

struct ItdbFree {
  void operator()(Itdb_iTunesDB* itdb) const { itdb_free(itdb); }
};

// ---- the photo database, read where libgpod does not look -----------------------

uint32_t U32(const std::string& d, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(d.data() + at);
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t U16(const std::string& d, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(d.data() + at);
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// A record of the given tag at at, wholly before end: its header and total
// lengths (a list record has no total; it gets its header length).
bool Record(const std::string& d, size_t at, size_t end, const char* tag, uint32_t* header,
            uint32_t* total) {
  if (end > d.size() || at > end || end - at < 12 || d.compare(at, 4, tag) != 0) return false;
  *header = U32(d, at + 4);
  *total = U32(d, at + 8);
  const bool list = tag[2] == 'l';
  if (list) *total = *header;
  return *header >= 12 && *total >= *header && *total <= end - at;
}

// The name in a string record (UTF-16LE, or UTF-8).
bool RecordString(const std::string& d, size_t at, size_t end, std::string* out) {
  uint32_t header, total;
  if (!Record(d, at, end, "mhod", &header, &total) || total < 36 || U16(d, at + 12) != 3)
    return false;
  const uint32_t length = U32(d, at + 24);
  const unsigned char encoding = static_cast<unsigned char>(d[at + 28]);
  if (length > total - 36) return false;
  const std::string bytes = d.substr(at + 36, length);
  if (encoding == 2) {
    std::vector<gunichar2> units(bytes.size() / 2);
    for (size_t i = 0; i < units.size(); ++i)
      units[i] = static_cast<gunichar2>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    gchar* text = g_utf16_to_utf8(units.data(), static_cast<glong>(units.size()), nullptr,
                                  nullptr, nullptr);
    if (text == nullptr) return false;
    *out = Take(text);
  } else {
    *out = Text(bytes.c_str());
  }
  return true;
}

// One picture (a thumbnail, or the full-resolution image) of a photo.
void ReadImage(const std::string& d, size_t at, size_t end, bool full, PhotoFacts* facts) {
  uint32_t header, total;
  if (!Record(d, at, end, "mhni", &header, &total) || total < 36) return;
  const uint64_t bytes = U32(d, at + 24);
  const uint64_t area = uint64_t{U16(d, at + 32)} * U16(d, at + 34);
  std::string name;
  RecordString(d, at + header, at + total, &name);
  if (full) {
    facts->full_resolution = name;
    return;
  }
  if (bytes > kMaxThumbnailBytes) facts->oversized = true;
  if (area >= facts->largest_area) {
    facts->largest_area = area;
    facts->largest_bytes = bytes;
  }
}

void ReadPhoto(const std::string& d, size_t at, size_t end,
               std::map<uint32_t, PhotoFacts>* facts) {
  uint32_t header, total;
  if (!Record(d, at, end, "mhii", &header, &total) || header < 20) return;
  uint32_t children = U32(d, at + 12);
  PhotoFacts& photo = (*facts)[U32(d, at + 16)];
  // Seconds since 1904, as the iPod counts.
  constexpr int64_t kMacEpoch = 2082844800;
  if (header >= 48) {
    const uint32_t taken = U32(d, at + 44), made = U32(d, at + 40);
    const uint32_t when = taken != 0 ? taken : made;
    if (when > kMacEpoch) photo.time = when - kMacEpoch;
  }
  size_t child = at + header;
  const size_t photo_end = at + total;
  for (; children > 0; --children) {
    uint32_t child_header, child_total;
    if (!Record(d, child, photo_end, "mhod", &child_header, &child_total)) break;
    const uint16_t type = U16(d, child + 12);
    // 2: a thumbnail, 5: the full-resolution image.
    if (type == 2 || type == 5)
      ReadImage(d, child + child_header, child + child_total, type == 5, &photo);
    child += child_total;
  }
}

}  // namespace

bool ScanPhotoDatabase(const std::string& d, std::map<uint32_t, PhotoFacts>* facts) {
  facts->clear();
  uint32_t header, total;
  if (!Record(d, 0, d.size(), "mhfd", &header, &total)) return false;
  const size_t end = total;
  size_t at = header;
  while (at < end) {
    uint32_t set_header, set_total;
    if (!Record(d, at, end, "mhsd", &set_header, &set_total) || set_header < 14) break;
    // The set of images; the others hold albums and thumbnail files.
    if (U16(d, at + 12) == 1) {
      const size_t list = at + set_header, set_end = at + set_total;
      uint32_t list_header, unused;
      if (Record(d, list, set_end, "mhli", &list_header, &unused)) {
        uint32_t count = U32(d, list + 8);
        size_t photo = list + list_header;
        for (; count > 0 && photo < set_end; --count) {
          uint32_t photo_header, photo_total;
          if (!Record(d, photo, set_end, "mhii", &photo_header, &photo_total)) break;
          ReadPhoto(d, photo, set_end, facts);
          photo += photo_total;
        }
      }
    }
    at += set_total;
  }
  return true;
}

IpodLibrary::~IpodLibrary() {
  if (info_ != nullptr) plist_free(info_);
  if (photodb_ != nullptr) itdb_photodb_free(photodb_);
}

std::unique_ptr<IpodLibrary> IpodLibrary::Read(const std::string& mount_point,
                                               Transport* transport) {
  GError* error = nullptr;
  std::unique_ptr<Itdb_iTunesDB, ItdbFree> itdb;
  if (!Take(itdb_get_artwork_dir(mount_point.c_str())).empty()) {
    itdb.reset(itdb_parse(mount_point.c_str(), &error));
  } else {
    // itdb_parse would make the missing artwork folder; the database alone
    // is read instead (a compressed one only itdb_parse can read).
    const std::string database = Take(itdb_get_itunesdb_path(mount_point.c_str()));
    if (!database.empty()) itdb.reset(itdb_parse_file(database.c_str(), &error));
    if (itdb != nullptr) itdb_set_mountpoint(itdb.get(), mount_point.c_str());
  }
  if (error != nullptr) {
    g_error_free(error);
    error = nullptr;
  }
  if (itdb == nullptr) return nullptr;
  std::unique_ptr<IpodLibrary> library(new IpodLibrary);
  plist_t* lists = library->lists_.list;

  // Tracks, each in the list of its kind.
  PlistHolder items[kMediaListCount];
  for (MediaListKind kind : {kMusicList, kMovieList, kPodcastList, kTVShowList, kAudiobookList,
                             kRingtoneList, kVoiceMemoList})
    items[kind].reset(plist_new_array());
  std::unordered_map<const Itdb_Track*, Track> listed;
  for (GList* at = itdb->tracks; at != nullptr; at = at->next) {
    const auto* track = static_cast<const Itdb_Track*>(at->data);
    MediaListKind kind;
    Track record;
    // A track without a file was never copied onto the iPod.
    if (track == nullptr || track->ipod_path == nullptr ||
        !DevicePath("", track->ipod_path, &record.path) || !Classify(track->mediatype, &kind))
      continue;
    record.title = Text(track->title);
    if (record.title.empty()) record.title = Text(Stem(record.path).c_str());
    record.artist = Text(track->artist);
    record.album = Text(track->album);
    record.genre = Text(track->genre);
    record.size = track->size;
    record.time_ms = track->tracklen > 0 ? static_cast<uint64_t>(track->tracklen) : 0;
    plist_array_append_item(items[kind].get(),
                            kind == kVoiceMemoList ? MemoItem(record.title, record) : MediaItem(record));
    listed.emplace(track, std::move(record));
  }
  for (MediaListKind kind : {kMusicList, kMovieList, kPodcastList, kTVShowList, kAudiobookList,
                             kRingtoneList, kVoiceMemoList})
    lists[kind] = FlatList(items[kind].release());

  // The user's playlists: the master playlist holds every track and the
  // podcasts playlist is the Podcasts list already.
  lists[kPlaylistList] = plist_new_array();
  for (GList* at = itdb->playlists; at != nullptr; at = at->next) {
    auto* playlist = static_cast<Itdb_Playlist*>(at->data);
    if (playlist == nullptr || itdb_playlist_is_mpl(playlist) || itdb_playlist_is_podcasts(playlist))
      continue;
    plist_t members = plist_new_array();
    for (GList* member = playlist->members; member != nullptr; member = member->next) {
      auto found = listed.find(static_cast<const Itdb_Track*>(member->data));
      if (found != listed.end()) plist_array_append_item(members, MediaItem(found->second));
    }
    plist_t group = plist_new_dict();
    SetString(group, "name", Text(playlist->name));
    SetUint(group, "number", plist_array_get_size(members));
    plist_dict_set_item(group, "item", members);
    plist_array_append_item(lists[kPlaylistList], group);
  }

  // Photos: the full-resolution file when the iPod holds one, else the
  // largest thumbnail, rendered when exported. Without a photo database
  // libgpod answers with an empty one; that is no Photos at all.
  const std::string database = Take(itdb_get_photodb_path(mount_point.c_str()));
  Itdb_PhotoDB* photodb =
      database.empty() ? nullptr : itdb_photodb_parse(mount_point.c_str(), &error);
  if (error != nullptr) {
    g_error_free(error);
    error = nullptr;
  }
  if (photodb != nullptr) {
    library->photodb_ = photodb;
    std::map<uint32_t, PhotoFacts> facts;
    std::string data;
    if (ReadSmallFile(database, &data, 64u << 20)) ScanPhotoDatabase(data, &facts);
    const std::string photos_dir = Take(itdb_get_photos_dir(mount_point.c_str()));
    std::string photos_prefix = "/Photos";
    if (photos_dir.compare(0, mount_point.size(), mount_point) == 0)
      photos_prefix = photos_dir.substr(mount_point.size());
    PlistHolder photos(plist_new_array());
    for (GList* at = photodb->photos; at != nullptr; at = at->next) {
      auto* artwork = static_cast<Itdb_Artwork*>(at->data);
      if (artwork == nullptr) continue;
      const PhotoFacts* fact = nullptr;
      auto found = facts.find(artwork->id);
      if (found != facts.end()) fact = &found->second;
      const std::string time = LocalDateText(fact != nullptr ? fact->time : 0);
      std::string path;
      RemoteEntry entry;
      if (fact != nullptr && !fact->full_resolution.empty() &&
          DevicePath(photos_prefix, fact->full_resolution, &path) &&
          transport->Stat(path, &entry) == TransportStatus::kOk && entry.regular) {
        plist_array_append_item(photos.get(), PictureItem(path, time, entry.size));
        continue;
      }
      if ((fact != nullptr && fact->oversized) || artwork->thumbnail == nullptr) continue;
      if (!DevicePath(photos_prefix, "Thumbs/Photo " + std::to_string(artwork->id) + ".png",
                      &path) ||
          !library->thumbnail_photos_.emplace(path, artwork).second)
        continue;
      const uint64_t size = fact != nullptr ? fact->largest_bytes : artwork->artwork_size;
      plist_array_append_item(photos.get(), PictureItem(path, time, size));
    }
    lists[kPhotoList] = FlatList(photos.release());
  }

  // The information.
  const std::map<std::string, std::string> sysinfo = ReadSysInfo(mount_point);
  auto sysinfo_value = [&sysinfo](const char* key) {
    auto found = sysinfo.find(key);
    return found != sysinfo.end() ? found->second : std::string();
  };
  const std::string extended = ReadSysInfoExtended(mount_point);
  IosValues values;
  Itdb_Playlist* master = itdb_playlist_mpl(itdb.get());
  if (master != nullptr) values.device_name = Text(master->name);
  std::string type;
  const Itdb_IpodInfo* model = itdb_device_get_ipod_info(itdb->device);
  if (model != nullptr && model->ipod_model != ITDB_IPOD_MODEL_INVALID &&
      model->ipod_model != ITDB_IPOD_MODEL_UNKNOWN) {
    type = Text(itdb_info_get_ipod_model_name_string(model->ipod_model));
    const std::string generation =
        Text(itdb_info_get_ipod_generation_string(model->ipod_generation));
    if (!generation.empty()) type += ", " + generation;
  }
  // The program tells an iPod by this word.
  values.product_type = type.find("iPod") == std::string::npos ? Trim("iPod " + type) : type;
  // "0x01218000 (1.2.1)": the version is in the brackets.
  const std::string build = sysinfo_value("visibleBuildID");
  const size_t open = build.find('('), close = build.rfind(')');
  if (open != std::string::npos && close != std::string::npos && close > open)
    values.product_version = Text(build.substr(open + 1, close - open - 1).c_str());
  values.serial_number = Text(ExtendedValue(extended, "SerialNumber").c_str());
  if (values.serial_number.empty()) values.serial_number = Text(sysinfo_value("pszSerialNumber").c_str());
  struct statvfs fs;
  if (statvfs(mount_point.c_str(), &fs) == 0) {
    values.total_capacity = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize;
    values.available = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
  }
  library->info_ = MakeInfo(values, SumMediaUsage(library->lists_));
  return library;
}

bool IpodLibrary::IsThumbnailPhoto(const std::string& device_path) const {
  return thumbnail_photos_.count(device_path) != 0;
}

int IpodLibrary::ExportThumbnailPhoto(const std::string& device_path,
                                      const std::string& local_path, PodExportCallback callback,
                                      const std::atomic<bool>* stop) const {
  auto stopped = [stop] { return stop != nullptr && stop->load(); };
  auto found = thumbnail_photos_.find(device_path);
  if (found == thumbnail_photos_.end() || local_path.empty() || stopped()) return POD_STATUS_FAILED;
  GdkPixbuf* pixbuf;
  {
    std::lock_guard<std::mutex> lock(render_mutex_);
    // -1, -1: the largest stored size, unscaled.
    pixbuf = static_cast<GdkPixbuf*>(itdb_artwork_get_pixbuf(photodb_->device, found->second, -1, -1));
  }
  if (pixbuf == nullptr) return POD_STATUS_FAILED;
  gchar* png = nullptr;
  gsize size = 0;
  GError* error = nullptr;
  const gboolean encoded = gdk_pixbuf_save_to_buffer(pixbuf, &png, &size, "png", &error, nullptr);
  g_object_unref(pixbuf);
  if (error != nullptr) g_error_free(error);
  std::unique_ptr<gchar, decltype(&g_free)> holder(png, g_free);
  if (!encoded || png == nullptr) return POD_STATUS_FAILED;

  const int out = open(local_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (out < 0) return POD_STATUS_FAILED;
  constexpr size_t kChunk = 1 << 20;
  const uint64_t total = size;
  uint64_t done = 0;
  bool ok = true;
  while (ok && done < total) {
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(kChunk, total - done));
    size_t written = 0;
    while (ok && written < piece) {
      const ssize_t n = write(out, png + done + written, piece - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok = false;
      else written += static_cast<size_t>(n);
    }
    done += written;
    // A device freed while the callback ran stops the copy too.
    if (ok && (stopped() ||
               (callback != nullptr && callback(total, done, POD_EXPORT_IN_PROGRESS, nullptr) == -1) ||
               stopped()))
      ok = false;
  }
  if (close(out) != 0) ok = false;
  if (!ok) {
    unlink(local_path.c_str());
    return POD_STATUS_FAILED;
  }
  if (callback != nullptr) callback(total, total, POD_EXPORT_FINISHED, nullptr);  // cannot abort
  return POD_STATUS_OK;
}

bool HoldsIpodDatabase(const std::string& mount_point) {
  return !Take(itdb_get_itunesdb_path(mount_point.c_str())).empty() ||
         !Take(itdb_get_itunescdb_path(mount_point.c_str())).empty();
}

std::string IpodFirewireGuid(const std::string& mount_point) {
  // As libgpod itself looks: what the iPod wrote, then SysInfo.
  std::string guid = NormalGuid(ExtendedValue(ReadSysInfoExtended(mount_point), "FireWireGUID"));
  if (!guid.empty()) return guid;
  const std::map<std::string, std::string> sysinfo = ReadSysInfo(mount_point);
  auto found = sysinfo.find("FirewireGuid");
  return found != sysinfo.end() ? NormalGuid(found->second) : std::string();
}

}  // namespace makerlib
