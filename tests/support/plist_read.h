// Reading the device library's records back in tests.
#ifndef PORTIVA_TESTS_SUPPORT_PLIST_READ_H
#define PORTIVA_TESTS_SUPPORT_PLIST_READ_H

#include <gtest/gtest.h>
#include <plist/plist.h>
#include <stdint.h>
#include <stdlib.h>

#include <set>
#include <string>

namespace testsupport {

// The keys of a dictionary.
inline std::set<std::string> Keys(plist_t dict) {
  std::set<std::string> keys;
  plist_dict_iter it = nullptr;
  plist_dict_new_iter(dict, &it);
  for (;;) {
    char* key = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(dict, it, &key, &value);
    if (key == nullptr) break;
    keys.insert(key);
    free(key);
  }
  free(it);
  return keys;
}

// A string entry; "<no key>" when there is none, so that it never equals
// an expected value.
inline std::string Str(plist_t dict, const char* key) {
  plist_t node = dict != nullptr ? plist_dict_get_item(dict, key) : nullptr;
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING)
    return "<no " + std::string(key) + ">";
  char* value = nullptr;
  plist_get_string_val(node, &value);
  std::string out = value != nullptr ? value : "";
  free(value);
  return out;
}

// An unsigned entry; a missing one fails the test and reads as 0.
inline uint64_t Num(plist_t dict, const char* key) {
  plist_t node = dict != nullptr ? plist_dict_get_item(dict, key) : nullptr;
  EXPECT_TRUE(node != nullptr && plist_get_node_type(node) == PLIST_UINT) << key;
  uint64_t value = 0;
  if (node != nullptr && plist_get_node_type(node) == PLIST_UINT) plist_get_uint_val(node, &value);
  return value;
}

}  // namespace testsupport

#endif
