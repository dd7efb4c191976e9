#include "device/device_record.h"

#include <cstdint>
#include <cstring>

namespace record {

plist_t Get(plist_t dict, const char* key) {
  if (!dict || plist_get_node_type(dict) != PLIST_DICT) return nullptr;
  return plist_dict_get_item(dict, key);
}

bool Has(plist_t dict, const char* key) { return Get(dict, key) != nullptr; }

namespace {

// One UTF-8 sequence (RFC 3629: no overlong forms, no surrogates, nothing
// above U+10FFFF). A bad one is as long as its longest start that could
// still have become a good one, and at least one byte.
struct Utf8Step {
  size_t length;
  bool valid;
  wxUint32 code;
};

Utf8Step NextUtf8(const unsigned char* p, size_t left) {
  const unsigned char lead = p[0];
  if (lead < 0x80) return {1, true, lead};
  size_t follow;
  unsigned char low = 0x80, high = 0xbf;
  wxUint32 code;
  if (lead >= 0xc2 && lead <= 0xdf) {
    follow = 1;
    code = lead & 0x1f;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    follow = 2;
    code = lead & 0x0f;
    if (lead == 0xe0) low = 0xa0;   // overlong
    if (lead == 0xed) high = 0x9f;  // surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    follow = 3;
    code = lead & 0x07;
    if (lead == 0xf0) low = 0x90;   // overlong
    if (lead == 0xf4) high = 0x8f;  // above U+10FFFF
  } else {
    return {1, false, 0};
  }
  for (size_t i = 1; i <= follow; ++i) {
    if (i >= left || p[i] < low || p[i] > high) return {i, false, 0};
    low = 0x80;
    high = 0xbf;
    code = (code << 6) | (p[i] & 0x3f);
  }
  return {follow + 1, true, code};
}

// wxString::FromUTF8 lets surrogates, some overlong forms and code points
// above U+10FFFF through, so the text is checked first.
bool IsWellFormedUtf8(const char* text, size_t length) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < length;) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    Utf8Step step = NextUtf8(p + i, length - i);
    if (!step.valid) return false;
    i += step.length;
  }
  return true;
}

// Each bad sequence becomes one U+FFFD.
wxString DecodeReplacing(const char* text, size_t length) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  wxString result;
  result.reserve(length);
  for (size_t i = 0; i < length;) {
    Utf8Step step = NextUtf8(p + i, length - i);
    result += wxUniChar(step.valid ? step.code : 0xfffd);
    i += step.length;
  }
  return result;
}

}  // namespace

TextState ReadText(plist_t node, wxString* text) {
  text->clear();
  if (!node || plist_get_node_type(node) != PLIST_STRING)
    return TextState::kNotText;
  // The node's own buffer: no copy per cell. plist_get_string_val would also
  // assert on a string holding a NUL byte.
  uint64_t length = 0;
  const char* value = plist_get_string_ptr(node, &length);
  if (!value) return TextState::kNotText;
  const size_t size = static_cast<size_t>(length);
  // A NUL byte inside means a damaged value; it reads as a missing one.
  if (std::memchr(value, '\0', size)) return TextState::kDamaged;
  if (IsWellFormedUtf8(value, size)) {
    *text = wxString::FromUTF8(value, size);
    return TextState::kClean;
  }
  *text = DecodeReplacing(value, size);
  return TextState::kReplaced;
}

wxString StringValue(plist_t node) {
  wxString text;
  ReadText(node, &text);
  return text;
}

uint64_t UIntValue(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_UINT) return 0;
  uint64_t value = 0;
  plist_get_uint_val(node, &value);
  return value;
}

wxString String(plist_t dict, const char* key) {
  return StringValue(Get(dict, key));
}

uint64_t UInt(plist_t dict, const char* key) { return UIntValue(Get(dict, key)); }

plist_t Dict(plist_t dict, const char* key) {
  plist_t node = Get(dict, key);
  return node && plist_get_node_type(node) == PLIST_DICT ? node : nullptr;
}

plist_t Array(plist_t dict, const char* key) {
  plist_t node = Get(dict, key);
  return node && plist_get_node_type(node) == PLIST_ARRAY ? node : nullptr;
}

uint32_t ArraySize(plist_t array) {
  if (!array || plist_get_node_type(array) != PLIST_ARRAY) return 0;
  return plist_array_get_size(array);
}

plist_t ArrayItem(plist_t array, uint32_t index) {
  if (index >= ArraySize(array)) return nullptr;
  return plist_array_get_item(array, index);
}

plist_t Items(plist_t list) { return Array(list, "item"); }

uint32_t Number(plist_t list) {
  return static_cast<uint32_t>(UInt(list, "number") & 0xffffffffu);
}

uint32_t GroupCount(plist_t grouped_list) { return ArraySize(grouped_list); }

plist_t GroupAt(plist_t grouped_list, uint32_t index) {
  plist_t group = ArrayItem(grouped_list, index);
  return group && plist_get_node_type(group) == PLIST_DICT ? group : nullptr;
}

wxString PictureName(const wxString& path) {
  wxString name = path;
  name.Replace("\\", "/");
  int slash = name.Find('/', true);
  if (slash != wxNOT_FOUND) name = name.Mid(slash + 1);
  int dot = name.Find('.', true);
  if (dot != wxNOT_FOUND && dot > 0) name = name.Left(dot);
  return name;
}

wxString VoiceMemoName(plist_t memo) {
  wxString name = String(memo, "name");
  return name.empty() ? String(memo, "title") : name;
}

}  // namespace record
