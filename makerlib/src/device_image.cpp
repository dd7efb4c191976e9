#include "device_image.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
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

FileText::~FileText() { Release(); }

void FileText::Release() {
  if (mapped_ != 0) munmap(data_, mapped_);
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
}

bool FileText::Map(size_t capacity) {
  Release();
  void* map = mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (map == MAP_FAILED) return false;
  data_ = static_cast<char*>(map);
  mapped_ = capacity;
  return true;
}

bool FileText::Read(int fd, uint64_t max_size) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<uint64_t>(st.st_size) > max_size)
    return false;
  // One byte more than the size, so that a file that grew is noticed.
  const size_t capacity = static_cast<size_t>(st.st_size) + 1;
  if (!Map(capacity)) return false;
  for (;;) {
    ssize_t n = read(fd, data_ + size_, capacity - size_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || size_ + static_cast<size_t>(n) == capacity) {
      Release();
      return false;
    }
    if (n == 0) return true;
    size_ += static_cast<size_t>(n);
  }
}

bool FileText::ReadAt(int fd, uint64_t offset, size_t size) {
  if (size == 0 || !Map(size)) return false;
  while (size_ < size) {
    ssize_t n = pread(fd, data_ + size_, size - size_,
                      static_cast<off_t>(offset + size_));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Release();
      return false;
    }
    size_ += static_cast<size_t>(n);
  }
  return true;
}

namespace {

plist_t ParseXml(const char* data, size_t size) {
  if (size == 0 || size > UINT32_MAX) return nullptr;
  plist_t node = nullptr;
  plist_from_xml(data, static_cast<uint32_t>(size), &node);
  return node;
}

}  // namespace

bool ParseDescription(std::string_view xml, Description* description) {
  RootDict root;
  if (!ScanRootDict(xml, "Lists", &root)) return false;
  ListSpans lists;
  std::string without_lists;
  std::string_view text = xml;
  if (root.has_inner) {
    for (const DictEntry& entry : root.inner_entries) {
      if (entry.value_element == "dict" || entry.value_element == "array")
        lists[entry.key] = entry.value;
      else
        lists.erase(entry.key);  // the last of repeated keys counts
    }
    without_lists.reserve(xml.size() - root.inner.size() + 7);
    without_lists.append(xml.substr(0, root.inner.begin));
    without_lists.append("<dict/>");
    without_lists.append(xml.substr(root.inner.end));
    text = without_lists;
  }
  PlistTree head(ParseXml(text.data(), text.size()));
  ImageSettings settings;
  if (head.get() == nullptr || !ExtractSettings(head.get(), &settings))
    return false;
  description->has_info = false;
  for (const DictEntry& entry : root.entries) {
    if (entry.key == "Info") {
      description->has_info = entry.value_element == "dict";
      description->info = entry.value;
    }
  }
  description->settings = std::move(settings);
  description->lists = std::move(lists);
  return true;
}

plist_t ParseList(const char* element, size_t size) {
  plist_t node = ParseXml(element, size);
  if (node == nullptr) return nullptr;
  const plist_type type = plist_get_node_type(node);
  if (type == PLIST_DICT || type == PLIST_ARRAY) return node;
  plist_free(node);
  return nullptr;
}

plist_t ParseInfo(const char* element, size_t size) {
  plist_t node = ParseXml(element, size);
  if (node == nullptr || plist_get_node_type(node) == PLIST_DICT) return node;
  plist_free(node);
  return nullptr;
}

namespace {

// A string with a NUL byte inside is no usable value (and would make
// plist_get_string_val assert).
bool StringValue(plist_t node, std::string* out) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return false;
  uint64_t length = 0;
  const char* value = plist_get_string_ptr(node, &length);
  if (value == nullptr || memchr(value, '\0', static_cast<size_t>(length)))
    return false;
  out->assign(value, static_cast<size_t>(length));
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
  // A type that cannot be read is not taken for "usb": a damaged "path"
  // would then be opened as another kind of device.
  plist_t type_node = plist_dict_get_item(description, "ConnectionType");
  if (type_node != nullptr && plist_get_node_type(type_node) == PLIST_STRING) {
    std::string type;
    if (!StringValue(type_node, &type)) return false;
    if (!type.empty()) result.connection_type = type;
  }
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

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino &&
         a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

namespace {

struct CacheEntry {
  struct stat identity = {};
  bool valid = false;
  Description description;
};

std::mutex g_cache_mutex;
std::map<std::string, CacheEntry>* g_cache = nullptr;  // never destroyed

// With g_cache_mutex held: the cache entry of folder, read again from fd when
// the file is not the one remembered. A file rewritten while it was read is
// not remembered; its entry is then the caller's scratch.
const CacheEntry* FindOrRead(const std::string& folder, int fd,
                             CacheEntry* scratch) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  if (g_cache == nullptr) g_cache = new std::map<std::string, CacheEntry>();
  // One entry per folder however it is named: enumeration uses the names of
  // the environment, opening the real path.
  char* real = realpath(folder.c_str(), nullptr);
  const std::string key = real != nullptr ? real : folder;
  free(real);
  auto it = g_cache->find(key);
  if (it != g_cache->end() && SameFile(it->second.identity, st)) return &it->second;

  FileText xml;
  struct stat after;
  scratch->identity = st;
  scratch->valid = xml.Read(fd) && ParseDescription(xml.view(), &scratch->description);
  if (fstat(fd, &after) != 0 || !SameFile(after, st)) {
    if (it != g_cache->end()) g_cache->erase(it);
    return scratch;
  }
  if (!scratch->valid) scratch->description = Description();
  return &g_cache->insert_or_assign(key, std::move(*scratch)).first->second;
}

}  // namespace

bool LookupImage(const std::string& folder, int fd, Description* description,
                 struct stat* identity) {
  std::lock_guard<std::mutex> lock(g_cache_mutex);
  CacheEntry scratch;
  const CacheEntry* entry = FindOrRead(folder, fd, &scratch);
  if (entry == nullptr || !entry->valid) return false;
  *description = entry->description;
  *identity = entry->identity;
  return true;
}

bool LookupImage(const std::string& folder, ImageSettings* settings) {
  int fd = open((folder + "/device.plist").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool valid = false;
  {
    std::lock_guard<std::mutex> lock(g_cache_mutex);
    CacheEntry scratch;
    const CacheEntry* entry = FindOrRead(folder, fd, &scratch);
    valid = entry != nullptr && entry->valid;
    if (valid) *settings = entry->description.settings;
  }
  close(fd);
  return valid;
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
