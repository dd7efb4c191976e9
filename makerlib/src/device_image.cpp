#include "device_image.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

namespace makerlib {

PlistTree& PlistTree::operator=(PlistTree&& other) noexcept {
  if (this != &other) {
    Reset(other.node_);
    other.node_ = nullptr;
  }
  return *this;
}

void PlistTree::Reset(plist_t node) {
  if (node_ != nullptr) plist_free(node_);
  node_ = node;
}

std::vector<std::string> ImageFoldersFromEnvironment() {
  std::vector<std::string> folders;
  const char* value = getenv("PORTIVA_DEVICE_IMAGES");
  if (value == nullptr) return folders;
  std::string list(value);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) folders.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

bool ReadWholeFile(const std::string& path, std::string* content,
                   uint64_t max_size) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<uint64_t>(st.st_size) > max_size) {
    close(fd);
    return false;
  }
  content->clear();
  content->reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return false;
    }
    if (n == 0) break;
    if (content->size() + static_cast<size_t>(n) > max_size) {
      close(fd);
      return false;
    }
    content->append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

bool ParseDescription(const std::string& xml, PlistTree* tree) {
  if (xml.empty() || xml.size() > UINT32_MAX) return false;
  plist_t node = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &node);
  if (node == nullptr) return false;
  if (plist_get_node_type(node) != PLIST_DICT) {
    plist_free(node);
    return false;
  }
  tree->Reset(node);
  return true;
}

namespace {

bool StringValue(plist_t node, std::string* out) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return false;
  char* value = nullptr;
  plist_get_string_val(node, &value);
  if (value == nullptr) return false;
  out->assign(value);
  free(value);
  return true;
}

// The identifier names the caller's work and cache folders, so it must be a
// plain file name.
bool ValidIdentifier(const std::string& id) {
  if (id.empty() || id == "." || id == "..") return false;
  for (char c : id) {
    bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
              (c >= 'A' && c <= 'Z') || c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

bool ExtractSettings(plist_t description, ImageSettings* settings) {
  if (description == nullptr || plist_get_node_type(description) != PLIST_DICT)
    return false;
  ImageSettings result;
  if (!StringValue(plist_dict_get_item(description, "Identifier"),
                   &result.identifier) ||
      !ValidIdentifier(result.identifier))
    return false;
  std::string type;
  if (StringValue(plist_dict_get_item(description, "ConnectionType"), &type) &&
      !type.empty())
    result.connection_type = type;
  plist_t node = plist_dict_get_item(description, "InitStatus");
  if (node != nullptr && plist_get_node_type(node) == PLIST_UINT) {
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    // Negative integers arrive as their two's complement.
    result.init_status = static_cast<int>(static_cast<int64_t>(value));
  }
  node = plist_dict_get_item(description, "ThrottleBytesPerSecond");
  if (node != nullptr && plist_get_node_type(node) == PLIST_UINT) {
    plist_get_uint_val(node, &result.throttle_bytes_per_second);
  }
  node = plist_dict_get_item(description, "FailingFiles");
  if (node != nullptr && plist_get_node_type(node) == PLIST_ARRAY) {
    uint32_t count = plist_array_get_size(node);
    for (uint32_t i = 0; i < count; ++i) {
      std::string path, normalised;
      if (StringValue(plist_array_get_item(node, i), &path) &&
          NormaliseDevicePath(path.c_str(), &normalised))
        result.failing_files.push_back(normalised);
    }
  }
  *settings = std::move(result);
  return true;
}

namespace {

struct CacheEntry {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  struct timespec mtime = {};
  struct timespec ctime = {};
  bool valid = false;
  ImageSettings settings;
};

bool SameFile(const CacheEntry& entry, const struct stat& st) {
  return entry.dev == st.st_dev && entry.ino == st.st_ino &&
         entry.size == st.st_size && entry.mtime.tv_sec == st.st_mtim.tv_sec &&
         entry.mtime.tv_nsec == st.st_mtim.tv_nsec &&
         entry.ctime.tv_sec == st.st_ctim.tv_sec &&
         entry.ctime.tv_nsec == st.st_ctim.tv_nsec;
}

std::mutex g_cache_mutex;
std::map<std::string, CacheEntry>* g_cache = nullptr;  // never destroyed

}  // namespace

bool LookupImage(const std::string& folder, ImageSettings* settings) {
  const std::string path = folder + "/device.plist";
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;

  std::lock_guard<std::mutex> lock(g_cache_mutex);
  if (g_cache == nullptr) g_cache = new std::map<std::string, CacheEntry>();
  auto it = g_cache->find(folder);
  if (it != g_cache->end() && SameFile(it->second, st)) {
    if (it->second.valid) *settings = it->second.settings;
    return it->second.valid;
  }

  CacheEntry entry;
  std::string xml;
  PlistTree tree;
  struct stat after;
  if (!ReadWholeFile(path, &xml) || !ParseDescription(xml, &tree) ||
      stat(path.c_str(), &after) != 0) {
    if (it != g_cache->end()) g_cache->erase(it);
    return false;
  }
  entry.dev = after.st_dev;
  entry.ino = after.st_ino;
  entry.size = after.st_size;
  entry.mtime = after.st_mtim;
  entry.ctime = after.st_ctim;
  entry.valid = ExtractSettings(tree.get(), &entry.settings);
  // A file rewritten while it was read is not remembered.
  if (SameFile(entry, st)) (*g_cache)[folder] = entry;
  if (entry.valid) *settings = entry.settings;
  return entry.valid;
}

bool NormaliseDevicePath(const char* device_path, std::string* normalised) {
  if (device_path == nullptr || device_path[0] != '/') return false;
  std::string result;
  const char* p = device_path;
  while (*p != '\0') {
    while (*p == '/') ++p;
    const char* start = p;
    while (*p != '\0' && *p != '/') ++p;
    size_t length = static_cast<size_t>(p - start);
    if (length == 0 || (length == 1 && start[0] == '.')) continue;
    if (length == 2 && start[0] == '.' && start[1] == '.') return false;
    result.push_back('/');
    result.append(start, length);
  }
  if (result.empty()) result = "/";
  *normalised = std::move(result);
  return true;
}

bool IsInside(const std::string& root_real, const std::string& real_path) {
  if (real_path.compare(0, root_real.size(), root_real) != 0) return false;
  if (real_path.size() == root_real.size()) return true;
  return root_real == "/" || real_path[root_real.size()] == '/';
}

namespace {

bool RealPath(const std::string& path, std::string* out) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return false;
  out->assign(resolved);
  free(resolved);
  return true;
}

}  // namespace

bool ResolveDevicePath(const std::string& folder, const char* device_path,
                       std::string* normalised, std::string* real_path) {
  std::string canonical;
  if (!NormaliseDevicePath(device_path, &canonical)) return false;
  std::string files_real, resolved;
  if (!RealPath(folder + "/files", &files_real)) return false;
  const std::string joined =
      canonical == "/" ? folder + "/files" : folder + "/files" + canonical;
  if (!RealPath(joined, &resolved) || !IsInside(files_real, resolved))
    return false;
  if (normalised != nullptr) *normalised = std::move(canonical);
  *real_path = std::move(resolved);
  return true;
}

}  // namespace makerlib
