// Device images: folders that stand for connected handhelds (IMAGE_FORMAT.md).
#ifndef PORTIVA_MAKERLIB_DEVICE_IMAGE_H
#define PORTIVA_MAKERLIB_DEVICE_IMAGE_H

#include <plist/plist.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace makerlib {

// The plain values of one description; the media lists stay in the tree.
struct ImageSettings {
  std::string identifier;
  std::string connection_type = "usb";
  int init_status = 0;
  uint64_t throttle_bytes_per_second = 0;
  std::vector<std::string> failing_files;  // normalised device paths
};

// Owns one parsed description.
class PlistTree {
 public:
  PlistTree() = default;
  explicit PlistTree(plist_t node) : node_(node) {}
  ~PlistTree() { Reset(); }
  PlistTree(const PlistTree&) = delete;
  PlistTree& operator=(const PlistTree&) = delete;
  PlistTree(PlistTree&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }
  PlistTree& operator=(PlistTree&& other) noexcept;

  plist_t get() const { return node_; }
  void Reset(plist_t node = nullptr);

 private:
  plist_t node_ = nullptr;
};

// The folders named by PORTIVA_DEVICE_IMAGES, read now; empty entries dropped.
std::vector<std::string> ImageFoldersFromEnvironment();

// Whole content of a file, up to max_size bytes.
bool ReadWholeFile(const std::string& path, std::string* content,
                   uint64_t max_size = UINT32_MAX);

// Parses an XML description; false unless it is a dictionary.
bool ParseDescription(const std::string& xml, PlistTree* tree);

// Settings of a parsed description; false when it is not a valid one.
bool ExtractSettings(plist_t description, ImageSettings* settings);

// Settings of the image in folder, from a cache that is checked against the
// description file's identity on every call, so enumeration and binding do
// not parse a large description again. False when the folder holds no valid
// image.
bool LookupImage(const std::string& folder, ImageSettings* settings);

// Device path to its canonical form ("/a/b"): false unless it is absolute and
// free of ".." components. Empty and "." components are dropped.
bool NormaliseDevicePath(const char* device_path, std::string* normalised);

// Real path of a device path inside <folder>/files; false when the path is
// not acceptable, does not exist or leads outside the files folder.
bool ResolveDevicePath(const std::string& folder, const char* device_path,
                       std::string* normalised, std::string* real_path);

// True when real_path is root_real or lies below it.
bool IsInside(const std::string& root_real, const std::string& real_path);

}  // namespace makerlib

#endif
