// Helpers for the maker library tests: temporary folders, files and images.
#ifndef PORTIVA_TESTS_MAKERLIB_TEST_SUPPORT_H
#define PORTIVA_TESTS_MAKERLIB_TEST_SUPPORT_H

#include <ftw.h>
#include <plist/plist.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace makerlib_test {

class TempDir {
 public:
  TempDir() {
    const char* base = getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") +
        "/makerlib-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~TempDir() {
    if (!path_.empty())
      nftw(path_.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const {
    return path_ + "/" + name;
  }

 private:
  static int Remove(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
  }
  std::string path_;
};

inline bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Creates the parent folders as needed.
inline void MakeDirs(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
  }
}

inline void WriteFile(const std::string& path, const std::string& content) {
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) MakeDirs(path.substr(0, slash));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// Bytes that are not all alike, so a shifted or repeated chunk shows.
inline std::string Pattern(size_t size, unsigned seed = 1) {
  std::string data(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    data[i] = static_cast<char>(x >> 24);
  }
  return data;
}

inline std::string ToXml(plist_t node) {
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(node, &xml, &length);
  std::string result(xml != nullptr ? xml : "", length);
  plist_to_xml_free(xml);
  return result;
}

inline void WritePlist(const std::string& path, plist_t node) {
  WriteFile(path, ToXml(node));
}

// The bytes of a string node, all of them: a NUL inside is kept (and
// plist_get_string_val would assert on it).
inline std::string StringOf(plist_t node) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return "";
  uint64_t length = 0;
  const char* value = plist_get_string_ptr(node, &length);
  return value != nullptr ? std::string(value, static_cast<size_t>(length)) : "";
}

// A flat list whose single item names the list, so that a list served under
// the wrong operation is noticed.
inline plist_t FlatList(const std::string& marker) {
  plist_t item = plist_new_dict();
  plist_dict_set_item(item, "title", plist_new_string(marker.c_str()));
  plist_dict_set_item(item, "path",
                      plist_new_string(("/iTunes_Control/" + marker).c_str()));
  plist_dict_set_item(item, "size", plist_new_uint(1000));
  plist_t items = plist_new_array();
  plist_array_append_item(items, item);
  plist_t list = plist_new_dict();
  plist_dict_set_item(list, "item", items);
  plist_dict_set_item(list, "number", plist_new_uint(1));
  return list;
}

inline plist_t GroupedList(const std::string& name_key, const std::string& marker) {
  plist_t group = plist_new_dict();
  plist_dict_set_item(group, name_key.c_str(), plist_new_string(marker.c_str()));
  plist_dict_set_item(group, "number", plist_new_uint(0));
  plist_dict_set_item(group, "item", plist_new_array());
  plist_t list = plist_new_array();
  plist_array_append_item(list, group);
  return list;
}

}  // namespace makerlib_test

#endif
