// What a classic iPod (or nano, shuffle) mounted as a disk holds, read
// with libgpod: its music database into the device library's lists and
// information, and its photo database into Photos. Nothing on the iPod is
// ever written.
#ifndef PORTIVA_MAKERLIB_IPOD_DATABASE_H
#define PORTIVA_MAKERLIB_IPOD_DATABASE_H

#include <plist/plist.h>
#include <stdint.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "media_partition.h"
#include "pod_device_service.h"
#include "transport.h"

struct _Itdb_PhotoDB;
struct _Itdb_Artwork;

namespace makerlib {

// The folder holds an iPod's music database (iTunesDB or iTunesCDB).
bool HoldsIpodDatabase(const std::string& mount_point);

// The iPod's FireWire GUID in upper-case hex ("000A27001A2B3C4D"), from
// SysInfoExtended or else SysInfo; empty when neither names one.
std::string IpodFirewireGuid(const std::string& mount_point);

// Bytes the largest thumbnail of a photo may take before it is refused:
// libgpod reads a thumbnail whole, and the biggest any model stores is well
// under a megabyte.
constexpr uint64_t kMaxThumbnailBytes = 16u << 20;

// What the photo database says about one photo beyond what libgpod reads.
struct PhotoFacts {
  std::string full_resolution;  // its name in the database (":Full Resolution:..."), if any
  uint64_t largest_area = 0;    // pixels of the largest stored thumbnail
  uint64_t largest_bytes = 0;   // and the bytes it takes
  bool oversized = false;       // some thumbnail claims more than kMaxThumbnailBytes
  // Seconds since 1970 when it was taken, else when its file was made; 0
  // when not known. libgpod reads these dates as signed and gets them wrong.
  int64_t time = 0;
};

// Reads the records of a photo database file (little-endian, as iPods
// write it) by image id. False when the bytes are no such database.
bool ScanPhotoDatabase(const std::string& data, std::map<uint32_t, PhotoFacts>* facts);

class IpodLibrary {
 public:
  // Reads the databases of the iPod mounted at mount_point (a real path);
  // transport is rooted there and only looks at files. Null when the music
  // database cannot be read.
  static std::unique_ptr<IpodLibrary> Read(const std::string& mount_point, Transport* transport);
  ~IpodLibrary();
  IpodLibrary(const IpodLibrary&) = delete;
  IpodLibrary& operator=(const IpodLibrary&) = delete;

  const MediaLists& lists() const { return lists_; }
  plist_t info() const { return info_; }

  // A photo kept only as thumbnails is listed under a path of its own
  // ending in ".png"; exporting it writes its largest thumbnail as PNG, by
  // the same rules as any export (never replaces, nothing partial left).
  bool IsThumbnailPhoto(const std::string& device_path) const;
  int ExportThumbnailPhoto(const std::string& device_path, const std::string& local_path,
                           PodExportCallback callback, const std::atomic<bool>* stop) const;

 private:
  IpodLibrary() = default;

  MediaLists lists_;
  plist_t info_ = nullptr;
  _Itdb_PhotoDB* photodb_ = nullptr;
  std::map<std::string, _Itdb_Artwork*> thumbnail_photos_;
  // libgpod keeps no locks of its own.
  mutable std::mutex render_mutex_;
};

}  // namespace makerlib

#endif
