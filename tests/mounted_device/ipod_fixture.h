// A classic iPod written by libgpod itself into a folder: an empty iPod
// set up as iTunes would, tracks of every media type with small real WAV
// files, user playlists and a podcasts playlist, and a photo database
// whose first photo also has its full-resolution file. What was written is
// described, so that tests can compare what they read with it.
#ifndef PORTIVA_TESTS_MOUNTED_DEVICE_IPOD_FIXTURE_H
#define PORTIVA_TESTS_MOUNTED_DEVICE_IPOD_FIXTURE_H

#include <stdint.h>

#include <string>
#include <vector>

namespace testsupport {

struct IpodTrack {
  std::string title, artist, album, genre;
  uint32_t mediatype = 1;  // libgpod's ITDB_MEDIATYPE_ bits
  uint32_t time_ms = 0;
  bool on_ipod = true;      // false: in the database, but its file never copied
  // Set by WriteIpod:
  std::string path;  // device path, "/iPod_Control/Music/F12/libgpod123456.wav"
  uint64_t size = 0;
  std::string content;
};

struct IpodPlaylist {
  std::string name;
  std::vector<size_t> tracks;  // indexes into IpodOptions::tracks
  bool podcasts = false;       // the iPod's own podcasts playlist
};

// When the fixture's photos were taken (2024-03-04 10:20:30 UTC).
constexpr long kPhotoTakenAt = 1709547630;

struct IpodPhoto {
  int width = 0, height = 0;   // of the picture put on the iPod
  bool full_resolution = false;  // its original file is kept too
  // Set by WriteIpod:
  uint32_t id = 0;
  std::string path;     // the full-resolution file's device path, or empty
  std::string content;  // that file's bytes
  int thumb_width = 0, thumb_height = 0;  // the largest thumbnail libgpod made
};

struct IpodOptions {
  std::string model = "MB029";  // iPod Classic 80 GB
  std::string name = "Test iPod";
  // Written into SysInfo before the iPod is set up; a Classic or a nano of
  // the third generation on needs one for its database checksum.
  std::string sysinfo_guid = "0x000A27001A2B3C4D";
  // SysInfoExtended with these, when not empty.
  std::string extended_guid, extended_serial;
  std::string sysinfo_extra;  // more SysInfo lines
  std::vector<IpodTrack> tracks;
  std::vector<IpodPlaylist> playlists;
  std::vector<IpodPhoto> photos;
};

// Tracks of every media type, each titled after its kind, and playlists
// over them.
std::vector<IpodTrack> EveryKindOfTrack();
std::vector<IpodPlaylist> SomePlaylists();
std::vector<IpodPhoto> TwoPhotos();  // the first with its full-resolution file

// Writes the iPod into root (created if missing) and fills in what the
// options leave to it. False with a reason when something failed.
bool WriteIpod(const std::string& root, IpodOptions* options, std::string* error);

// A small real WAV file (mono, 8 kHz) of the given length.
std::string MakeWav(uint32_t time_ms, int tone);

}  // namespace testsupport

#endif
