#include "ipod_fixture.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <gpod/itdb.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

namespace testsupport {

namespace {

bool Fail(std::string* error, const std::string& why, GError* gerror = nullptr) {
  if (error != nullptr) *error = why + (gerror != nullptr ? std::string(": ") + gerror->message : "");
  if (gerror != nullptr) g_error_free(gerror);
  return false;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool MakeFolders(const std::string& path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    struct stat st;
    if (mkdir(part.c_str(), 0755) != 0 && (stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
      return false;
  }
  return true;
}

void PutU32(std::string* d, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*d)[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetU32(const std::string& d, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(d[at + i]);
  return value;
}

std::string U32Bytes(uint32_t value) {
  std::string bytes(4, '\0');
  PutU32(&bytes, 0, value);
  return bytes;
}

// libgpod writes thumbnails only; iTunes also records the original file
// in a container of type 5 beside them. This adds one to a photo.
bool AddFullResolution(const std::string& database, uint32_t image_id, const std::string& name,
                       uint32_t file_size, int width, int height) {
  std::string d = ReadBytes(database);
  if (d.size() < 12 || d.compare(0, 4, "mhfd") != 0) return false;
  // The string record: the name in UTF-16LE.
  std::string utf16;
  for (char c : name) utf16 += std::string(1, c) + '\0';
  const uint32_t padding = (4 - (36 + utf16.size()) % 4) % 4;
  std::string text = "mhod" + U32Bytes(24) + U32Bytes(36 + utf16.size() + padding);
  text += std::string("\x03\x00", 2) + '\0' + static_cast<char>(padding);
  text += U32Bytes(0) + U32Bytes(0) + U32Bytes(utf16.size()) + std::string("\x02\x00\x00\x00", 4);
  text += U32Bytes(0) + utf16 + std::string(padding, '\0');
  std::string image = "mhni" + U32Bytes(76) + U32Bytes(76 + text.size()) + U32Bytes(1) +
                      U32Bytes(0) + U32Bytes(0) + U32Bytes(file_size) + U32Bytes(0);
  image += std::string(1, static_cast<char>(height & 0xFF)) + static_cast<char>(height >> 8);
  image += std::string(1, static_cast<char>(width & 0xFF)) + static_cast<char>(width >> 8);
  image.resize(76, '\0');
  image += text;
  std::string container = "mhod" + U32Bytes(24) + U32Bytes(24 + image.size()) +
                          std::string("\x05\x00\x00\x00", 4) + U32Bytes(0) + U32Bytes(0) + image;

  const uint32_t header = GetU32(d, 4);
  size_t set = header;
  while (set + 16 <= d.size() && d.compare(set, 4, "mhsd") == 0) {
    const uint32_t set_total = GetU32(d, set + 8);
    if (d[set + 12] == 1) {
      const size_t list = set + GetU32(d, set + 4);
      size_t photo = list + GetU32(d, list + 4);
      uint32_t count = GetU32(d, list + 8);
      for (; count > 0; --count) {
        const uint32_t photo_total = GetU32(d, photo + 8);
        if (GetU32(d, photo + 16) == image_id) {
          d.insert(photo + photo_total, container);
          PutU32(&d, photo + 8, photo_total + container.size());
          PutU32(&d, photo + 12, GetU32(d, photo + 12) + 1);
          PutU32(&d, set + 8, set_total + container.size());
          PutU32(&d, 8, GetU32(d, 8) + container.size());
          return WriteBytes(database, d);
        }
        photo += photo_total;
      }
      return false;
    }
    set += set_total;
  }
  return false;
}

std::string MakeJpeg(int width, int height, uint32_t colour) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
  gdk_pixbuf_fill(pixbuf, colour);
  gchar* buffer = nullptr;
  gsize size = 0;
  std::string bytes;
  if (gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "jpeg", nullptr, nullptr))
    bytes.assign(buffer, size);
  g_free(buffer);
  g_object_unref(pixbuf);
  return bytes;
}

struct ItdbFree {
  void operator()(Itdb_iTunesDB* itdb) const { itdb_free(itdb); }
};
struct PhotoDbFree {
  void operator()(Itdb_PhotoDB* db) const { itdb_photodb_free(db); }
};

}  // namespace

std::string MakeWav(uint32_t time_ms, int tone) {
  const uint32_t rate = 8000;
  const uint32_t samples = rate * time_ms / 1000;
  std::string data;
  for (uint32_t i = 0; i < samples; ++i) {
    const int16_t value =
        static_cast<int16_t>(8000 * std::sin(2 * M_PI * (220.0 + 55 * tone) * i / rate));
    data += static_cast<char>(value & 0xFF);
    data += static_cast<char>((value >> 8) & 0xFF);
  }
  std::string wav = "RIFF" + U32Bytes(36 + data.size()) + "WAVEfmt " + U32Bytes(16);
  wav += std::string("\x01\x00\x01\x00", 4) + U32Bytes(rate) + U32Bytes(rate * 2);
  wav += std::string("\x02\x00\x10\x00", 4) + "data" + U32Bytes(data.size()) + data;
  return wav;
}

std::vector<IpodTrack> EveryKindOfTrack() {
  struct Kind {
    const char* title;
    uint32_t mediatype;
  };
  const Kind kKinds[] = {
      {"Song", ITDB_MEDIATYPE_AUDIO},
      {"Old Song", 0},  // the first iPods' databases leave the type at 0
      {"Movie", ITDB_MEDIATYPE_MOVIE},
      {"Music Video", ITDB_MEDIATYPE_MUSICVIDEO},
      {"Rental", ITDB_MEDIATYPE_RENTAL | ITDB_MEDIATYPE_MOVIE},
      {"TV Show", ITDB_MEDIATYPE_TVSHOW},
      {"Music TV Show", ITDB_MEDIATYPE_MUSIC_TVSHOW},
      {"Podcast", ITDB_MEDIATYPE_PODCAST},
      {"Video Podcast", ITDB_MEDIATYPE_VIDEO_PODCAST},
      {"Lecture", ITDB_MEDIATYPE_ITUNES_U},
      {"Audiobook", ITDB_MEDIATYPE_AUDIOBOOK | ITDB_MEDIATYPE_AUDIO},
      {"Voice Memo", ITDB_MEDIATYPE_MEMO | ITDB_MEDIATYPE_AUDIO},
      {"Ringtone", ITDB_MEDIATYPE_RINGTONE},
      {"Book", ITDB_MEDIATYPE_EPUB_BOOK},
      {"", ITDB_MEDIATYPE_AUDIO},  // untitled
  };
  std::vector<IpodTrack> tracks;
  int tone = 0;
  for (const Kind& kind : kKinds) {
    IpodTrack track;
    track.title = kind.title;
    track.mediatype = kind.mediatype;
    track.artist = std::string("Artist ") + kind.title;
    track.album = std::string("Album ") + kind.title;
    track.genre = tone % 2 == 0 ? "Rock" : "Talk";
    track.time_ms = 100 + 20 * tone++;
    tracks.push_back(track);
  }
  IpodTrack missing;
  missing.title = "Not Copied";
  missing.on_ipod = false;
  tracks.push_back(missing);
  return tracks;
}

std::vector<IpodPlaylist> SomePlaylists() {
  const std::vector<IpodTrack> tracks = EveryKindOfTrack();
  auto at = [&tracks](const std::string& title) {
    for (size_t i = 0; i < tracks.size(); ++i)
      if (tracks[i].title == title) return i;
    return size_t{0};
  };
  return {
      {"Road", {at("Old Song"), at("Not Copied"), at("Movie"), at("Song")}, false},
      {"Empty", {}, false},
      {"Podcasts", {at("Podcast"), at("Video Podcast")}, true},
  };
}

std::vector<IpodPhoto> TwoPhotos() {
  IpodPhoto full;
  full.width = 800;
  full.height = 600;
  full.full_resolution = true;
  IpodPhoto thumbs;
  thumbs.width = 640;
  thumbs.height = 480;
  return {full, thumbs};
}

bool WriteIpod(const std::string& root, IpodOptions* options, std::string* error) {
  const std::string device = root + "/iPod_Control/Device";
  if (!MakeFolders(device)) return Fail(error, "cannot make " + device);
  std::string sysinfo = options->sysinfo_extra;
  if (!options->sysinfo_guid.empty()) sysinfo += "FirewireGuid: " + options->sysinfo_guid + "\n";
  if (!sysinfo.empty() && !WriteBytes(device + "/SysInfo", sysinfo))
    return Fail(error, "cannot write SysInfo");
  if (!options->extended_guid.empty() || !options->extended_serial.empty()) {
    std::string plist =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    if (!options->extended_guid.empty())
      plist += "\t<key>FireWireGUID</key>\n\t<string>" + options->extended_guid + "</string>\n";
    if (!options->extended_serial.empty())
      plist += "\t<key>SerialNumber</key>\n\t<string>" + options->extended_serial + "</string>\n";
    plist += "</dict>\n</plist>\n";
    if (!WriteBytes(device + "/SysInfoExtended", plist))
      return Fail(error, "cannot write SysInfoExtended");
  }
  GError* gerror = nullptr;
  if (!itdb_init_ipod(root.c_str(), options->model.c_str(), options->name.c_str(), &gerror))
    return Fail(error, "itdb_init_ipod", gerror);
  std::unique_ptr<Itdb_iTunesDB, ItdbFree> itdb(itdb_parse(root.c_str(), &gerror));
  if (itdb == nullptr) return Fail(error, "itdb_parse", gerror);

  const std::string work = root + "/.fixture-work";
  if (!MakeFolders(work)) return Fail(error, "cannot make " + work);
  std::vector<Itdb_Track*> added;
  int tone = 0;
  for (IpodTrack& wanted : options->tracks) {
    Itdb_Track* track = itdb_track_new();
    track->title = g_strdup(wanted.title.c_str());
    track->artist = g_strdup(wanted.artist.c_str());
    track->album = g_strdup(wanted.album.c_str());
    track->genre = g_strdup(wanted.genre.c_str());
    track->filetype = g_strdup("WAV audio file");
    track->mediatype = wanted.mediatype;
    track->tracklen = static_cast<gint32>(wanted.time_ms);
    itdb_track_add(itdb.get(), track, -1);
    itdb_playlist_add_track(itdb_playlist_mpl(itdb.get()), track, -1);
    added.push_back(track);
    if (!wanted.on_ipod) continue;
    wanted.content = MakeWav(wanted.time_ms, tone++);
    const std::string local = work + "/track.wav";
    if (!WriteBytes(local, wanted.content)) return Fail(error, "cannot write " + local);
    track->size = static_cast<guint32>(wanted.content.size());
    if (!itdb_cp_track_to_ipod(track, local.c_str(), &gerror))
      return Fail(error, "itdb_cp_track_to_ipod", gerror);
    wanted.size = wanted.content.size();
    wanted.path = track->ipod_path;
    for (char& c : wanted.path)
      if (c == ':') c = '/';
  }
  for (const IpodPlaylist& wanted : options->playlists) {
    Itdb_Playlist* playlist = itdb_playlist_new(wanted.name.c_str(), FALSE);
    if (wanted.podcasts) itdb_playlist_set_podcasts(playlist);
    itdb_playlist_add(itdb.get(), playlist, -1);
    for (size_t index : wanted.tracks)
      if (index < added.size()) itdb_playlist_add_track(playlist, added[index], -1);
  }
  if (!itdb_write(itdb.get(), &gerror)) return Fail(error, "itdb_write", gerror);

  if (!options->photos.empty()) {
    std::unique_ptr<Itdb_PhotoDB, PhotoDbFree> photodb(itdb_photodb_create(root.c_str()));
    std::vector<Itdb_Artwork*> artworks;
    for (size_t i = 0; i < options->photos.size(); ++i) {
      IpodPhoto& photo = options->photos[i];
      photo.content = MakeJpeg(photo.width, photo.height, 0x2080c0ff + 0x30000000u * i);
      const std::string local = work + "/photo" + std::to_string(i) + ".jpg";
      if (!WriteBytes(local, photo.content)) return Fail(error, "cannot write " + local);
      Itdb_Artwork* artwork = itdb_photodb_add_photo(photodb.get(), local.c_str(), -1, 0, &gerror);
      if (artwork == nullptr) return Fail(error, "itdb_photodb_add_photo", gerror);
      artwork->digitized_date = kPhotoTakenAt;
      artworks.push_back(artwork);
    }
    if (!itdb_photodb_write(photodb.get(), &gerror)) return Fail(error, "itdb_photodb_write", gerror);
    for (size_t i = 0; i < options->photos.size(); ++i) {
      IpodPhoto& photo = options->photos[i];
      photo.id = artworks[i]->id;
      GdkPixbuf* largest =
          static_cast<GdkPixbuf*>(itdb_artwork_get_pixbuf(photodb->device, artworks[i], -1, -1));
      if (largest == nullptr) return Fail(error, "no thumbnail made");
      photo.thumb_width = gdk_pixbuf_get_width(largest);
      photo.thumb_height = gdk_pixbuf_get_height(largest);
      g_object_unref(largest);
      if (!photo.full_resolution) {
        photo.content.clear();
        continue;
      }
      const std::string name = "IMG_" + std::to_string(1000 + i) + ".JPG";
      const std::string folder = root + "/Photos/Full Resolution/2024/03/04";
      if (!MakeFolders(folder) || !WriteBytes(folder + "/" + name, photo.content))
        return Fail(error, "cannot write the full-resolution photo");
      photo.path = "/Photos/Full Resolution/2024/03/04/" + name;
      gchar* database = itdb_get_photodb_path(root.c_str());
      const bool added_full =
          database != nullptr &&
          AddFullResolution(database, photo.id, ":Full Resolution:2024:03:04:" + name,
                            static_cast<uint32_t>(photo.content.size()), photo.width, photo.height);
      g_free(database);
      if (!added_full) return Fail(error, "cannot add the full-resolution record");
    }
  }
  remove((work + "/track.wav").c_str());
  for (size_t i = 0; i < options->photos.size(); ++i)
    remove((work + "/photo" + std::to_string(i) + ".jpg").c_str());
  rmdir(work.c_str());
  return true;
}

}  // namespace testsupport
