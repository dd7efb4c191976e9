// Device images: folders that stand for connected handhelds (IMAGE_FORMAT.md).
#ifndef PORTIVA_MAKERLIB_DEVICE_IMAGE_H
#define PORTIVA_MAKERLIB_DEVICE_IMAGE_H

#include <plist/plist.h>
#include <stdint.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "plist_scan.h"

namespace makerlib {

// The plain values of one description.
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
  // Hands the node to the caller.
  plist_t Release() {
    plist_t node = node_;
    node_ = nullptr;
    return node;
  }

 private:
  plist_t node_ = nullptr;
};

// The folders named by PORTIVA_DEVICE_IMAGES, read now; empty entries dropped.
std::vector<std::string> ImageFoldersFromEnvironment();

// Text read from an open file: its whole content from where it stands, up to
// max_size bytes, or one piece of it. It is held in memory mapped for it
// alone: the pages of a large description come in one go, and freeing them
// gives them back at once.
class FileText {
 public:
  FileText() = default;
  ~FileText();
  FileText(const FileText&) = delete;
  FileText& operator=(const FileText&) = delete;

  bool Read(int fd, uint64_t max_size = UINT32_MAX);
  // Exactly size bytes from offset on.
  bool ReadAt(int fd, uint64_t offset, size_t size);
  std::string_view view() const { return std::string_view(data_, size_); }

 private:
  bool Map(size_t capacity);
  void Release();
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;
};

// Where the media lists of a description lie in its text: each key under
// "Lists" whose value is a dict or an array, to that whole element.
using ListSpans = std::map<std::string, TextSpan>;

// A valid description: its settings, and where its information dictionary
// and media lists lie. Those are parsed afresh whenever they are asked for,
// so that the caller's node is the only parsed copy (the lists are most of a
// large description) and no copy is made: plist_copy would cut a string at a
// NUL byte inside it but keep its length.
struct Description {
  ImageSettings settings;
  bool has_info = false;  // "Info" is a dict element
  TextSpan info;
  ListSpans lists;
};

// False unless xml is a valid description.
bool ParseDescription(std::string_view xml, Description* description);

// One list from its element's text; null unless it is a dict or an array.
plist_t ParseList(const char* element, size_t size);
// The information dictionary from its element's text; null unless a dict.
plist_t ParseInfo(const char* element, size_t size);

// Settings of a parsed description; false when it is not a valid one.
bool ExtractSettings(plist_t description, ImageSettings* settings);

// The description of the image in folder, read from fd, its open
// description file. A cache checked against the file's identity on every
// call spares enumeration, binding and opening a second read of a large
// description. identity gets that of the file the description belongs to.
// False when the file holds no valid description.
bool LookupImage(const std::string& folder, int fd, Description* description,
                 struct stat* identity);
// Settings of the image in folder, through the same cache.
bool LookupImage(const std::string& folder, ImageSettings* settings);

// Same file, same size, same times.
bool SameFile(const struct stat& a, const struct stat& b);

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
