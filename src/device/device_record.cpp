#include "device/device_record.h"

#include <cstdlib>

namespace record {

plist_t Get(plist_t dict, const char* key) {
  if (!dict || plist_get_node_type(dict) != PLIST_DICT) return nullptr;
  return plist_dict_get_item(dict, key);
}

bool Has(plist_t dict, const char* key) { return Get(dict, key) != nullptr; }

wxString StringValue(plist_t node) {
  if (!node || plist_get_node_type(node) != PLIST_STRING) return wxString();
  char* value = nullptr;
  plist_get_string_val(node, &value);
  wxString text = value ? wxString::FromUTF8(value) : wxString();
  free(value);
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
