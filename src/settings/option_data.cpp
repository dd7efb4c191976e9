#include "settings/option_data.h"

#include <glib.h>
#include <plist/plist.h>
#include <wx/filefn.h>

#include <cstdlib>
#include <string>

#include "app/category_table.h"
#include "app/file_util.h"
#include "app/zl_app_path.h"
#include "device/device_record.h"

OptionConfig OptionData::data_;

const char kSelectFolderKey[] = "select-folder";
const char kShowFinishedKey[] = "show-finished";

bool OptionData::Init() {
  SetOptionConfigDefault();
  FillOptionConfigFromFile();
  return true;
}

void OptionData::SetOptionConfigDefault() {
  data_.select_folder = true;
  data_.show_finished = true;
  for (const CategoryInfo& category : kCategories) {
    wxString folder = ZLAppPath::GetDataDir() + category.default_folder;
    data_.*category.folder = folder;
    if (!wxDirExists(folder)) wxMkdir(folder, 0777);
  }
}

namespace {
void ReadFlag(plist_t dict, const char* key, bool* flag) {
  plist_t node = plist_dict_get_item(dict, key);
  if (!node || plist_get_node_type(node) != PLIST_BOOLEAN) return;
  uint8_t value = 0;
  plist_get_bool_val(node, &value);
  *flag = value != 0;
}

// The records' reader: a damaged string reads as a missing key.
wxString ReadText(plist_t dict, const char* key) {
  return record::StringValue(plist_dict_get_item(dict, key));
}
}  // namespace

void OptionData::FillOptionConfigFromFile() {
  std::string xml;
  // Anything but a regular file (a pipe, a folder) reads as no file.
  if (!ReadRegularFile(ZLAppPath::GetOptionsFilePath(), &xml)) return;
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
  if (!root) return;

  // A top level that is no dictionary reads as one without keys.
  plist_t dict = plist_get_node_type(root) == PLIST_DICT ? root : nullptr;
  if (dict) {
    ReadFlag(dict, kSelectFolderKey, &data_.select_folder);
    ReadFlag(dict, kShowFinishedKey, &data_.show_finished);
  }
  for (const CategoryInfo& category : kCategories)
    data_.*category.folder =
        dict ? ReadText(dict, category.options_key) : wxString();
  plist_free(root);
}

void OptionData::SaveOptionConfigToFile() {
  plist_t dict = plist_new_dict();
  plist_dict_set_item(dict, kSelectFolderKey,
                      plist_new_bool(data_.select_folder));
  plist_dict_set_item(dict, kShowFinishedKey,
                      plist_new_bool(data_.show_finished));
  for (const CategoryInfo& category : kCategories) {
    wxScopedCharBuffer value = (data_.*category.folder).utf8_str();
    plist_dict_set_item(dict, category.options_key,
                        plist_new_string(value.data()));
  }
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(dict, &xml, &length);
  plist_free(dict);
  if (!xml) return;

  WriteFileWhole(ZLAppPath::GetOptionsFilePath(), std::string(xml, length));
  free(xml);
}
