// Finds the parts of an XML property list without building its nodes, so
// that a large description can be parsed one piece at a time.
#ifndef PORTIVA_MAKERLIB_PLIST_SCAN_H
#define PORTIVA_MAKERLIB_PLIST_SCAN_H

#include <stddef.h>

#include <string>
#include <string_view>
#include <vector>

namespace makerlib {

// Bytes [begin, end) of a text.
struct TextSpan {
  size_t begin = 0;
  size_t end = 0;
  size_t size() const { return end - begin; }
};

// One entry of a dict element: its decoded key and the whole element of its
// value, from the "<" that opens it to the ">" that closes it.
struct DictEntry {
  std::string key;
  std::string value_element;  // "dict", "array", "string", ...
  TextSpan value;
};

// The root dict of a property list document (inside <plist>, or bare), split
// into its entries in one pass. The value of the entry inner_key, when it is
// a dict, is split into its entries as well; of repeated keys the last counts,
// as with the parser.
struct RootDict {
  std::vector<DictEntry> entries;
  bool has_inner = false;
  TextSpan inner;
  std::vector<DictEntry> inner_entries;
};

// False when the root value is no dict, its markup or that of the inner dict
// is broken, one of them holds text, or an entry is not a key and a value.
bool ScanRootDict(std::string_view xml, std::string_view inner_key, RootDict* root);

}  // namespace makerlib

#endif
